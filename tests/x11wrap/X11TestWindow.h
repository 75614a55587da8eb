// A child window that records what reaches its handlers, the fixture that gives each test the
// program's own Xvfb and a host window to open into, and one with such a window already open in it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"
#include "tools/vsthost/HostWindowX11.h"
#include "x11wrap/ChildWindow.h"

namespace X11Test {

struct Seen {
    enum Kind { pressed, released, moved, left } kind;
    X11Wrap::PointerEvent event;
};

class RecordingWindow : public X11Wrap::ChildWindow {
public:
    std::vector<Seen> seen;
    std::vector<X11Wrap::Area> exposures;
    std::vector<std::uint32_t> keys;  // keysyms

    // Dispatches until `done` holds, for at most two seconds.
    bool dispatchUntil(const std::function<bool()>& done)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < until) {
            dispatchEvents();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

protected:
    void exposed(const X11Wrap::Area& area) override { exposures.push_back(area); }
    void buttonPressed(const X11Wrap::PointerEvent& e) override { seen.push_back({Seen::pressed, e}); }
    void buttonReleased(const X11Wrap::PointerEvent& e) override { seen.push_back({Seen::released, e}); }
    void pointerMoved(const X11Wrap::PointerEvent& e) override { seen.push_back({Seen::moved, e}); }
    void pointerLeft(const X11Wrap::PointerEvent& e) override { seen.push_back({Seen::left, e}); }
    void keyPressed(std::uint32_t keysym) override { keys.push_back(keysym); }
};

class X11Fixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_NE(TestSupport::sharedXvfb(error), nullptr) << error;
        host = VstHost::X11HostWindow::create(400, 600);
        ASSERT_NE(host, nullptr);
    }

    std::unique_ptr<VstHost::X11HostWindow> host;
};

// A recording window at (20, 30), 160 by 260, in the host's window and exposed, and the XTEST pointer.
class OpenWindowFixture : public X11Fixture {
protected:
    void SetUp() override
    {
        X11Fixture::SetUp();
        std::string error;
        ASSERT_TRUE(pointer.connect(error)) << error;
        ASSERT_TRUE(window.open(host->window(), 20, 30, 160, 260));
        ASSERT_TRUE(window.dispatchUntil([&] { return !window.exposures.empty(); }));
    }

    TestSupport::XTestPointer pointer;
    RecordingWindow window;
};

}  // namespace X11Test
