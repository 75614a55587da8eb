#include "tests/support/EditorRig.h"

#include "host/ModuleHandle.h"

namespace TestSupport {

namespace {
// The test program is the module: its resources hold the bitmaps and the manifest.
const bool moduleKnown = (setModuleInstance(GetModuleHandleA(nullptr)), true);
}  // namespace

HWND createHostWindow(int width, int height)
{
    static const ATOM hostClass = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TarnTestHostWindow";
        return RegisterClassA(&wc);
    }();
    return CreateWindowExA(0, MAKEINTATOM(hostClass), "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void pumpMessages(int milliseconds)
{
    const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG msg;
        // Bounded, so another thread that keeps posting cannot hold the pump forever.
        for (int n = 0; n < 5000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds > 0)
            Sleep(1);
    } while (static_cast<int>(until - GetTickCount()) > 0);
}

EditorRig::EditorRig()
{
    host = VstHost::HostedEffect::create(limiterEntry);
    host->start(44100.0f, 512);
    hostWindow = createHostWindow();
}

EditorRig::~EditorRig()
{
    close();
    host.reset();
    DestroyWindow(hostWindow);
    pumpMessages();
}

void EditorRig::open()
{
    host->dispatch(effEditOpen, 0, 0, hostWindow);
    pumpMessages();
}

void EditorRig::close()
{
    host->dispatch(effEditClose);
    pumpMessages();
}

COLORREF EditorRig::shownPixel(int x, int y)
{
    UpdateWindow(hostWindow);
    RedrawWindow(window().hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
    return GetPixel(window().bufferDC, x, y);
}

}  // namespace TestSupport
