// Tarn.clap's editor as a CLAP host opens it (gui create, set_parent with our X11 window, show) under
// Xvfb, driven by our host's timer: a real drag on a knob reaches the host as gesture begin, values
// and gesture end for that parameter, and the effect holds the value dragged to.
#include <clap/ext/gui.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "limiter/LimiterParams.h"
#include "tests/clap/ExpectDrag.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"
#include "tools/pluginhost/ClapInstance.h"
#include "tools/vsthost/HostWindowX11.h"

using PluginHost::ReportedEvent;

namespace {

constexpr int thresholdX = 40, thresholdY = 55;  // the threshold knob's centre
constexpr int left = 1;

class ClapEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_NE(TestSupport::sharedXvfb(error), nullptr) << error;
        ASSERT_TRUE(pointer.connect(error)) << error;
        file = PluginHost::ClapFile::open(VstHost::programFolder() + "../Tarn.clap", error);
        ASSERT_TRUE(file) << error;
        clap = file->instantiateClap(error);
        ASSERT_TRUE(clap) << error;
        ASSERT_TRUE(clap->start(44100.0, 512, false, error)) << error;
    }
    void TearDown() override
    {
        if (clap)
            clap->closeEditor();
    }
    // The host's pace: its window's events, then the plug-in's timer, a few times.
    void idle()
    {
        pointer.sync();
        for (int i = 0; i < 5; ++i) {
            window->pumpEvents();
            clap->idleEditor();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    TestSupport::XTestPointer pointer;
    std::unique_ptr<PluginHost::ClapFile> file;
    std::unique_ptr<PluginHost::ClapInstance> clap;
    std::unique_ptr<VstHost::X11HostWindow> window;
};

}  // namespace

TEST_F(ClapEditor, KnobDragReachesTheHostBetweenGestureBeginAndEnd)
{
    int width = 0, height = 0;
    ASSERT_TRUE(clap->editorSize(1.0f, width, height));
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 260);
    window = VstHost::X11HostWindow::create(width, height);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(clap->openEditor(window->editorParent()));
    idle();
    clap->takeReportedEvents();

    pointer.moveTo(window->window(), thresholdX, thresholdY);
    pointer.press(left);
    idle();
    for (int dy = 10; dy <= 60; dy += 10) {
        pointer.moveTo(window->window(), thresholdX, thresholdY + dy);
        idle();
    }
    pointer.release(left);
    idle();

    const std::vector<ReportedEvent> events = clap->takeReportedEvents();
    ASSERT_NO_FATAL_FAILURE(TestSupport::expectDragDown(events, LimiterParams::threshold));
    for (std::size_t i = 1; i + 1 < events.size(); ++i) {
        EXPECT_GE(events[i].value, 0.0);
        EXPECT_LE(events[i].value, 1.0);
    }
    EXPECT_FLOAT_EQ(clap->parameter(LimiterParams::threshold), static_cast<float>(events[events.size() - 2].value));
}

// At a host's scale of 2 the editor is twice the size; a factor that is no number is refused.
TEST_F(ClapEditor, HostsScaleDoublesTheSize)
{
    int width = 0, height = 0;
    ASSERT_TRUE(clap->editorSize(2.0f, width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 520);
    window = VstHost::X11HostWindow::create(width, height);
    ASSERT_TRUE(clap->openEditor(window->editorParent()));
    idle();
    const auto* gui =
        static_cast<const clap_plugin_gui_t*>(clap->plugin()->get_extension(clap->plugin(), CLAP_EXT_GUI));
    ASSERT_NE(gui, nullptr);
    EXPECT_FALSE(gui->set_scale(clap->plugin(), -1.0));
    EXPECT_FALSE(gui->can_resize(clap->plugin()));
    std::uint32_t w = 100, h = 100;
    ASSERT_TRUE(gui->adjust_size(clap->plugin(), &w, &h));
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 520u);
    EXPECT_FALSE(gui->is_api_supported(clap->plugin(), CLAP_WINDOW_API_WIN32, false));
    EXPECT_FALSE(gui->is_api_supported(clap->plugin(), CLAP_WINDOW_API_X11, true));
}
