// The editor's decisions without a window: the knob's drag rules, the menus and what their items do,
// on a real limiter.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "limiter/Limiter.h"
#include "limiter/LimiterParams.h"
#include "plugedit/EditCore.h"
#include "plugedit/EditMenus.h"
#include "plugedit/EditMessages.h"
#include "plugedit/KnobDrag.h"
#include "plugedit/PlugOps.h"

namespace {

using namespace PlugEdit;

struct Recorder : ControlGestures {
    std::vector<std::string> log;
    std::vector<float> values;
    void beginEdit() override { log.push_back("begin"); }
    void setValue(float v) override
    {
        log.push_back("set");
        values.push_back(v);
    }
    void endEdit() override { log.push_back("end"); }
    void startLearn() override { log.push_back("learn"); }
    void endLearn() override { log.push_back("endLearn"); }
    void unlearn() override { log.push_back("unlearn"); }
    void resetToDefault() override { log.push_back("reset"); }
};

// An editor with nobody to tell: the decisions alone.
struct BareEdit : EditCore {
    explicit BareEdit(PlugCore::Plug& plug) : EditCore(16, std::make_unique<PlugEdit::PlugOps>(plug)) {}
    bool postToControl(int, unsigned, std::uint32_t) override { return true; }
    void tellControl(int, unsigned) override {}
};

TEST(KnobDragRules, PixelStepsClampedBaseAndOneEditBracket)
{
    Recorder r;
    KnobDrag knob;
    knob.shownValue = 0.5f;
    knob.press(100, r);
    knob.moveTo(99, false, r);
    EXPECT_FLOAT_EQ(knob.shownValue, 0.5f + 1.0f / 400.0f);
    knob.moveTo(98, true, r);  // Shift or Control
    EXPECT_FLOAT_EQ(knob.shownValue, 0.5f + 1.0f / 400.0f + 1.0f / 4000.0f);
    knob.moveTo(98, false, r);  // the same row sends nothing
    knob.moveTo(-1000, false, r);
    EXPECT_EQ(knob.shownValue, 1.0f);
    knob.moveTo(-1001, false, r);  // from the clamped base: one pixel down moves at once
    knob.moveTo(-1000, false, r);
    EXPECT_FLOAT_EQ(knob.shownValue, 1.0f - 1.0f / 400.0f);
    knob.dragEnded(r);
    knob.dragEnded(r);         // a second capture loss ends nothing
    knob.moveTo(0, false, r);  // and motion without a drag sends nothing
    EXPECT_EQ(r.log, (std::vector<std::string>{"begin", "set", "set", "set", "set", "set", "end"}));
}

TEST(KnobDragRules, RightClickCentresADragOrAsksForTheMenu)
{
    Recorder r;
    KnobDrag knob;
    knob.learning = true;
    knob.press(10, r);
    knob.moveTo(0, false, r);
    EXPECT_TRUE(knob.rightPress(r));
    EXPECT_EQ(knob.shownValue, 0.5f);
    knob.dragEnded(r);
    EXPECT_FALSE(knob.rightPress(r));  // no drag: the menu (and a running learn ends first)
    EXPECT_EQ(r.log, (std::vector<std::string>{"endLearn", "begin", "set", "set", "end", "endLearn"}));
    EXPECT_EQ(r.values.back(), 0.5f);
    EXPECT_TRUE(KnobDrag::onDisc(31, 0));
    EXPECT_FALSE(KnobDrag::onDisc(32, 0));
    EXPECT_FALSE(KnobDrag::onDisc(23, 23));
}

TEST(EditorMenus, KnobMenuTextsAndStatesFollowTheBinding)
{
    std::unique_ptr<Limiter> limiter(new Limiter(nullptr));
    BareEdit edit(*limiter);
    auto menu = knobMenu(edit, LimiterParams::threshold);
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0].text, "&Reset to default (0.0 dB)");
    EXPECT_TRUE(menu[1].separator());
    EXPECT_EQ(menu[2].text, "MIDI &Learn...");
    EXPECT_EQ(menu[3].text, "MIDI &Unlearn");
    EXPECT_FALSE(menu[3].enabled);
    limiter->paramTable()[LimiterParams::threshold].midiKey.store((2 << 8) | 7);
    menu = knobMenu(edit, LimiterParams::threshold);
    EXPECT_EQ(menu[3].text, "MIDI &Unlearn (chan:3, cc:7)");
    EXPECT_TRUE(menu[3].enabled);

    Recorder r;
    chooseKnobItem(commandReset, r);
    chooseKnobItem(commandLearn, r);
    chooseKnobItem(commandUnlearn, r);
    EXPECT_EQ(r.log, (std::vector<std::string>{"begin", "reset", "end", "learn", "unlearn"}));
}

// An editor that reaches the plug-in only through ports (LV2): learn, unlearn and save defaults greyed,
// even for a bound parameter; reset still works.
TEST(EditorMenus, PortsOnlyEditorDisablesLearnAndDefaults)
{
    struct PortsOnly : BareEdit {
        using BareEdit::BareEdit;
        bool reachesPlugin() override { return false; }
    };
    std::unique_ptr<Limiter> limiter(new Limiter(nullptr));
    PortsOnly edit(*limiter);
    limiter->paramTable()[LimiterParams::threshold].midiKey.store((2 << 8) | 7);
    const auto menu = knobMenu(edit, LimiterParams::threshold);
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_TRUE(menu[0].enabled);
    EXPECT_FALSE(menu[2].enabled);
    EXPECT_FALSE(menu[3].enabled);
    EXPECT_FALSE(cornerMenu(false)[0].enabled);
    EXPECT_TRUE(cornerMenu(false)[1].enabled);
}

TEST(EditorMenus, SwitchesCornerAndTheirGestures)
{
    const char* const texts[2] = {"20dB scale", "40dB scale"};
    auto menu = switchMenu(texts, true);
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_FALSE(menu[0].checked);
    EXPECT_TRUE(menu[1].checked);
    Recorder r;
    clickSwitch(true, r);
    chooseSwitchItem(1, r);
    EXPECT_EQ(r.values, (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(r.log.size(), 6u);

    const auto corner = cornerMenu();
    ASSERT_EQ(corner.size(), 2u);
    EXPECT_EQ(corner[0].text, "&Save defaults...");
    EXPECT_EQ(corner[1].text, "Visit www.quellbrook.com");
    EXPECT_TRUE(inMenuCorner(71, 231, 160, 260));
    EXPECT_FALSE(inMenuCorner(70, 259, 160, 260));
    EXPECT_FALSE(inMenuCorner(159, 230, 160, 260));
}

TEST(EditorOps, GesturesReachTheLimiter)
{
    std::unique_ptr<Limiter> limiter(new Limiter(nullptr));
    BareEdit edit(*limiter);
    OpsGestures gestures(edit, LimiterParams::makeup);
    gestures.setValue(0.75f);
    EXPECT_FLOAT_EQ(limiter->getParameter(LimiterParams::makeup), 0.75f);
    gestures.resetToDefault();
    EXPECT_FLOAT_EQ(limiter->getParameter(LimiterParams::makeup), edit.defaultValue(LimiterParams::makeup));
    gestures.startLearn();
    EXPECT_TRUE(edit.isLearning(LimiterParams::makeup));
    EXPECT_FALSE(edit.isLearning(LimiterParams::threshold));
    EXPECT_EQ(limiter->learningParam(), LimiterParams::makeup);
    gestures.unlearn();
    EXPECT_FALSE(edit.isLearning(LimiterParams::makeup));
    EXPECT_EQ(limiter->learningParam(), -1);
}

}  // namespace
