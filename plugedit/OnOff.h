// The two-state switch on Windows: one line "name: value"; a left click flips the parameter, a right
// click offers both states with the current one checked (the rules in EditMenus).
#pragma once

#include "winwrap/WinControl.h"

namespace PlugEdit {

class OnOff : public WinWrap::WinControl {
public:
    // texts[0] / texts[1]: off / on, as shown after the colon and as menu items.
    OnOff(int x, HWND parent, const char* name, const char* const stateTexts[2], const char* const menuTexts[2]);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    ~OnOff() override = default;
    void paint(HWND window, HDC bufferDC) override;

    bool isOn = false;
    const char* switchName;
    const char* stateTexts[2];
    const char* menuTexts[2];
};

}  // namespace PlugEdit
