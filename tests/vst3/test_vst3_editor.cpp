// Tarn.vst3's editor as a VST3 host opens it (createView, setFrame with a run loop of ours, attached
// with X11EmbedWindowID) under Xvfb, driven by our run loop's timer: a real drag on a knob reaches the
// component handler as beginEdit, performEdit calls and endEdit for that parameter; the content scale
// doubles the view; the view keeps its one size.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "limiter/LimiterParams.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"
#include "tests/vst3/ExpectDrag.h"
#include "tools/pluginhost/Vst3Instance.h"
#include "tools/vsthost/HostWindowX11.h"

namespace {

constexpr int thresholdX = 40, thresholdY = 55;  // the threshold knob's centre
constexpr int left = 1;

class Vst3Editor : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_NE(TestSupport::sharedXvfb(error), nullptr) << error;
        ASSERT_TRUE(pointer.connect(error)) << error;
        file = PluginHost::Vst3File::open(VstHost::programFolder() + "../Tarn.vst3", error);
        ASSERT_TRUE(file) << error;
        vst3 = file->instantiateVst3(error);
        ASSERT_TRUE(vst3) << error;
        ASSERT_TRUE(vst3->start(44100.0, 512, false, error)) << error;
    }
    void TearDown() override
    {
        if (vst3)
            vst3->closeEditor();
    }
    void idle()
    {
        pointer.sync();
        for (int i = 0; i < 5; ++i) {
            window->pumpEvents();
            vst3->idleEditor();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    TestSupport::XTestPointer pointer;
    std::unique_ptr<PluginHost::Vst3File> file;
    std::unique_ptr<PluginHost::Vst3Instance> vst3;
    std::unique_ptr<VstHost::X11HostWindow> window;
};

}  // namespace

TEST_F(Vst3Editor, KnobDragIsEditedBetweenBeginAndEnd)
{
    int width = 0, height = 0;
    ASSERT_TRUE(vst3->editorSize(1.0f, width, height));
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 260);
    window = VstHost::X11HostWindow::create(width, height);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(vst3->openEditor(window->editorParent()));
    idle();
    vst3->takeEdits();

    pointer.moveTo(window->window(), thresholdX, thresholdY);
    pointer.press(left);
    idle();
    for (int dy = 10; dy <= 60; dy += 10) {
        pointer.moveTo(window->window(), thresholdX, thresholdY + dy);
        idle();
    }
    pointer.release(left);
    idle();

    const auto edits = vst3->takeEdits();
    ASSERT_NO_FATAL_FAILURE(TestSupport::expectDragDown(edits, LimiterParams::threshold));
    EXPECT_FLOAT_EQ(vst3->parameter(LimiterParams::threshold), static_cast<float>(edits[edits.size() - 2].value));
}

TEST_F(Vst3Editor, ContentScaleDoublesTheViewWhichKeepsItsSize)
{
    int width = 0, height = 0;
    ASSERT_TRUE(vst3->editorSize(2.0f, width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 520);
    window = VstHost::X11HostWindow::create(width, height);
    ASSERT_TRUE(vst3->openEditor(window->editorParent()));
    idle();
    ASSERT_TRUE(vst3->editorSize(-1.0f, width, height));  // a factor that is no number changes nothing
    EXPECT_EQ(width, 320);
}
