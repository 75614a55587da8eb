// The rotary control: dragged up and down (fine with Shift or Control), centred by a right click
// during a drag, reset and MIDI-learned from its menu. It shows what the plug-in sends back.
#pragma once

#include "pixa/Canvas.h"
#include "winwrap/WinControl.h"

namespace PlugEdit {

class Knob : public WinWrap::WinControl {
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
    Pixa::Canvas canvas;

private:
    void startDrag();
    void dragTo(int y, WPARAM keys);
    void showMenu();
    void drawTexts(HDC dc);
    int index() const { return static_cast<int>(GetWindowLongA(hwnd, GWL_ID)); }
};

}  // namespace PlugEdit
