#include "plugedit/KnobDrag.h"

namespace PlugEdit {

namespace {
constexpr float coarseDrag = 400.0f, fineDrag = 4000.0f;
}

void KnobDrag::press(int y, ControlGestures& gestures)
{
    if (learning)
        gestures.endLearn();
    dragging = true;
    dragBase = shownValue;
    lastY = y;
    gestures.beginEdit();
}

void KnobDrag::moveTo(int y, bool fine, ControlGestures& gestures)
{
    if (!dragging || y == lastY)
        return;
    float v = dragBase + static_cast<float>(lastY - y) / (fine ? fineDrag : coarseDrag);
    if (v < 0.0f)
        v = 0.0f;
    if (v > 1.0f)
        v = 1.0f;
    shownValue = v;
    gestures.setValue(v);
    dragBase = v;
    lastY = y;
}

bool KnobDrag::rightPress(ControlGestures& gestures)
{
    if (dragging) {
        shownValue = 0.5f;
        gestures.setValue(0.5f);
        return true;
    }
    if (learning)
        gestures.endLearn();
    return false;
}

void KnobDrag::dragEnded(ControlGestures& gestures)
{
    if (!dragging)
        return;
    dragging = false;
    gestures.endEdit();
}

}  // namespace PlugEdit
