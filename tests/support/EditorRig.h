// A host window with the limiter's editor opened into it, driven through the real window system
// (Wine's null driver here): messages are sent and the queue pumped as a host's loop would.
#pragma once

#include <windows.h>

#include <memory>

#include "limiter/Limiter.h"
#include "plugedit/EditWin.h"
#include "plugedit/Knob.h"
#include "plugedit/LimiterEdit.h"
#include "plugedit/OnOff.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

namespace TestSupport {

// A plain top-level window standing for the host's editor frame.
HWND createHostWindow(int width = 200, int height = 300);
// Dispatches everything waiting, timers included, for about the given time.
void pumpMessages(int milliseconds = 0);

class EditorRig {
public:
    EditorRig();
    ~EditorRig();

    void open();
    void close();

    Limiter& limiter() { return *static_cast<Limiter*>(static_cast<AudioEffect*>(host->effect()->object)); }
    PlugEdit::LimiterEdit& editor() { return *static_cast<PlugEdit::LimiterEdit*>(limiter().getEditor()); }
    PlugEdit::EditWin& window() { return *editor().openWindow(); }
    HWND control(int index) { return window().controlWindow(index); }
    PlugEdit::Knob& knob(int index) { return *dynamic_cast<PlugEdit::Knob*>(WinWrap::WinControl::fromWindow(control(index))); }
    PlugEdit::OnOff& onOff(int index) { return *dynamic_cast<PlugEdit::OnOff*>(WinWrap::WinControl::fromWindow(control(index))); }
    // Paints everything that waits and returns the editor window's back-buffer pixel.
    COLORREF shownPixel(int x, int y);
    LRESULT sendToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(window().hwnd, message, wParam, lParam);
    }

    std::unique_ptr<VstHost::HostedEffect> host;
    HWND hostWindow = nullptr;
};

}  // namespace TestSupport
