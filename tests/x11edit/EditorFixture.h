// The limiter's X11 editor opened by our host into a window of its own under the tests' Xvfb, and the
// host's side of driving it: idle calls, real pointer events (XTEST), the editor's window read back.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "plugcore/Plug.h"
#include "tests/support/TestEffect.h"
#include "tests/support/WindowPixels.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"
#include "tools/vsthost/HostWindowX11.h"
#include "tools/vsthost/HostedEffect.h"
#include "x11edit/VstEditor.h"

namespace EditorTest {

constexpr int left = 1, right = 3;

inline PlugCore::Plug& plugOf(VstHost::HostedEffect& host)
{
    return *static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(host.effect()->object));
}

class EditorFixture : public ::testing::Test {
protected:
    // Our host opens the editor into a window of width by height, having first asked for the editor
    // drawn `scale` times its size when scale is above 0 (as Carla and Bitwig ask).
    void openEditor(int width, int height, float scale = 0.0f)
    {
        std::string error;
        ASSERT_NE(TestSupport::sharedXvfb(error), nullptr) << error;
        ASSERT_TRUE(pointer.connect(error)) << error;
        host = VstHost::HostedEffect::create(TestSupport::limiterEntry);
        host->start(44100.0f, 512);
        if (scale > 0.0f) {
            ASSERT_EQ(host->dispatch(effVendorSpecific, kVendorEditorScale, kVendorEditorScaleValue, nullptr, scale),
                      1);
        }
        hostWindow = VstHost::X11HostWindow::create(width, height);
        ASSERT_NE(hostWindow, nullptr);
        ASSERT_TRUE(VstHost::openEditor(*host, *hostWindow));
        idle();
        host->takeRequests();
    }
    void TearDown() override
    {
        if (host)
            host->dispatch(effEditClose);
    }

    X11Edit::VstEditor& editor() { return *dynamic_cast<X11Edit::VstEditor*>(plugOf(*host).getEditor()); }

    // Idle calls until the pointer's events have reached the editor and been drawn.
    void idle()
    {
        pointer.sync();
        for (int i = 0; i < 5; ++i) {
            hostWindow->pumpEvents();
            host->dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    void click(int x, int y, int button)
    {
        pointer.moveTo(hostWindow->window(), x, y);
        pointer.press(button);
        pointer.release(button);
        idle();
    }
    void moveTo(int x, int y)
    {
        pointer.moveTo(hostWindow->window(), x, y);
        idle();
    }
    // The editor's window as the server shows it, top row first.
    std::vector<std::uint32_t> windowPixels()
    {
        auto connection = X11Wrap::Connection::open();
        const X11Edit::EditorWindow& window = *editor().openWindow();
        return TestSupport::readWindowPixels(*connection, window.windowId(), window.width(), window.height());
    }

    TestSupport::XTestPointer pointer;
    std::unique_ptr<VstHost::X11HostWindow> hostWindow;
    std::unique_ptr<VstHost::HostedEffect> host;
};

}  // namespace EditorTest
