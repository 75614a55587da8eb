// The parameter table: clamping, change marks, neutral answers, listener, bindings, program names.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using PlugCore::ParamTable;
using VstHost::HostedEffect;

namespace {

struct Notice {
    int index;
    float value;
};

class RecordingEditor : public AEffEditor, public PlugCore::IParamNotify {
public:
    using AEffEditor::AEffEditor;
    void paramChanged(int index, float value) override { changed.push_back({index, value}); }
    void paramLearned(int index) override { learned.push_back(index); }
    std::vector<Notice> changed;
    std::vector<int> learned;
};

class EditedEffect : public TestEffect {
public:
    explicit EditedEffect(audioMasterCallback m) : TestEffect(m)
    {
        editor = recorder = new RecordingEditor(this);
        setListeners(recorder, nullptr);
    }
    RecordingEditor* recorder;
};

}  // namespace

TEST(ParamTable, ValuesAreClampedAndMarked)
{
    ParamTable table(3);
    EXPECT_TRUE(table.takeChanges());  // a fresh table holds pending zeros
    EXPECT_FALSE(table.takeChanges());

    table.set(2, 1.5f, nullptr);
    EXPECT_EQ(table.get(2), 1.0f);
    table.set(0, -0.25f, nullptr);
    EXPECT_EQ(table.get(0), 0.0f);
    EXPECT_FALSE(std::signbit(table.get(0)));
    table.set(1, std::numeric_limits<float>::quiet_NaN(), nullptr);
    EXPECT_EQ(table.get(1), 0.0f);

    table[0].dspValue = 0.5f;
    EXPECT_TRUE(table.takeChanges());
    EXPECT_EQ(table[0].dspValue, 0.0f);  // a pending zero still reaches the audio side
    EXPECT_EQ(table[2].dspValue, 1.0f);
    EXPECT_FALSE(table.takeChanges());
}

TEST(ParamTable, IndicesOutsideTheTableAreNeutral)
{
    ParamTable table(2);
    table.takeChanges();
    table.set(2, 0.5f, nullptr);
    table.set(-1, 0.5f, nullptr);
    EXPECT_FALSE(table.takeChanges());
    EXPECT_EQ(table.get(2), 0.0f);
    EXPECT_EQ(table.get(-7), 0.0f);
    table.declare(5, "x", "y", 0.5f);
    EXPECT_FALSE(table.takeChanges());
}

TEST(ParamTable, DeclareSetsAPendingClampedDefault)
{
    ParamTable table(1);
    table.takeChanges();
    table.declare(0, "gain", "dB", 1.25f);
    EXPECT_EQ(table[0].defaultValue, 1.25f);
    EXPECT_EQ(table.get(0), 1.0f);
    EXPECT_TRUE(table.takeChanges());
    table.set(0, 0.25f, nullptr);
    table.captureDefaults();
    EXPECT_EQ(table[0].defaultValue, 0.25f);
}

TEST(ParamTable, BindingAKeyTakesItFromItsHolder)
{
    ParamTable table(5);
    table.bindKey(3, -20473);
    table.bindKey(1, -20473);
    EXPECT_EQ(table[3].midiKey, -1);
    EXPECT_EQ(table[1].midiKey, -20473);
    table.bindKey(1, -1);
    EXPECT_EQ(table[1].midiKey, -1);
}

TEST(PlugParameters, ListenerHearsTheValueAsPassed)
{
    auto host = HostedEffect::create(
        [](audioMasterCallback m) -> AEffect* { return createEffectForHost(m, [](audioMasterCallback a) -> AudioEffect* { return new EditedEffect(a); }); });
    auto& effect = static_cast<EditedEffect&>(testEffectOf(host->effect()));
    host->setParameter(2, 1.5f);
    host->setParameter(7, 0.5f);
    EXPECT_EQ(host->getParameter(2), 1.0f);
    ASSERT_EQ(effect.recorder->changed.size(), 1u);
    EXPECT_EQ(effect.recorder->changed[0].index, 2);
    EXPECT_EQ(effect.recorder->changed[0].value, 1.5f);
}

TEST(PlugParameters, NamesLabelsAndDisplays)
{
    auto host = HostedEffect::create(testEffectEntry);
    EXPECT_EQ(host->parameterText(effGetParamName, 0), "alpha");
    EXPECT_EQ(host->parameterText(effGetParamLabel, 1), "ms");
    EXPECT_EQ(host->parameterText(effGetParamName, 7), "**");
    EXPECT_EQ(host->parameterText(effGetParamName, -1), "**");
    EXPECT_EQ(host->parameterText(effGetParamLabel, 7), "");
    EXPECT_EQ(host->parameterText(effGetParamDisplay, 1), "1:0.50");
    char untouched[16] = "unchanged";
    host->dispatch(effGetParamDisplay, 3, 0, untouched);
    EXPECT_STREQ(untouched, "unchanged");
}

TEST(PlugParameters, ProgramNamesKeep23Characters)
{
    auto host = HostedEffect::create(testEffectEntry);
    char longName[] = "abcdefghijklmnopqrstuvwxyz0123";
    host->dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(host->effectText(effGetProgramName), "abcdefghijklmnopqrstuvw");
    char shortName[] = "Bus";
    host->dispatch(effSetProgramName, 0, 0, shortName);
    EXPECT_EQ(host->effectText(effGetProgramName), "Bus");
}
