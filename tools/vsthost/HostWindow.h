// The window a host opens a plug-in's editor into, and the message pump around it (Windows only).
#pragma once

#include <windows.h>

namespace VstHost {

// A plain top-level window of the given client-independent size, shown.
HWND createHostWindow(int width, int height, DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
// Dispatches what waits in this thread's queue, at most `limit` messages, so a thread that keeps
// posting cannot hold the caller forever.
void pumpWindowMessages(int limit = 1000);

}  // namespace VstHost
