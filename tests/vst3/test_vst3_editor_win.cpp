// Tarn.vst3's view on Windows as a VST3 host attaches it (platform type "HWND", a window of ours): the
// Windows editor, drawn by its own timer (no run loop needed); a drag on a knob reaches the host's
// component handler as beginEdit, performEdit calls and endEdit, and a value the host sets shows.
#include <gtest/gtest.h>

#include <windows.h>

#include "limiter/LimiterParams.h"
#include "tests/support/EmbeddedEditorWin.h"
#include "tests/vst3/ExpectDrag.h"
#include "tools/pluginhost/Vst3Instance.h"
#include "tools/vsthost/HostWindow.h"
#include "tools/vsthost/PluginLibrary.h"

namespace {

class Vst3EditorWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        file = PluginHost::Vst3File::open(VstHost::programFolder() + "../Tarn.vst3", error);
        ASSERT_TRUE(file) << error;
        vst3 = file->instantiateVst3(error);
        ASSERT_TRUE(vst3) << error;
        ASSERT_TRUE(vst3->start(44100.0, 512, false, error)) << error;
        window = VstHost::createHostWindow(160, 260);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        if (vst3)
            vst3->closeEditor();
        if (window)
            DestroyWindow(window);
    }
    HWND openThreshold()
    {
        int width = 0, height = 0;
        EXPECT_TRUE(vst3->editorSize(1.0f, width, height));
        EXPECT_EQ(width, 160);
        EXPECT_EQ(height, 260);
        if (!vst3->openEditor(window))
            return nullptr;
        VstHost::pumpWindowMessages();
        vst3->takeEdits();
        return TestSupport::editorControl(window, LimiterParams::threshold);
    }

    std::unique_ptr<PluginHost::Vst3File> file;
    std::unique_ptr<PluginHost::Vst3Instance> vst3;
    HWND window = nullptr;
};

}  // namespace

TEST_F(Vst3EditorWin, KnobDragIsEditedBetweenBeginAndEnd)
{
    HWND knob = openThreshold();
    ASSERT_NE(knob, nullptr) << "no threshold knob in the host's window";
    TestSupport::dragDown(knob, 6);

    const auto edits = vst3->takeEdits();
    ASSERT_NO_FATAL_FAILURE(TestSupport::expectDragDown(edits, LimiterParams::threshold));
}

TEST_F(Vst3EditorWin, WhatTheHostSetsShowsAndTheNextDragStartsThere)
{
    HWND knob = openThreshold();
    ASSERT_NE(knob, nullptr);
    vst3->setParameter(LimiterParams::threshold, 0.3f);
    TestSupport::pumpFor(100);
    TestSupport::dragDown(knob, 1);
    const auto edits = vst3->takeEdits();
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_LT(edits[1].value, 0.3);
    EXPECT_GT(edits[1].value, 0.1);
}

// One size: a content scale of 2 is refused and the view stays 160 by 260.
TEST_F(Vst3EditorWin, OneSize)
{
    int width = 0, height = 0;
    ASSERT_TRUE(vst3->editorSize(2.0f, width, height));
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 260);
}
