// The rotary control: dragged up and down (fine with Shift or Control), centred by a right click
// during a drag, reset and MIDI-learned from its menu. It shows what the plug-in sends back.
#pragma once

#include "pixa/Canvas.h"
#include "winwrap/WinControl.h"

namespace PlugEdit {

// The knob's picture, made before its window (a base constructed first): a failed allocation then
// leaves no window pointing at a knob that was never made.
struct KnobCanvas {
    KnobCanvas() : canvas(80, 80) {}
    Pixa::Canvas canvas;
};

class Knob : private KnobCanvas, public WinWrap::WinControl {
public:
    Knob(int x, int y, HWND parent, const char* caption);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    ~Knob() override = default;
    void paint(HWND window, HDC bufferDC) override;

    bool learning = false;
    bool dragging = false;
    const char* caption;
    float shownValue = 0.0f;
    float dragBase = 0.0f;
    int lastY = 0;
    using KnobCanvas::canvas;

private:
    void startDrag();
    void dragTo(int y, WPARAM keys);
    void showMenu();
    void drawTexts(HDC dc);
    int index() const { return static_cast<int>(GetWindowLongA(hwnd, GWL_ID)); }
};

}  // namespace PlugEdit
