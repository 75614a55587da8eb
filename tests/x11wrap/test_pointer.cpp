// The pointer under Xvfb, moved and clicked through XTEST over the child window: presses, drags and
// releases arrive with their position, button and the modifiers of the event itself; leaving is told.
#include "tests/support/XTestPointer.h"
#include "tests/x11wrap/X11TestWindow.h"

using X11Test::Seen;
using X11Wrap::PointerEvent;

namespace {

class PointerFixture : public X11Test::OpenWindowFixture {
protected:
    // Sends what `act` does and waits for an event of that kind to reach the window.
    template <class Act>
    Seen next(Seen::Kind kind, Act act)
    {
        const std::size_t before = window.seen.size();
        act();
        pointer.sync();
        std::size_t at = before;
        const auto arrived = [&] {
            for (at = before; at < window.seen.size(); ++at)
                if (window.seen[at].kind == kind)
                    return true;
            return false;
        };
        if (!window.dispatchUntil(arrived)) {
            ADD_FAILURE() << "no event of kind " << kind << " arrived";
            return {kind, {}};
        }
        return window.seen[at];
    }

};

}  // namespace

TEST_F(PointerFixture, PressDragAndReleaseArriveWithPositionButtonAndModifiers)
{
    const xcb_window_t id = window.windowId();
    Seen s = next(Seen::moved, [&] { pointer.moveTo(id, 30, 40); });
    EXPECT_EQ(s.event.x, 30);
    EXPECT_EQ(s.event.y, 40);
    EXPECT_EQ(s.event.buttonsHeld, 0u);

    s = next(Seen::pressed, [&] { pointer.press(PointerEvent::left); });
    EXPECT_EQ(s.event.button, PointerEvent::left);
    EXPECT_EQ(s.event.x, 30);
    EXPECT_EQ(s.event.y, 40);
    EXPECT_FALSE(s.event.shift);
    EXPECT_FALSE(s.event.control);

    // A drag goes on reaching us past the window's edge (the press grabbed the pointer), with Shift.
    pointer.holdShift(true);
    s = next(Seen::moved, [&] { pointer.moveTo(id, 31, -5); });
    EXPECT_EQ(s.event.x, 31);
    EXPECT_EQ(s.event.y, -5);
    EXPECT_EQ(s.event.buttonsHeld, static_cast<unsigned>(PointerEvent::leftHeld));
    EXPECT_TRUE(s.event.shift);
    EXPECT_FALSE(s.event.control);

    s = next(Seen::released, [&] { pointer.release(PointerEvent::left); });
    EXPECT_EQ(s.event.button, PointerEvent::left);
    EXPECT_EQ(s.event.y, -5);
    EXPECT_TRUE(s.event.shift);
    pointer.holdShift(false);

    pointer.holdControl(true);
    next(Seen::moved, [&] { pointer.moveTo(id, 100, 200); });
    s = next(Seen::pressed, [&] { pointer.press(PointerEvent::right); });
    EXPECT_EQ(s.event.button, PointerEvent::right);
    EXPECT_EQ(s.event.x, 100);
    EXPECT_EQ(s.event.y, 200);
    EXPECT_TRUE(s.event.control);
    EXPECT_FALSE(s.event.shift);
    s = next(Seen::released, [&] { pointer.release(PointerEvent::right); });
    EXPECT_EQ(s.event.buttonsHeld, static_cast<unsigned>(PointerEvent::rightHeld));
    pointer.holdControl(false);
}

TEST_F(PointerFixture, LeavingTheWindowIsReported)
{
    next(Seen::moved, [&] { pointer.moveTo(window.windowId(), 80, 80); });
    const Seen s = next(Seen::left, [&] { pointer.moveTo(host->window(), 300, 500); });
    EXPECT_EQ(s.event.x, 300 - 20);
    EXPECT_EQ(s.event.y, 500 - 30);
}
