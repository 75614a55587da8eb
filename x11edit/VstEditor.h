// The X11 editor as a VST editor: effEditOpen's pointer is the host's window id, effEditIdle drives the
// window. The editor lock (EditCore) keeps the other threads off the window while it is made or
// destroyed; they only mark that something changed, and the next idle call looks.
// The host's factor ('PreS'/'AeCs' request), else the desktop's, decides the editor's scale.
#pragma once

#include <memory>

#include "host/AEffEditor.h"
#include "limiter/EditorLayout.h"
#include "plugedit/EditCore.h"
#include "x11edit/EditorWindow.h"

namespace X11Edit {

class VstEditor : public AEffEditor, public PlugEdit::EditCore {
public:
    VstEditor(const EditorLayout& layout, AudioEffect* effect);
    ~VstEditor() override;

    bool getRect(ERect** rect) override;
    // False (and nothing open) without an X server or that window.
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() override { return window != nullptr; }
    void idle() override;
    // Taken at once; an open editor is made again at the new size and the host asked to fit it.
    bool setContentScale(float factor) override;
    // 1 or 2: what the next window is drawn at.
    int scale();
    // Escape closes a shown menu or the save question (true: the key was ours); every other key, and
    // Escape with nothing shown, stays the host's.
    bool onKeyDown(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) override;

    EditorWindow* openWindow() const { return window.get(); }

protected:
    bool postToControl(int index, unsigned message, std::uint32_t wParam) override;
    void tellControl(int index, unsigned message) override;

private:
    ERect rect;
    const EditorLayout& layout;
    int fromHost = 0;     // 0 until the host asks
    int fromDesktop = 0;  // 0 until the desktop has been asked
    std::unique_ptr<EditorWindow> window;
};

}  // namespace X11Edit
