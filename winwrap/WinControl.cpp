#include "winwrap/WinControl.h"

#include <commctrl.h>

#include <cstdio>

#include "host/ModuleHandle.h"
#include "winwrap/ManifestContext.h"

namespace WinWrap {

namespace {

const char* const className = "WinControlWrapperWindowClass";

HINSTANCE instance() { return static_cast<HINSTANCE>(moduleInstance()); }

// Unregisters the class when the library unloads.
struct ClassUnregistration {
    ~ClassUnregistration()
    {
        if (WinControl::windowClass())
            UnregisterClassA(MAKEINTATOM(WinControl::windowClass()), instance());
    }
} unregisterAtUnload;

}  // namespace

ATOM WinControl::classAtom = 0;

void WinControl::registerWindowClass()
{
    ManifestContext manifest;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance();
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    classAtom = RegisterClassExA(&wc);
    if (!classAtom) {
        char text[80];
        std::snprintf(text, sizeof text, "Couldn't create a wrapper windowclass (hInstance: %x)",
                      static_cast<unsigned>(reinterpret_cast<UINT_PTR>(instance())));
        MessageBoxA(nullptr, text, "Error!", MB_OK | MB_ICONWARNING);
    }
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), 0xFF};
    InitCommonControlsEx(&controls);
}

WinControl::WinControl(HWND parent, int x, int y, int width, int height, DWORD style)
{
    if (!classAtom)
        registerWindowClass();
    {
        ManifestContext manifest;
        hwnd = CreateWindowExA(0, MAKEINTATOM(classAtom), "control", style | (parent ? WS_CHILD : 0), x, y, width,
                               height, parent, nullptr, instance(), nullptr);
    }
    // Stored only now: the messages of creation went to the default procedure.
    if (hwnd)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    else
        MessageBoxA(nullptr, "Failed to create a control.", "Error!", MB_OK | MB_ICONERROR);
    bufferDC = nullptr;
    dirty = true;
}

WinControl* WinControl::fromWindow(HWND window)
{
    // Only our class's user data is ours: a host's window may keep anything there.
    if (!window || !classAtom || GetClassWord(window, GCW_ATOM) != classAtom)
        return nullptr;
    return reinterpret_cast<WinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK WinControl::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WinControl* control = fromWindow(window);
    if (!control)
        return DefWindowProcA(window, message, wParam, lParam);
    // No exception may unwind through the window system's frames.
    try {
        return control->handleMessage(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT WinControl::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        releaseBuffer();
        return 0;
    case WM_PAINT:
        return paintMessage(window);
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete this;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT WinControl::paintMessage(HWND window)
{
    RECT update;
    if (!GetUpdateRect(window, &update, FALSE))
        return 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc)
        return 0;
    if (!bufferDC) {
        RECT client;
        GetClientRect(window, &client);
        bufferDC = CreateCompatibleDC(dc);
        bufferBitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        savedBitmap = SelectObject(bufferDC, bufferBitmap);
    }
    if (dirty) {
        paint(window, bufferDC);
        dirty = false;
    }
    BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top, bufferDC, update.left,
           update.top, SRCCOPY);
    EndPaint(window, &ps);
    return 0;
}

void WinControl::releaseBuffer()
{
    if (!bufferDC)
        return;
    SelectObject(bufferDC, savedBitmap);
    DeleteObject(bufferBitmap);
    DeleteDC(bufferDC);
    bufferDC = nullptr;
}

BOOL WinControl::redraw()
{
    dirty = true;
    return RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE);
}

void WinControl::copyParentBackground(HDC dc)
{
    HWND parent = GetParent(hwnd);
    RECT own, outer;
    GetWindowRect(hwnd, &own);
    GetWindowRect(parent, &outer);
    const WinControl* parentControl = fromWindow(parent);
    if (parentControl && parentControl->bufferDC)
        BitBlt(dc, 0, 0, own.right - own.left, own.bottom - own.top, parentControl->bufferDC, own.left - outer.left,
               own.top - outer.top, SRCCOPY);
}

}  // namespace WinWrap
