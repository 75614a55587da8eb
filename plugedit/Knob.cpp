#include "plugedit/Knob.h"

#include <windowsx.h>

#include <cstdio>

#include "plugedit/ControlContext.h"
#include "plugedit/EditMenus.h"
#include "plugedit/EditMessages.h"
#include "plugedit/KnobPicture.h"
#include "plugedit/KnobStrip.h"

namespace PlugEdit {

namespace {

constexpr int size = KnobGeometry::size;

void setCursor(LPCSTR cursor) { SetCursor(LoadCursorA(nullptr, cursor)); }

// The knob's gestures as messages to the editor window, with the knob's index.
class MessageGestures : public ControlGestures {
public:
    explicit MessageGestures(HWND knob) : knob(knob) {}
    void beginEdit() override { sendToEditor(knob, MSG_BEGIN_EDIT); }
    void setValue(float value) override { sendToEditor(knob, MSG_SET_PARAM, static_cast<LPARAM>(bitsOf(value))); }
    void endEdit() override { sendToEditor(knob, MSG_END_EDIT); }
    void startLearn() override { sendToEditor(knob, MSG_LEARN_START); }
    void endLearn() override { sendToEditor(knob, MSG_LEARN_END); }
    void unlearn() override { sendToEditor(knob, MSG_UNLEARN); }
    void resetToDefault() override { sendToEditor(knob, MSG_RESET_PARAM); }

private:
    HWND knob;
};

}  // namespace

Knob::Knob(int x, int y, HWND parent, const char* caption)
    : WinControl(parent, x, y, size, size, WS_VISIBLE | WS_CLIPSIBLINGS), caption(caption)
{
}

LRESULT Knob::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST: {
        RECT r, client;
        GetWindowRect(window, &r);
        GetClientRect(window, &client);
        const int dx = GET_X_LPARAM(lParam) - client.right / 2 - r.left;
        const int dy = GET_Y_LPARAM(lParam) - client.bottom / 2 - r.top;
        return KnobDrag::onDisc(dx, dy) ? HTCLIENT : HTTRANSPARENT;
    }
    case WM_LBUTTONDOWN:
        startDrag();
        return 0;
    case WM_MOUSEMOVE:
        if (dragging) {
            MessageGestures gestures(window);
            moveTo(GET_Y_LPARAM(lParam), (wParam & (MK_SHIFT | MK_CONTROL)) != 0, gestures);
        } else {
            setCursor(IDC_HAND);
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging)
            ReleaseCapture();
        else
            setCursor(IDC_HAND);
        return 0;
    case WM_RBUTTONDOWN: {
        MessageGestures gestures(window);
        if (rightPress(gestures))
            ReleaseCapture();
        else
            showMenu();
        return 0;
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        setCursor(dragging ? IDC_SIZENS : IDC_HAND);
        return 0;
    case WM_CAPTURECHANGED:
        if (dragging) {
            MessageGestures gestures(window);
            dragEnded(gestures);
            setCursor(IDC_ARROW);
        }
        redraw();
        return 0;
    case WM_COMMAND: {
        MessageGestures gestures(window);
        chooseKnobItem(static_cast<unsigned>(wParam), gestures);
        return 0;
    }
    case MSG_PARAM_VALUE:
        shownValue = floatOf(static_cast<std::uint32_t>(wParam));
        redraw();
        return 0;
    case MSG_LEARN_START:
        learning = true;
        redraw();
        return 0;
    case MSG_LEARN_END:
        learning = false;
        redraw();
        return 0;
    default:
        return WinControl::handleMessage(window, message, wParam, lParam);
    }
}

void Knob::startDrag()
{
    SetCapture(hwnd);
    RECT r;
    POINT cursor;
    GetWindowRect(hwnd, &r);
    GetCursorPos(&cursor);
    setCursor(IDC_SIZENS);
    MessageGestures gestures(hwnd);
    press(cursor.y - r.top, gestures);
    redraw();
}

void Knob::showMenu()
{
    EditWin* editor = parentEditor(hwnd);
    if (!editor)
        return;
    HMENU menu = CreatePopupMenu();
    for (const MenuItem& item : knobMenu(*editor->edit, index())) {
        if (item.separator())
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(menu, MF_STRING | (item.enabled ? 0 : MF_DISABLED), item.command, item.text.c_str());
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    TrackPopupMenuEx(menu, TPM_VERPOSANIMATION, r.left, r.bottom - 10, hwnd, nullptr);
    DestroyMenu(menu);
}

void Knob::paint(HWND, HDC bufferDC)
{
    copyParentBackground(bufferDC);
    drawKnobPicture(canvas, shownValue, learning, knobStripCanvas());
    canvas.blit(bufferDC);
    drawTexts(bufferDC);
}

void Knob::drawTexts(HDC dc)
{
    EditWin* editor = parentEditor(hwnd);
    if (!editor)
        return;
    const int i = index();
    char shown[64] = {}, unit[64] = {}, value[160];
    editor->edit->displayText(i, editor->edit->parameter(i), shown, unit);
    std::snprintf(value, sizeof value, "%s %s", shown, unit);

    RECT band{0, size - 24, size, size};
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previous = SelectObject(dc, editor->smallFont);
    SetTextColor(dc, static_cast<COLORREF>(editor->desc->accentColour));
    DrawTextA(dc, caption, -1, &band, DT_SINGLELINE | DT_CENTER);
    SetTextColor(dc, RGB(255, 255, 255));
    if (learning) {
        RECT badge{10, static_cast<int>(KnobGeometry::cy - 12), 70, static_cast<int>(KnobGeometry::cy + 12)};
        DrawTextA(dc, "learning", -1, &badge, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    if (dragging)
        SelectObject(dc, editor->boldFont);
    DrawTextA(dc, value, -1, &band, DT_SINGLELINE | DT_BOTTOM | DT_CENTER);
    SelectObject(dc, previous);
}

}  // namespace PlugEdit
