// The editor object's decisions that need no window system: the lock that keeps the other threads off
// the window, the meter mailbox behind it, and the editor's one MIDI learn. What it does to the plug-in
// goes to the operations it is given (the effect's own in the VST 2.4 plug-in, a format's elsewhere).
// The window system's layer fills in how a control is told something (`postToControl`, `tellControl`).
#pragma once

#include <cstdint>
#include <memory>

#include "plugcore/IParamNotify.h"
#include "plugedit/EditorOps.h"
#include "plugedit/MeterMailbox.h"

namespace PlugEdit {

class EditCore : public MeterMailbox, public PlugCore::IParamNotify, public EditorOps {
public:
    // On operations that outlive the editor, or on its own.
    EditCore(int meterBytes, EditorOps& target);
    EditCore(int meterBytes, std::unique_ptr<EditorOps> ownTarget);

    // Any thread, the audio thread included: one attempt at the lock, then only a posted message.
    void paramChanged(int index, float value) override;
    void paramLearned(int index) override;

    // The window's thread. Learn gestures: the state changes under the lock (spinning for it), the
    // controls are told afterwards.
    void startLearn(int index) override;
    void endLearn() override;  // nothing when no learn is running
    bool isLearning();
    bool isLearning(int index) override;

    // The window's thread: the rest of the editor's operations, passed to the target.
    int parameterCount() override;
    float parameter(int index) override;
    void setParameter(int index, float value) override;
    void beginEdit(int index) override;
    void endEdit(int index) override;
    float defaultValue(int index) override;
    void displayText(int index, float value, char* text, char* unit) override;
    std::int32_t midiKey(int index) override;
    void unlearn(int index) override;
    const char* productName() override;
    void saveDefaults() override;
    bool reachesPlugin() override;

protected:
    // Any thread, lock held: posts `message` to the control of `index` if the window and that control
    // exist; false when there was nobody to tell.
    virtual bool postToControl(int index, unsigned message, std::uint32_t wParam) = 0;
    // The window's thread, lock not held: tells the control of `index` at once, if it exists.
    virtual void tellControl(int index, unsigned message) = 0;
    // Lock held: a learn still running when the window goes is cancelled, its control no longer told.
    void abandonLearn();

private:
    std::unique_ptr<EditorOps> ownTarget;
    EditorOps& target;
    bool learnActive = false;
    int learnIndex = 0;
};

}  // namespace PlugEdit
