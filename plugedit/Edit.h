// The editor object the host opens into a window of its own. It is told of parameter changes and MIDI
// learns from any thread (IParamNotify) and receives meter blocks from the audio thread (the mailbox);
// one interlocked flag keeps those threads off the window while it is being created or destroyed. The
// decisions live in EditCore; this is their Windows side.
#pragma once

#include <windows.h>

#include "host/AEffEditor.h"
#include "limiter/EditorLayout.h"
#include "plugedit/EditCore.h"

namespace PlugEdit {

class EditWin;

class Edit : public AEffEditor, public EditCore {
public:
    // The effect registers it as its editor (see EditorFactory).
    Edit(const EditorLayout& description, AudioEffect* effect);
    // An editor of a plug-in in another format, which it reaches through `ops` (outliving it).
    Edit(const EditorLayout& description, EditorOps& ops);
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

    // Each tick of the window's timer, before it takes the meters.
    virtual void refresh() {}

    // The window is going: from close, which holds the lock, or because the host destroyed its parent.
    void windowDestroyed();

    const EditorLayout& description() const { return *desc; }
    EditWin* openWindow() const { return window; }

protected:
    bool postToControl(int index, unsigned message, std::uint32_t wParam) override;
    void tellControl(int index, unsigned message) override;

private:
    void setRect(const EditorLayout& description);

    ERect rect;
    bool isOpenFlag = false;
    bool closing = false;  // close holds the lock while the window is destroyed
    EditWin* window = nullptr;
    const EditorLayout* desc;
};

}  // namespace PlugEdit
