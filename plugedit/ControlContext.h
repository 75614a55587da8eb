// What a control reads from the editor window it lives in (through the parent's user data): the
// editor, the description, the fonts; and the messages it sends there.
#pragma once

#include "plugedit/Edit.h"
#include "plugedit/EditWin.h"

namespace PlugEdit {

inline EditWin* parentEditor(HWND control)
{
    return dynamic_cast<EditWin*>(WinWrap::WinControl::fromWindow(GetParent(control)));
}

// Sends a gesture to the editor window, with the control's parameter index as wParam.
inline void sendToEditor(HWND control, UINT message, LPARAM lParam = 0)
{
    SendMessageA(GetParent(control), message, static_cast<WPARAM>(GetWindowLongA(control, GWL_ID)), lParam);
}

}  // namespace PlugEdit
