#include "plugedit/EditWin.h"

#include <shellapi.h>

#include "host/ModuleHandle.h"
#include "limiter/ProductFacts.h"
#include "plugedit/Edit.h"
#include "plugedit/EditMenus.h"
#include "plugedit/EditMessages.h"

namespace PlugEdit {

namespace {

bool held(int key) { return (GetKeyState(key) & 0x8000) != 0; }

HFONT verdana(int points, int weight, DWORD quality)
{
    return CreateFontA(-MulDiv(points, 96, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_DONTCARE, "Verdana");
}

}  // namespace

EditWin::EditWin(const EditorLayout& description, HWND parent, Edit& editor)
    : WinControl(parent, 0, 0, description.width, description.height, WS_VISIBLE | WS_CLIPCHILDREN), edit(&editor),
      desc(&description)
{
    // Shift + Control + Alt held while the editor opens: plain, non-antialiased text.
    const DWORD quality =
        held(VK_SHIFT) && held(VK_CONTROL) && held(VK_MENU) ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
    smallFont = verdana(7, FW_NORMAL, quality);
    boldFont = verdana(9, FW_BOLD, quality);
    try {
        if (description.controlCount > 0) {
            controls.reset(new HWND[static_cast<std::size_t>(description.controlCount)]());
            if (hwnd)  // without a window of our own, controls would become top-level windows
                edit->createControls(*this);
        }
        if (description.meterBytes > 0)
            meterCopy.reset(new unsigned char[static_cast<std::size_t>(description.meterBytes)]());
    } catch (...) {
        // The object is going away with the exception: its window (and the controls in it) must not
        // keep pointing at it.
        if (hwnd) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            DestroyWindow(hwnd);
        }
        DeleteObject(smallFont);
        DeleteObject(boldFont);
        throw;
    }
    timerActive = false;
    background =
        LoadBitmapA(static_cast<HINSTANCE>(moduleInstance()), MAKEINTRESOURCEA(description.backgroundId & 0xFFFF));
}

EditWin::~EditWin()
{
    DeleteObject(smallFont);
    DeleteObject(boldFont);
    DeleteObject(background);
    edit->windowDestroyed();
}

HWND EditWin::controlWindow(int index) const
{
    if (!controls || index < 0 || index >= desc->controlCount)
        return nullptr;
    return controls[static_cast<std::size_t>(index)];
}

void EditWin::setControlWindow(int index, HWND control)
{
    if (controls && index >= 0 && index < desc->controlCount)
        controls[static_cast<std::size_t>(index)] = control;
}

LRESULT EditWin::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int index = static_cast<int>(wParam);
    OpsGestures gestures(*edit, index);
    switch (message) {
    case WM_PAINT:
        if (!timerActive && desc->meterBytes != 0)
            timerActive = SetTimer(window, 0, 1, nullptr) != 0;
        return WinControl::handleMessage(window, message, wParam, lParam);
    case WM_TIMER:
        edit->refresh();
        if (meterCopy && edit->takeMeters(meterCopy.get()) && edit->updateMeters(meterCopy.get()))
            redraw();
        return 0;
    case WM_DESTROY:
        if (timerActive)
            KillTimer(window, 0);
        return WinControl::handleMessage(window, message, wParam, lParam);
    case WM_LBUTTONDOWN: {
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        if (inMenuCorner(x, y, desc->width, desc->height))
            showContextMenu();
        return 0;
    }
    case WM_COMMAND:
        if (wParam == commandSaveDefaults)
            askAndSaveDefaults();
        else if (wParam == commandWebSite)
            ShellExecuteA(nullptr, "open", ProductFacts::webAddress, nullptr, nullptr, SW_SHOWDEFAULT);
        return 0;
    case MSG_SET_PARAM:
        gestures.setValue(floatOf(static_cast<std::uint32_t>(lParam)));
        return 0;
    case MSG_BEGIN_EDIT:
        gestures.beginEdit();
        return 0;
    case MSG_END_EDIT:
        gestures.endEdit();
        return 0;
    case MSG_LEARN_START:
        gestures.startLearn();
        return 0;
    case MSG_UNLEARN:
        gestures.unlearn();
        return 0;
    case MSG_LEARN_END:
        gestures.endLearn();
        return 0;
    case MSG_RESET_PARAM:
        gestures.resetToDefault();
        return 0;
    default:
        return WinControl::handleMessage(window, message, wParam, lParam);
    }
}

void EditWin::showContextMenu()
{
    HMENU menu = CreatePopupMenu();
    for (const MenuItem& item : cornerMenu())
        AppendMenuA(menu, MF_STRING, item.command, item.text.c_str());
    RECT r;
    GetWindowRect(hwnd, &r);
    TrackPopupMenuEx(menu, TPM_CENTERALIGN | TPM_VERPOSANIMATION, r.right - 45, r.bottom, hwnd, nullptr);
    DestroyMenu(menu);
}

void EditWin::askAndSaveDefaults()
{
    const int answer =
        MessageBoxA(hwnd, saveDefaultsQuestion, edit->productName(), MB_OKCANCEL | MB_ICONQUESTION | MB_TASKMODAL);
    if (answer == IDOK)
        edit->saveDefaults();
}

void EditWin::paint(HWND, HDC bufferDC)
{
    if (background) {
        HDC source = CreateCompatibleDC(bufferDC);
        HGDIOBJ previous = SelectObject(source, background);
        BITMAP picture{};
        GetObjectA(background, sizeof picture, &picture);
        BitBlt(bufferDC, 0, 0, picture.bmWidth, picture.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    } else {
        // No picture: a plain dark ground, so controls and meter still read.
        RECT all{0, 0, desc->width, desc->height};
        HBRUSH ground = CreateSolidBrush(RGB(0x2A, 0x1C, 0x12));
        FillRect(bufferDC, &all, ground);
        DeleteObject(ground);
    }
    edit->paintOverlay(*this, bufferDC);
}

}  // namespace PlugEdit
