#include "plugedit/Knob.h"

#include <windowsx.h>

#include <cstdio>

#include "plugedit/ControlContext.h"
#include "plugedit/EditMessages.h"
#include "plugedit/KnobPicture.h"
#include "plugedit/KnobStrip.h"

namespace PlugEdit {

namespace {

constexpr int size = KnobGeometry::size;
constexpr int sensitiveRadiusSquared = 32 * 32;
constexpr float coarseDrag = 400.0f, fineDrag = 4000.0f;

void setCursor(LPCSTR cursor) { SetCursor(LoadCursorA(nullptr, cursor)); }

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
        return dx * dx + dy * dy < sensitiveRadiusSquared ? HTCLIENT : HTTRANSPARENT;
    }
    case WM_LBUTTONDOWN:
        if (learning)
            sendToEditor(window, MSG_LEARN_END);
        startDrag();
        return 0;
    case WM_MOUSEMOVE:
        if (dragging)
            dragTo(GET_Y_LPARAM(lParam), wParam);
        else
            setCursor(IDC_HAND);
        return 0;
    case WM_LBUTTONUP:
        if (dragging)
            ReleaseCapture();
        else
            setCursor(IDC_HAND);
        return 0;
    case WM_RBUTTONDOWN:
        if (dragging) {
            shownValue = 0.5f;
            sendToEditor(window, MSG_SET_PARAM, static_cast<LPARAM>(bitsOf(0.5f)));
            ReleaseCapture();
        } else {
            if (learning)
                sendToEditor(window, MSG_LEARN_END);
            showMenu();
        }
        return 0;
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        setCursor(dragging ? IDC_SIZENS : IDC_HAND);
        return 0;
    case WM_CAPTURECHANGED:
        if (dragging) {
            dragging = false;
            sendToEditor(window, MSG_END_EDIT);
            setCursor(IDC_ARROW);
        }
        redraw();
        return 0;
    case WM_COMMAND:
        if (wParam == commandLearn) {
            sendToEditor(window, MSG_LEARN_START);
        } else if (wParam == commandUnlearn) {
            sendToEditor(window, MSG_UNLEARN);
        } else if (wParam == commandReset) {
            sendToEditor(window, MSG_BEGIN_EDIT);
            sendToEditor(window, MSG_RESET_PARAM);
            sendToEditor(window, MSG_END_EDIT);
        }
        return 0;
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
    dragging = true;
    RECT r;
    POINT cursor;
    GetWindowRect(hwnd, &r);
    GetCursorPos(&cursor);
    setCursor(IDC_SIZENS);
    dragBase = shownValue;
    lastY = cursor.y - r.top;
    sendToEditor(hwnd, MSG_BEGIN_EDIT);
    redraw();
}

void Knob::dragTo(int y, WPARAM keys)
{
    if (y == lastY)
        return;
    const float range = (keys & (MK_SHIFT | MK_CONTROL)) ? fineDrag : coarseDrag;
    float v = dragBase + static_cast<float>(lastY - y) / range;
    if (v < 0.0f)
        v = 0.0f;
    if (v > 1.0f)
        v = 1.0f;
    shownValue = v;
    sendToEditor(hwnd, MSG_SET_PARAM, static_cast<LPARAM>(bitsOf(v)));
    dragBase = v;
    lastY = y;
}

void Knob::showMenu()
{
    EditWin* editor = parentEditor(hwnd);
    if (!editor)
        return;
    PlugCore::Plug& plug = editor->edit->plug();
    const int i = index();
    const bool known = i >= 0 && i < static_cast<int>(plug.paramTable().size());
    const float defaultValue = known ? plug.paramTable()[i].defaultValue : 0.0f;
    char shown[64] = {}, unit[64] = {}, item[160];
    plug.getDisplayText(i, shown, defaultValue);
    plug.getParameterLabel(i, unit);

    HMENU menu = CreatePopupMenu();
    std::snprintf(item, sizeof item, "&Reset to default (%s %s)", shown, unit);
    AppendMenuA(menu, MF_STRING, commandReset, item);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, commandLearn, "MIDI &Learn...");
    const std::int32_t key = known ? plug.paramTable()[i].midiKey.load(std::memory_order_relaxed) : -1;
    if (key != -1) {
        std::snprintf(item, sizeof item, "MIDI &Unlearn (chan:%d, cc:%d)", ((key >> 8) & 0xF) + 1, key & 0xFF);
        AppendMenuA(menu, MF_STRING, commandUnlearn, item);
    } else {
        AppendMenuA(menu, MF_STRING | MF_DISABLED, commandUnlearn, "MIDI &Unlearn");
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
    PlugCore::Plug& plug = editor->edit->plug();
    const int i = index();
    char shown[64] = {}, unit[64] = {}, value[160];
    plug.getParameterDisplay(i, shown);
    plug.getParameterLabel(i, unit);
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
