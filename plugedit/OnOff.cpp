#include "plugedit/OnOff.h"

#include <cstdio>

#include "plugedit/ControlContext.h"
#include "plugedit/EditMenus.h"
#include "plugedit/EditMessages.h"

namespace PlugEdit {

OnOff::OnOff(int x, HWND parent, const char* name, const char* const states[2], const char* const menu[2])
    : WinControl(parent, x, 5, 80, 12, WS_VISIBLE), switchName(name), stateTexts{states[0], states[1]},
      menuTexts{menu[0], menu[1]}
{
}

namespace {

// A switch edits its value and nothing else.
class SwitchGestures : public ControlGestures {
public:
    explicit SwitchGestures(HWND control) : control(control) {}
    void beginEdit() override { sendToEditor(control, MSG_BEGIN_EDIT); }
    void setValue(float value) override { sendToEditor(control, MSG_SET_PARAM, static_cast<LPARAM>(bitsOf(value))); }
    void endEdit() override { sendToEditor(control, MSG_END_EDIT); }
    void startLearn() override {}
    void endLearn() override {}
    void unlearn() override {}
    void resetToDefault() override {}

private:
    HWND control;
};

}  // namespace

LRESULT OnOff::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN: {
        SwitchGestures gestures(window);
        clickSwitch(isOn, gestures);
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return 0;
    }
    case WM_RBUTTONDOWN: {
        RECT r;
        GetWindowRect(window, &r);
        HMENU menu = CreatePopupMenu();
        for (const MenuItem& item : switchMenu(menuTexts, isOn))
            AppendMenuA(menu, MF_STRING | (item.checked ? MF_CHECKED : 0), item.command, item.text.c_str());
        redraw();
        TrackPopupMenuEx(menu, TPM_VERPOSANIMATION, r.left, r.bottom, window, nullptr);
        DestroyMenu(menu);
        return 0;
    }
    case WM_COMMAND: {
        isOn = LOWORD(wParam) != 0;
        SwitchGestures gestures(window);
        chooseSwitchItem(LOWORD(wParam), gestures);
        return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        if (GetCapture() != window)
            SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return 0;
    case WM_CAPTURECHANGED:
        redraw();
        return 0;
    case MSG_PARAM_VALUE:
        isOn = floatOf(static_cast<std::uint32_t>(wParam)) > 0.5f;
        redraw();
        return 0;
    default:
        return WinControl::handleMessage(window, message, wParam, lParam);
    }
}

void OnOff::paint(HWND window, HDC dc)
{
    copyParentBackground(dc);
    EditWin* editor = parentEditor(window);
    if (!editor)
        return;
    const auto accent = static_cast<COLORREF>(editor->desc->accentColour);
    RECT r{0, 0, 80, 12};
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previous = SelectObject(dc, editor->smallFont);
    SetTextColor(dc, accent);
    if (GetCapture() == window) {
        // The menu is open: the name alone, bold.
        SelectObject(dc, editor->boldFont);
        DrawTextA(dc, switchName, -1, &r, DT_SINGLELINE | DT_BOTTOM | DT_CENTER);
    } else {
        char full[96], name[64];
        std::snprintf(full, sizeof full, "%s: %s", switchName, stateTexts[isOn]);
        std::snprintf(name, sizeof name, "%s:", switchName);
        RECT m = r;
        DrawTextA(dc, full, -1, &m, DT_CALCRECT | DT_SINGLELINE | DT_BOTTOM | DT_CENTER);
        const int shift = (r.right - m.right) / 2;
        m.left += shift;
        m.right += shift;
        DrawTextA(dc, name, -1, &m, DT_SINGLELINE | DT_BOTTOM);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextA(dc, stateTexts[isOn], -1, &m, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    }
    SelectObject(dc, previous);
}

}  // namespace PlugEdit
