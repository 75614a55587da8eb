// The editor's top window: the background, the effect's overlay, the refresh timer, the fonts and
// control table the controls use, the context menu, and the hub of the private message protocol
// that turns the controls' gestures into calls on the plug-in and the editor's MIDI learn.
#pragma once

#include <memory>

#include "limiter/EditorLayout.h"
#include "winwrap/WinControl.h"

namespace PlugEdit {

class Edit;

class EditWin : public WinWrap::WinControl {
public:
    EditWin(const EditorLayout& description, HWND parent, Edit& editor);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    ~EditWin() override;
    void paint(HWND window, HDC bufferDC) override;

    // The control for a parameter, or null (also for indices outside the table).
    HWND controlWindow(int index) const;
    void setControlWindow(int index, HWND control);

    Edit* edit;
    std::unique_ptr<HWND[]> controls;
    HBITMAP background = nullptr;
    bool timerActive = false;
    std::unique_ptr<unsigned char[]> meterCopy;
    const EditorLayout* desc;
    HFONT smallFont = nullptr;
    HFONT boldFont = nullptr;

private:
    void showContextMenu();
    void askAndSaveDefaults();
};

}  // namespace PlugEdit
