#include "tests/support/EditorRig.h"

#include "host/ModuleHandle.h"
#include "tools/vsthost/HostWindow.h"

namespace TestSupport {

namespace {
// The test program is the module: its resources hold the bitmaps and the manifest.
const bool moduleKnown = (setModuleInstance(GetModuleHandleA(nullptr)), true);
}  // namespace

HWND createHostWindow(int width, int height)
{
    return VstHost::createHostWindow(width, height, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN);
}

void pumpMessages(int milliseconds)
{
    const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        VstHost::pumpWindowMessages();
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
