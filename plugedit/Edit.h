// The editor object the host opens into a window of its own. It is told of parameter changes and MIDI
// learns from any thread (IParamNotify) and receives meter blocks from the audio thread (the mailbox);
// one interlocked flag keeps those threads off the window while it is being created or destroyed.
#pragma once

#include <windows.h>

#include "host/AEffEditor.h"
#include "limiter/EditorLayout.h"
#include "plugcore/IParamNotify.h"
#include "plugcore/Plug.h"
#include "plugedit/MeterMailbox.h"

namespace PlugEdit {

class EditWin;

class Edit : public AEffEditor, public PlugCore::IParamNotify, public MeterMailbox {
public:
    // Becomes the effect's editor.
    Edit(const EditorLayout& description, AudioEffect* effect);
    ~Edit() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() override { return isOpenFlag; }

    // Filled in by the effect's editor: the controls (once per open), a fresh meter block (true when
    // the window must be repainted), and drawing over the background.
    virtual void createControls(EditWin& window);
    virtual bool updateMeters(void* block);
    virtual void paintOverlay(EditWin& window, HDC bufferDC);

    void paramChanged(int index, float value) override;
    void paramLearned(int index) override;

    PlugCore::Plug& plug() { return *static_cast<PlugCore::Plug*>(effect); }
    const EditorLayout& description() const { return *desc; }
    EditWin* openWindow() const { return window; }

private:
    friend class EditWin;  // its destructor clears `window` while close holds the lock

    ERect rect;
    bool isOpenFlag = false;
    EditWin* window = nullptr;
    const EditorLayout* desc;
};

}  // namespace PlugEdit
