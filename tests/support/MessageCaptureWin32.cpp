#include <windows.h>

#include "tests/support/MessageCapture.h"

// A thread-local CBT hook notices the box's activation and starts a thread timer; the timer reads the
// caption and the text (the box's Static child, which is not yet filled at activation) and presses OK.
namespace TestSupport {

namespace {

thread_local HHOOK hook = nullptr;
thread_local HWND box = nullptr;
thread_local std::vector<ShownMessage>* captured = nullptr;
thread_local WPARAM answerCommand = IDOK;

BOOL CALLBACK findText(HWND child, LPARAM found)
{
    char className[32] = {};
    char text[1024] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0) {
        *reinterpret_cast<std::string*>(found) = text;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK closeBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (!box)
        return;
    char caption[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    std::string text;
    EnumChildWindows(box, findText, reinterpret_cast<LPARAM>(&text));
    if (captured)
        captured->push_back({caption, text});
    PostMessageA(box, WM_COMMAND, answerCommand, 0);
    box = nullptr;
}

LRESULT CALLBACK watch(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        char className[32] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0) {
            box = reinterpret_cast<HWND>(wParam);
            SetTimer(nullptr, 0, 1, closeBox);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

MessageCapture::MessageCapture(Answer answer)
{
    answerCommand = answer == Answer::ok ? IDOK : IDCANCEL;
    captured = new std::vector<ShownMessage>;
    hook = SetWindowsHookExA(WH_CBT, watch, nullptr, GetCurrentThreadId());
}

MessageCapture::~MessageCapture()
{
    UnhookWindowsHookEx(hook);
    hook = nullptr;
    delete captured;
    captured = nullptr;
}

std::vector<ShownMessage> MessageCapture::take()
{
    std::vector<ShownMessage> shown;
    shown.swap(*captured);
    return shown;
}

}  // namespace TestSupport
