// The rotary control on Windows: window messages turned into the knob's pointer rules (KnobDrag) and
// its menu (EditMenus), the gestures sent to the editor window; it shows what the plug-in sends back.
#pragma once

#include "pixa/Canvas.h"
#include "plugedit/KnobDrag.h"
#include "winwrap/WinControl.h"

namespace PlugEdit {

// The knob's picture, made before its window (a base constructed first): a failed allocation then
// leaves no window pointing at a knob that was never made.
struct KnobCanvas {
    KnobCanvas() : canvas(80, 80) {}
    Pixa::Canvas canvas;
};

class Knob : private KnobCanvas, public KnobDrag, public WinWrap::WinControl {
public:
    Knob(int x, int y, HWND parent, const char* caption);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    ~Knob() override = default;
    void paint(HWND window, HDC bufferDC) override;

    const char* caption;
    using KnobCanvas::canvas;

private:
    void startDrag();
    void showMenu();
    void drawTexts(HDC dc);
    int index() const { return static_cast<int>(GetWindowLongA(hwnd, GWL_ID)); }
};

}  // namespace PlugEdit
