// The editor opened into a host window under the real window system: the protocol between controls,
// editor window and plug-in, learn, the menu's save, the meter mailbox, the pictures shown.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/Platform.h"
#include "plugcore/MidiKeys.h"
#include "plugedit/EditMessages.h"
#include "tests/support/EditorRig.h"
#include "tests/support/MessageCapture.h"

using namespace TestSupport;
using namespace PlugEdit;

namespace {

LPARAM bits(float v) { return static_cast<LPARAM>(bitsOf(v)); }

int requestsOf(VstHost::HostedEffect& host, VstInt32 opcode, VstInt32 index)
{
    int n = 0;
    for (const auto& r : host.takeRequests())
        n += r.opcode == opcode && r.index == index;
    return n;
}

std::string defaultsPath()
{
    std::string folder;
    Platform::appDataFolder(folder);
    return folder + "\\Quellbrook\\Tarn.defaults";
}

}  // namespace

TEST(EditorWindow, OpensIntoTheHostsWindowWithItsControlsAndBackground)
{
    EditorRig rig;
    ERect* rect = nullptr;
    ASSERT_EQ(rig.host->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->bottom, 260);
    EXPECT_EQ(rect->right, 160);
    EXPECT_EQ(rig.host->effect()->flags & effFlagsHasEditor, effFlagsHasEditor);
    rig.close();  // close without open does nothing
    rig.open();
    rig.open();  // a second open changes nothing
    ASSERT_TRUE(rig.editor().openWindow());
    EXPECT_EQ(GetParent(rig.window().hwnd), rig.hostWindow);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(rig.control(i)) << i;
        EXPECT_EQ(GetWindowLongA(rig.control(i), GWL_ID), i);
    }
    EXPECT_EQ(rig.window().controlWindow(5), nullptr);
    EXPECT_EQ(rig.window().controlWindow(-1), nullptr);
    // A golden scale line of the background at row 20, beside the meter bars.
    EXPECT_EQ(rig.shownPixel(95, 20), RGB(0xD3, 0xAD, 0x6B));
    // The knobs start from the plug-in's values, posted at creation.
    EXPECT_FLOAT_EQ(rig.knob(2).shownValue, rig.host->getParameter(2));
    rig.close();
    EXPECT_EQ(rig.editor().openWindow(), nullptr);
    EXPECT_FALSE(rig.editor().isOpen());
}

TEST(EditorWindow, ProtocolSetsAutomatesAndBracketsGestures)
{
    EditorRig rig;
    rig.open();
    rig.host->takeRequests();
    rig.sendToWindow(MSG_BEGIN_EDIT, 1);
    rig.sendToWindow(MSG_SET_PARAM, 1, bits(0.25f));
    rig.sendToWindow(MSG_END_EDIT, 1);
    EXPECT_FLOAT_EQ(rig.host->getParameter(1), 0.25f);
    const auto requests = rig.host->takeRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(requests[1].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(requests[1].opt, 0.25f);
    EXPECT_EQ(requests[2].opcode, audioMasterEndEdit);
    // The change comes back to the knob by posted message.
    pumpMessages();
    EXPECT_FLOAT_EQ(rig.knob(1).shownValue, 0.25f);

    rig.host->setParameter(0, 0.1f);
    rig.sendToWindow(MSG_RESET_PARAM, 0);
    EXPECT_FLOAT_EQ(rig.host->getParameter(0), rig.limiter().paramTable()[0].defaultValue);
    rig.sendToWindow(MSG_RESET_PARAM, 9);  // beyond the table: refused by the plug-in, no harm
    // A change from another place (the host, here) reaches the control.
    rig.host->setParameter(4, 1.0f);
    pumpMessages();
    EXPECT_TRUE(rig.onOff(4).isOn);
}

TEST(EditorWindow, LearnMovesBetweenControlsAndEndsWithCloseOrUnlearn)
{
    EditorRig rig;
    rig.open();
    rig.sendToWindow(MSG_LEARN_START, 0);
    EXPECT_EQ(rig.limiter().learningParam(), 0);
    EXPECT_TRUE(rig.knob(0).learning);
    rig.sendToWindow(MSG_LEARN_START, 2);
    EXPECT_EQ(rig.limiter().learningParam(), 2);
    EXPECT_FALSE(rig.knob(0).learning);
    EXPECT_TRUE(rig.knob(2).learning);
    rig.sendToWindow(MSG_UNLEARN, 1);  // ends the pending learn too
    EXPECT_EQ(rig.limiter().learningParam(), -1);
    EXPECT_FALSE(rig.knob(2).learning);
    rig.sendToWindow(MSG_LEARN_START, 7);  // outside the table: nothing armed, nothing indexed
    EXPECT_EQ(rig.limiter().learningParam(), -1);
    rig.sendToWindow(MSG_LEARN_START, 1);
    rig.close();
    EXPECT_EQ(rig.limiter().learningParam(), -1);  // abandoned with the window
}

TEST(EditorWindow, LearnFromTheKnobMenuIsBoundByAControllerThatThenMovesIt)
{
    EditorRig rig;
    rig.open();
    SendMessageA(rig.control(0), WM_COMMAND, 0x8004, 0);  // "MIDI &Learn..."
    EXPECT_TRUE(rig.knob(0).learning);
    rig.host->sendMidi({VstHost::HostedEffect::midiEvent(0, 0xB0, 21, 127)});
    float silence[2][64] = {};
    float* io[2] = {silence[0], silence[1]};
    rig.host->processReplacing(io, io, 64);
    pumpMessages();
    EXPECT_FALSE(rig.knob(0).learning);
    EXPECT_FALSE(rig.editor().isLearning());
    EXPECT_EQ(rig.limiter().paramTable()[0].midiKey.load(), PlugCore::signExtendKey(PlugCore::controllerKey(21)));
    EXPECT_FLOAT_EQ(rig.knob(0).shownValue, 1.0f);
    SendMessageA(rig.control(0), WM_COMMAND, 0x8005, 0);  // "MIDI &Unlearn"
    EXPECT_EQ(rig.limiter().paramTable()[0].midiKey.load(), -1);
}

TEST(EditorWindow, KnobDragArithmeticAndGestures)
{
    EditorRig rig;
    rig.open();
    rig.host->setParameter(0, 0.0f);
    pumpMessages();
    HWND k = rig.control(0);
    Knob& knob = rig.knob(0);
    rig.host->takeRequests();
    SendMessageA(k, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 40));
    ASSERT_TRUE(knob.dragging);
    EXPECT_EQ(requestsOf(*rig.host, audioMasterBeginEdit, 0), 1);
    const int y0 = knob.lastY;
    SendMessageA(k, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, y0 - 1));
    EXPECT_FLOAT_EQ(rig.host->getParameter(0), 1.0f / 400.0f);
    SendMessageA(k, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(40, y0 - 2));
    EXPECT_FLOAT_EQ(rig.host->getParameter(0), 1.0f / 400.0f + 1.0f / 4000.0f);
    // 50 pixels past the bottom, then one back up: 1/400 at once.
    SendMessageA(k, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, y0 + 48));
    EXPECT_FLOAT_EQ(rig.host->getParameter(0), 0.0f);
    SendMessageA(k, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, y0 + 47));
    EXPECT_FLOAT_EQ(rig.host->getParameter(0), 1.0f / 400.0f);
    // A right click during the drag centres the value and ends the gesture.
    SendMessageA(k, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
    pumpMessages();
    EXPECT_FLOAT_EQ(rig.host->getParameter(0), 0.5f);
    EXPECT_FALSE(knob.dragging);
    EXPECT_EQ(requestsOf(*rig.host, audioMasterEndEdit, 0), 1);

    // Outside the disc of radius 32 the knob is transparent to the mouse.
    RECT r;
    GetWindowRect(k, &r);
    EXPECT_EQ(SendMessageA(k, WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2)), HTTRANSPARENT);
    EXPECT_EQ(SendMessageA(k, WM_NCHITTEST, 0, MAKELPARAM(r.left + 40, r.top + 40)), HTCLIENT);
    EXPECT_EQ(SendMessageA(k, WM_NCHITTEST, 0, MAKELPARAM(r.left + 40, r.top + 40 + 32)), HTTRANSPARENT);
}

TEST(EditorWindow, SwitchesFlipThroughThePlugIn)
{
    EditorRig rig;
    rig.open();
    HWND s = rig.control(4);
    OnOff& dither = rig.onOff(4);
    rig.host->setParameter(4, 0.0f);
    pumpMessages();
    ASSERT_FALSE(dither.isOn);
    SendMessageA(s, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_FLOAT_EQ(rig.host->getParameter(4), 1.0f);
    EXPECT_FALSE(dither.isOn);  // shown once the plug-in's notification arrives
    pumpMessages();
    EXPECT_TRUE(dither.isOn);
    SendMessageA(s, MSG_PARAM_VALUE, bitsOf(0.5f), 0);
    EXPECT_FALSE(dither.isOn);
    SendMessageA(s, MSG_PARAM_VALUE, bitsOf(0.5000001f), 0);
    EXPECT_TRUE(dither.isOn);
    SendMessageA(s, WM_COMMAND, 0, 0);  // the menu's first item
    EXPECT_FLOAT_EQ(rig.host->getParameter(4), 0.0f);
}

TEST(EditorWindow, MeterMailboxAndRefresh)
{
    EditorRig rig;
    Edit& edit = rig.editor();
    rig.open();
    // The first refresh takes the zeroed block: minGain 0 draws the reduction bar over the whole height.
    pumpMessages(60);
    EXPECT_NE(rig.editor().meterPicture().colorAt(120, 200) >> 16 & 0xFF, 0u);

    MeterBlock a, b, taken;
    a.outPeak[0] = 0.5f;
    b.outPeak[0] = 0.25f;
    rig.close();  // nobody takes while closed
    EXPECT_TRUE(edit.publishMeters(&a));
    EXPECT_TRUE(edit.publishMeters(&b));  // lost: the first is untaken
    ASSERT_TRUE(edit.takeMeters(&taken));
    EXPECT_EQ(taken.outPeak[0], 0.5f);
    EXPECT_FALSE(edit.takeMeters(&taken));

    // A full-scale block through the window brightens the peak columns over the background.
    rig.open();
    const COLORREF before = rig.shownPixel(106, 100);
    const COLORREF besideBefore = rig.shownPixel(100, 100);  // in the window, left of the bars
    MeterBlock loud;
    loud.outPeak[0] = loud.outPeak[1] = 1.0f;
    loud.peakHold[0] = loud.peakHold[1] = 1.0f;
    loud.minGain = 1.0f;
    EXPECT_TRUE(edit.publishMeters(&loud));
    pumpMessages(60);
    const COLORREF after = rig.shownPixel(106, 100);
    EXPECT_GT(GetGValue(after), GetGValue(before) + 0x80);
    EXPECT_EQ(rig.shownPixel(100, 100), besideBefore);
}

TEST(EditorWindow, SaveDefaultsAsksFirstAndWritesOnlyAfterOk)
{
    const std::string path = defaultsPath();
    std::remove(path.c_str());
    EditorRig rig;
    rig.open();
    {
        MessageCapture boxes(MessageCapture::Answer::cancel);
        rig.sendToWindow(WM_COMMAND, commandSaveDefaults);
        const auto shown = boxes.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].caption, "Tarn");
        EXPECT_EQ(shown[0].text.rfind("Saving new defaults for:", 0), 0u);
    }
    EXPECT_FALSE(std::fopen(path.c_str(), "rb"));
    {
        MessageCapture boxes;
        rig.sendToWindow(WM_COMMAND, commandSaveDefaults);
    }
    std::FILE* written = std::fopen(path.c_str(), "rb");
    EXPECT_TRUE(written);
    if (written)
        std::fclose(written);
    std::remove(path.c_str());
}

namespace {

// Reads the items of the next popup menu this thread opens, then closes it with Escape.
thread_local std::vector<std::pair<std::string, UINT>>* menuSeen = nullptr;

LRESULT CALLBACK readMenu(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITMENUPOPUP && menuSeen) {
        auto menu = reinterpret_cast<HMENU>(m->wParam);
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[128] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            menuSeen->emplace_back(text, GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION));
        }
        PostMessageA(m->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<std::pair<std::string, UINT>> menuOf(HWND control)
{
    std::vector<std::pair<std::string, UINT>> seen;
    menuSeen = &seen;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, readMenu, nullptr, GetCurrentThreadId());
    SendMessageA(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
    UnhookWindowsHookEx(hook);
    menuSeen = nullptr;
    pumpMessages();
    return seen;
}

}  // namespace

TEST(EditorWindow, KnobAndSwitchMenusSayWhatTheyDo)
{
    EditorRig rig;
    rig.open();
    char shown[64] = {}, unit[64] = {};
    rig.limiter().getDisplayText(0, shown, rig.limiter().paramTable()[0].defaultValue);
    rig.limiter().getParameterLabel(0, unit);
    auto menu = menuOf(rig.control(0));
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0].first, std::string("&Reset to default (") + shown + " " + unit + ")");
    EXPECT_TRUE(menu[1].second & MF_SEPARATOR);
    EXPECT_EQ(menu[2].first, "MIDI &Learn...");
    EXPECT_EQ(menu[3].first, "MIDI &Unlearn");
    EXPECT_TRUE(menu[3].second & MF_DISABLED);

    rig.limiter().paramTable()[0].midiKey.store(PlugCore::signExtendKey(PlugCore::controllerKey(21)));
    menu = menuOf(rig.control(0));
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[3].first, "MIDI &Unlearn (chan:1, cc:21)");
    EXPECT_FALSE(menu[3].second & MF_DISABLED);

    // The display switch offers both scales with the current one checked.
    rig.host->setParameter(3, 1.0f);
    pumpMessages();
    menu = menuOf(rig.control(3));
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].first, "20dB scale");
    EXPECT_EQ(menu[1].first, "40dB scale");
    EXPECT_FALSE(menu[0].second & MF_CHECKED);
    EXPECT_TRUE(menu[1].second & MF_CHECKED);
}

namespace {

// A child of the editor window that changes a parameter while it is being destroyed, that is while
// the editor's close holds its lock: the notification must be dropped, not posted into dying windows.
struct ChangesOnDestroy : WinWrap::WinControl {
    ChangesOnDestroy(HWND parent, PlugCore::Plug& plug) : WinControl(parent, 0, 0, 4, 4, WS_VISIBLE), plug(plug) {}
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_DESTROY)
            plug.setParameter(1, 0.3f);
        return WinControl::handleMessage(window, message, wParam, lParam);
    }
    void paint(HWND, HDC) override {}
    PlugCore::Plug& plug;
};

}  // namespace

TEST(EditorWindow, ChangeDuringCloseIsDroppedSafely)
{
    EditorRig rig;
    rig.open();
    new ChangesOnDestroy(rig.window().hwnd, rig.limiter());
    rig.close();
    EXPECT_FLOAT_EQ(rig.host->getParameter(1), 0.3f);  // the change itself happened
    pumpMessages(20);
    rig.open();  // and the editor comes back showing it
    pumpMessages();
    EXPECT_FLOAT_EQ(rig.knob(1).shownValue, 0.3f);
}

TEST(EditorWindow, CreatingTheControlsPostsEachItsValueInOrder)
{
    EditorRig rig;
    rig.host->dispatch(effEditOpen, 0, 0, rig.hostWindow);
    std::vector<int> order;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, MSG_PARAM_VALUE, MSG_PARAM_VALUE, PM_REMOVE)) {
        order.push_back(static_cast<int>(GetWindowLongA(msg.hwnd, GWL_ID)));
        EXPECT_EQ(floatOf(static_cast<std::uint32_t>(msg.wParam)), rig.host->getParameter(order.back()));
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(order, (std::vector<int>{3, 4, 0, 2, 1}));
}
