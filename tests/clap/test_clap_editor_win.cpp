// Tarn.clap's editor on Windows as a CLAP host opens it (gui create with the win32 API, set_parent with
// a window of ours): the Windows editor, drawn by its own timer (the host's is not needed); a drag on a
// knob reaches the host as gesture begin, values and gesture end, and what the host changes shows.
#include <clap/ext/gui.h>
#include <gtest/gtest.h>

#include <windows.h>

#include "limiter/LimiterParams.h"
#include "tests/clap/ExpectDrag.h"
#include "tests/support/EmbeddedEditorWin.h"
#include "tools/pluginhost/ClapInstance.h"
#include "tools/vsthost/HostWindow.h"
#include "tools/vsthost/PluginLibrary.h"

using PluginHost::ReportedEvent;

namespace {

class ClapEditorWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        file = PluginHost::ClapFile::open(VstHost::programFolder() + "../Tarn.clap", error);
        ASSERT_TRUE(file) << error;
        clap = file->instantiateClap(error);
        ASSERT_TRUE(clap) << error;
        ASSERT_TRUE(clap->start(44100.0, 512, false, error)) << error;
        window = VstHost::createHostWindow(160, 260);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        if (clap)
            clap->closeEditor();
        if (window)
            DestroyWindow(window);
    }

    std::unique_ptr<PluginHost::ClapFile> file;
    std::unique_ptr<PluginHost::ClapInstance> clap;
    HWND window = nullptr;
};

}  // namespace

TEST_F(ClapEditorWin, KnobDragReachesTheHostBetweenGestureBeginAndEnd)
{
    int width = 0, height = 0;
    ASSERT_TRUE(clap->editorSize(1.0f, width, height));
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 260);
    ASSERT_TRUE(clap->openEditor(window));
    VstHost::pumpWindowMessages();
    HWND knob = TestSupport::editorControl(window, LimiterParams::threshold);
    ASSERT_NE(knob, nullptr) << "no threshold knob in the host's window";
    clap->idleEditor();
    clap->takeReportedEvents();

    TestSupport::dragDown(knob, 6);
    clap->idleEditor();

    const std::vector<ReportedEvent> events = clap->takeReportedEvents();
    ASSERT_NO_FATAL_FAILURE(TestSupport::expectDragDown(events, LimiterParams::threshold));
    EXPECT_FLOAT_EQ(clap->parameter(LimiterParams::threshold), static_cast<float>(events[events.size() - 2].value));
}

// A value the host sets reaches the knob at the editor's next timer tick: the next drag starts from it.
TEST_F(ClapEditorWin, WhatTheHostSetsShowsAndTheNextDragStartsThere)
{
    ASSERT_TRUE(clap->openEditor(window));
    VstHost::pumpWindowMessages();
    HWND knob = TestSupport::editorControl(window, LimiterParams::threshold);
    ASSERT_NE(knob, nullptr);
    clap->setParameter(LimiterParams::threshold, 0.3f);
    clap->flush();
    TestSupport::pumpFor(100);
    clap->takeReportedEvents();

    TestSupport::dragDown(knob, 1);
    clap->idleEditor();
    const std::vector<ReportedEvent> events = clap->takeReportedEvents();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_LT(events[1].value, 0.3);
    EXPECT_GT(events[1].value, 0.1);
}

// The Windows editor has one size: a host's scale of 2 is refused (the host may scale the window), and
// only the win32 API, embedded, is offered.
TEST_F(ClapEditorWin, OneSizeAndTheWin32WindowOnly)
{
    const auto* gui =
        static_cast<const clap_plugin_gui_t*>(clap->plugin()->get_extension(clap->plugin(), CLAP_EXT_GUI));
    ASSERT_NE(gui, nullptr);
    EXPECT_TRUE(gui->is_api_supported(clap->plugin(), CLAP_WINDOW_API_WIN32, false));
    EXPECT_FALSE(gui->is_api_supported(clap->plugin(), CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui->is_api_supported(clap->plugin(), CLAP_WINDOW_API_WIN32, true));
    int width = 0, height = 0;
    ASSERT_TRUE(clap->editorSize(2.0f, width, height));
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 260);
    EXPECT_FALSE(gui->set_scale(clap->plugin(), 2.0));
    EXPECT_TRUE(gui->set_scale(clap->plugin(), 1.0));
    ASSERT_TRUE(clap->openEditor(window));
    EXPECT_NE(TestSupport::editorControl(window, LimiterParams::release), nullptr);
}
