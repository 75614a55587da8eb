#include "tools/vsthost/HostWindow.h"

namespace VstHost {

HWND createHostWindow(int width, int height, DWORD style)
{
    static const ATOM frameClass = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TarnHostEditorFrame";
        return RegisterClassA(&wc);
    }();
    return CreateWindowExA(0, MAKEINTATOM(frameClass), "host", style, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void pumpWindowMessages(int limit)
{
    MSG msg;
    for (int n = 0; n < limit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace VstHost
