// Our host's side of an editor a plug-in opened into a window of ours (CLAP's or VST3's, on Windows):
// its controls found as a host's accessibility tools find them, and a drag made with the messages the
// window system sends for a held left button.
#pragma once

#include <windows.h>

#include "tools/vsthost/HostWindow.h"

namespace TestSupport {

// The control of a parameter (its window ID is the parameter's index) in the editor the plug-in put
// into `host`, or null.
inline HWND editorControl(HWND host, int index)
{
    HWND editor = GetWindow(host, GW_CHILD);
    return editor ? GetDlgItem(editor, index) : nullptr;
}

// Presses on a knob's dial, moves down `steps` times by 10 pixels and lets go.
inline void dragDown(HWND control, int steps)
{
    const int x = 40, y = 40;
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    for (int i = 1; i <= steps; ++i)
        SendMessageA(control, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + 10 * i));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y + 10 * steps));
}

// Dispatches this thread's messages, timers included, for about the given time.
inline void pumpFor(int milliseconds)
{
    const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        VstHost::pumpWindowMessages();
        Sleep(1);
    } while (static_cast<int>(until - GetTickCount()) > 0);
}

}  // namespace TestSupport
