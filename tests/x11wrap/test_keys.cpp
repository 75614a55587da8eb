// Keys under Xvfb, struck through XTEST with the pointer over the child window: they pass to the host's
// window (its shortcuts) until the child takes the focus, and the focus goes back where it was.
#include <cstdlib>
#include <string>

#include "tests/support/XTestPointer.h"
#include "tests/x11wrap/X11TestWindow.h"

namespace {

constexpr std::uint32_t keysymA = 0x61;

class KeyFixture : public X11Test::OpenWindowFixture {
protected:
    void SetUp() override
    {
        OpenWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        // The host listens for keys on its window, as hosts with shortcuts do, and has the focus.
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_KEY_PRESS;
        xcb_change_window_attributes(host->connection(), host->window(), XCB_CW_EVENT_MASK, &mask);
        focusOn(host->window());
        pointer.moveTo(window.windowId(), 50, 50);
        pointer.sync();
    }

    void focusOn(xcb_window_t w)
    {
        xcb_set_input_focus(host->connection(), XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
        host->sync();
    }
    xcb_window_t focus()
    {
        xcb_get_input_focus_reply_t* r =
            xcb_get_input_focus_reply(host->connection(), xcb_get_input_focus(host->connection()), nullptr);
        const xcb_window_t w = r ? r->focus : 0;
        std::free(r);
        return w;
    }

    // Strikes the key; afterwards every event it caused has reached both connections.
    void strike(std::uint32_t keysym)
    {
        ASSERT_TRUE(pointer.strike(keysym));
        pointer.sync();
        host->sync();
        window.sync();
    }
    int hostKeyPresses()
    {
        int presses = 0;
        while (xcb_generic_event_t* e = xcb_poll_for_event(host->connection())) {
            presses += (e->response_type & 0x7F) == XCB_KEY_PRESS;
            std::free(e);
        }
        return presses;
    }

};

TEST_F(KeyFixture, KeysPassToTheHostUntilTheWindowTakesTheFocusAndAfterItGivesItBack)
{
    strike(keysymA);
    window.dispatchEvents();
    EXPECT_TRUE(window.keys.empty());
    EXPECT_EQ(hostKeyPresses(), 1);

    window.takeKeyFocus();
    EXPECT_EQ(focus(), window.windowId());
    strike(X11Wrap::keysymEscape);
    strike(keysymA);
    ASSERT_TRUE(window.dispatchUntil([&] { return window.keys.size() == 2; }));
    EXPECT_EQ(window.keys[0], X11Wrap::keysymEscape);
    EXPECT_EQ(window.keys[1], keysymA);
    EXPECT_EQ(hostKeyPresses(), 0);

    window.giveKeyFocusBack();
    EXPECT_EQ(focus(), host->window());
    strike(keysymA);
    window.dispatchEvents();
    EXPECT_EQ(window.keys.size(), 2u);
    EXPECT_EQ(hostKeyPresses(), 1);
}

TEST_F(KeyFixture, AFocusTheUserMovedMeanwhileStaysWhereItIs)
{
    auto other = VstHost::X11HostWindow::create(50, 50);
    ASSERT_NE(other, nullptr);
    window.takeKeyFocus();
    focusOn(other->window());
    window.giveKeyFocusBack();
    EXPECT_EQ(focus(), other->window());
}

// Closing while holding it returns the focus to the window that had it, not merely to our parent.
TEST_F(KeyFixture, ClosingWhileHoldingTheFocusGivesItBack)
{
    auto other = VstHost::X11HostWindow::create(50, 50);
    ASSERT_NE(other, nullptr);
    focusOn(other->window());
    window.takeKeyFocus();
    EXPECT_EQ(focus(), window.windowId());
    window.close();
    EXPECT_EQ(focus(), other->window());
}

}  // namespace
