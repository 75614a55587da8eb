// The editor's operations in the CLAP plug-in: the effect reached through the driver in the same
// binary (values, texts, MIDI learn, the defaults file); what the user does is also noted for the
// host, which hears it as gesture and value events from the next process or flush.
#pragma once

#include "clap/EditNotes.h"
#include "driver/EffectDriver.h"
#include "plugedit/EditorOps.h"

namespace ClapFace {

class ClapEditorOps : public PlugEdit::EditorOps {
public:
    // `askFlush` asks the host for a process or flush call, so the notes reach it while it stands still.
    ClapEditorOps(Driver::EffectDriver& driver, EditNotes& notes, void (*askFlush)(void*), void* context)
        : driver(driver), notes(notes), askFlush(askFlush), context(context)
    {
    }

    int parameterCount() override;
    float parameter(int index) override { return driver.parameter(index); }
    void setParameter(int index, float value) override;
    void beginEdit(int index) override { note(EditNote::gestureBegin, index, 0.0); }
    void endEdit(int index) override { note(EditNote::gestureEnd, index, 0.0); }
    float defaultValue(int index) override;
    void displayText(int index, float value, char* text, char* unit) override;
    std::int32_t midiKey(int index) override { return driver.binding(index); }
    void startLearn(int index) override { driver.armLearn(index); }
    void endLearn() override { driver.cancelLearn(); }
    void unlearn(int index) override { driver.unlearn(index); }
    bool isLearning(int index) override { return driver.learningParameter() == index; }
    const char* productName() override;
    void saveDefaults() override { driver.saveDefaults(); }

private:
    void note(EditNote::Kind kind, int index, double value);

    Driver::EffectDriver& driver;
    EditNotes& notes;
    void (*askFlush)(void*);
    void* context;
};

}  // namespace ClapFace
