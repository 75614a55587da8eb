// The base of every window of the editor: one window class whose procedure hands each message to the
// owning object, and a persistent back buffer that paint() redraws only when the object is dirty.
// From the moment its window exists the window owns the object: WM_NCDESTROY deletes it.
#pragma once

#include <windows.h>

namespace WinWrap {

class WinControl {
public:
    // Creates the window (a child when a parent is given); on failure shows an error box and leaves
    // hwnd null, and the caller keeps the object.
    WinControl(HWND parent, int x, int y, int width, int height, DWORD style);

    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual ~WinControl() = default;
    // Draws the whole control into the back buffer.
    virtual void paint(HWND window, HDC bufferDC) = 0;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void registerWindowClass();
    static ATOM windowClass() { return classAtom; }

    // Marks the buffer stale and invalidates the window; the repaint comes with WM_PAINT.
    BOOL redraw();
    // Copies the part of the parent's back buffer under this control to (0, 0) of dc.
    void copyParentBackground(HDC dc);

    // The object behind a window of this class, or null.
    static WinControl* fromWindow(HWND window);

    HWND hwnd = nullptr;
    HDC bufferDC = nullptr;
    HBITMAP bufferBitmap = nullptr;
    HGDIOBJ savedBitmap = nullptr;
    bool dirty = true;

private:
    LRESULT paintMessage(HWND window);
    void releaseBuffer();

    static ATOM classAtom;
};

}  // namespace WinWrap
