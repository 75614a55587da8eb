// The knob's pointer rules, whatever delivers the pointer: the disc that takes clicks, the vertical drag
// (1/400 of the range per pixel, 1/4000 with Shift or Control) from a base clamped to 0..1, one begin
// and one end edit around a drag, a right click during a drag centring the knob, and a click that
// ends a running learn. The window layer captures and releases the pointer when told.
#pragma once

#include "plugedit/ControlGestures.h"

namespace PlugEdit {

class KnobDrag {
public:
    // (dx, dy) from the disc's centre.
    static bool onDisc(int dx, int dy) { return dx * dx + dy * dy < 32 * 32; }

    // Left button down at row y: the drag starts (the caller captures the pointer).
    void press(int y, ControlGestures& gestures);
    // Pointer at row y while dragging; fine with Shift or Control.
    void moveTo(int y, bool fine, ControlGestures& gestures);
    // Right button down. True when it centred a running drag: the caller then releases the pointer
    // (and calls dragEnded); false when the knob's menu is to open.
    bool rightPress(ControlGestures& gestures);
    // The pointer is no longer captured: the drag, if any, ends.
    void dragEnded(ControlGestures& gestures);

    float shownValue = 0.0f;
    bool learning = false;
    bool dragging = false;
    float dragBase = 0.0f;
    int lastY = 0;
};

}  // namespace PlugEdit
