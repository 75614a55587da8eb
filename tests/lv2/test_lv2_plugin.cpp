// The LV2 plug-in through its entry points: the same output as the VST plug-in, sample for sample, in
// blocks of any length; the latency before the first run; clamps and refusals for what hosts may send.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <vector>

#include "bench/BenchSignal.h"
#include "limiter/ParamUnits.h"
#include "lv2/BindingsBlob.h"
#include "plugcore/MidiKeys.h"
#include "tests/lv2/Lv2Rig.h"
#include "tools/vsthost/HostedEffect.h"

using TestSupport::Lv2Rig;

namespace {

constexpr int signalFrames = 3 * 4096 + 123;
const float inf = std::numeric_limits<float>::infinity();

struct Signal {
    std::vector<float> left = std::vector<float>(signalFrames), right = std::vector<float>(signalFrames);
    Signal() { fillLimitedSignal(left, right); }
};

// The VST plug-in built alongside, in our own host, with the normalized values the display values stand for.
std::vector<float> renderVst(const float (&shown)[LimiterParams::count], const Signal& in, float rate)
{
    static VstHost::PluginLibrary library;
    if (!library.entry() && !library.load(VstHost::programFolder() + "../Tarn.so"))
        return {};
    auto host = VstHost::HostedEffect::create(library.entry());
    host->start(rate, 4096);
    for (int i = 0; i < LimiterParams::count; ++i)
        host->setParameter(i, ParamUnits::normalizedValue(i, shown[i]));
    std::vector<float> outL(signalFrames), outR(signalFrames);
    for (int at = 0; at < signalFrames; at += 4096) {
        const int n = std::min(4096, signalFrames - at);
        float* ins[2] = {const_cast<float*>(in.left.data()) + at, const_cast<float*>(in.right.data()) + at};
        float* outs[2] = {outL.data() + at, outR.data() + at};
        host->processReplacing(ins, outs, n);
    }
    host->close();
    outL.insert(outL.end(), outR.begin(), outR.end());
    return outL;
}

std::vector<float> renderLv2(Lv2Rig& rig, const Signal& in, int block, const LV2_Atom_Sequence* midi = nullptr)
{
    std::vector<float> outL, outR;
    rig.process(in.left, in.right, outL, outR, block, midi);
    outL.insert(outL.end(), outR.begin(), outR.end());
    return outL;
}

float largestDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    float most = a.size() == b.size() ? 0.0f : inf;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        most = std::max(most, std::fabs(a[i] - b[i]));
    return most;
}

// Two dither draws of 24 bits apart, and the output's rounding to float: the most that two renders of
// the same signal path can differ by when their dither comes from different points of the generator.
const float ditherReach = std::ldexp(1.0f, -21) + std::ldexp(1.0f, -23);

}  // namespace

TEST(Lv2Plugin, SameOutputAsTheVstPluginInBlocksOfAnyLength)
{
    ASSERT_NE(TestSupport::tarnLv2Descriptor(), nullptr) << "the bundle's binary did not load";
    const Signal in;
    const float shown[LimiterParams::count] = {-10.0f, 250.0f, 50.0f, 40.0f, 16.0f};
    for (int block : {1, 7, 512, 4096}) {
        // Each library has its own dither generator; rendering both in step keeps them at the same draw.
        const std::vector<float> vst = renderVst(shown, in, 44100.0f);
        ASSERT_FALSE(vst.empty());
        Lv2Rig rig(44100.0);  // no features offered
        ASSERT_TRUE(rig.ok());
        std::memcpy(rig.controls, shown, sizeof shown);
        rig.activate();
        const std::vector<float> lv2 = renderLv2(rig, in, block);
        EXPECT_EQ(std::memcmp(vst.data(), lv2.data(), vst.size() * sizeof(float)), 0)
            << "blocks of " << block << ": largest difference " << largestDifference(vst, lv2);
    }
}

TEST(Lv2Plugin, ReportsTheLatencyBeforeTheFirstRunAndMeters)
{
    for (const auto& [rate, frames] : std::map<double, float>{{44100.0, 22.0f}, {48000.0, 24.0f}, {96000.0, 48.0f}}) {
        Lv2Rig rig(rate);
        ASSERT_TRUE(rig.ok());
        EXPECT_EQ(rig.latency, frames) << rate;
        rig.activate();
        EXPECT_EQ(rig.latency, frames) << rate;
    }
    Lv2Rig rig(44100.0);
    rig.controls[LimiterParams::threshold] = -6.0f;
    const Signal in;
    renderLv2(rig, in, 512);
    const float threshold = std::pow(10.0f, -6.0f / 20.0f);
    EXPECT_GT(rig.meters[0], 0.9f * threshold);  // output peak, left
    EXPECT_LE(rig.meters[0], threshold + ditherReach);
    EXPECT_LT(rig.meters[4], 0.5f);  // the smallest gain: the signal is far over the threshold
}

TEST(Lv2Plugin, AbsurdRatesAreRefusedAtInstantiate)
{
    for (double rate : {0.0, -44100.0, 1999.0, 1e7, 1e300, std::nan(""), static_cast<double>(inf)})
        EXPECT_FALSE(Lv2Rig(rate).ok()) << rate;
    for (double rate : {2000.0, 768000.0}) {
        Lv2Rig rig(rate);
        ASSERT_TRUE(rig.ok()) << rate;
        std::vector<float> in(64, 0.5f), outL, outR;
        rig.process(in, in, outL, outR, 64);
        EXPECT_TRUE(std::isfinite(outL[63]));
    }
}

TEST(Lv2Plugin, NonFiniteAndOutOfRangeControlsClamp)
{
    // Each odd value must render like the value it clamps to (NaN: the default). The two renders draw
    // their dither at different points, so they agree to within the dither's reach.
    struct Case {
        int index;
        float odd, clamped;
    };
    const Case cases[] = {{LimiterParams::threshold, -inf, -20.0f},        {LimiterParams::threshold, 50.0f, 0.0f},
                          {LimiterParams::threshold, std::nanf(""), 0.0f}, {LimiterParams::release, inf, 1000.0f},
                          {LimiterParams::release, -5.0f, 10.0f},          {LimiterParams::makeup, inf, 100.0f}};
    const Signal in;
    for (const Case& c : cases) {
        Lv2Rig odd(44100.0), clamped(44100.0);
        odd.controls[LimiterParams::threshold] = clamped.controls[LimiterParams::threshold] = -12.0f;
        odd.controls[c.index] = c.odd;
        clamped.controls[c.index] = c.clamped;
        const std::vector<float> a = renderLv2(odd, in, 512), b = renderLv2(clamped, in, 512);
        for (float x : a)
            ASSERT_TRUE(std::isfinite(x));
        EXPECT_LT(largestDifference(a, b), ditherReach) << "parameter " << c.index << " at " << c.odd;
    }
}

namespace {

struct StoredState {
    std::map<uint32_t, std::pair<std::vector<unsigned char>, uint32_t>> values;

    static LV2_State_Status store(LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type,
                                  uint32_t)
    {
        const auto* bytes = static_cast<const unsigned char*>(value);
        static_cast<StoredState*>(h)->values[key] = {std::vector<unsigned char>(bytes, bytes + size), type};
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieve(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
    {
        auto& values = static_cast<StoredState*>(h)->values;
        const auto at = values.find(key);
        if (at == values.end())
            return nullptr;
        *size = at->second.first.size();
        *type = at->second.second;
        *flags = LV2_STATE_IS_POD;
        return at->second.first.data();
    }
};

}  // namespace

TEST(Lv2Plugin, ControllerBindingsLiveInTheStateAndDriveTheLimiter)
{
    TestSupport::UridMap uris;
    const LV2_Feature* features[] = {uris.feature(), nullptr};
    Lv2Rig rig(44100.0, features);
    ASSERT_TRUE(rig.ok());
    const LV2_State_Interface* state = rig.state();
    ASSERT_NE(state, nullptr);
    const uint32_t bindingsKey = uris.map("https://www.quellbrook.com/plugins/tarn#bindings");
    const uint32_t chunk = uris.map(LV2_ATOM__Chunk);

    // Controller 7 drives the threshold once the state says so.
    const std::int32_t cc7 = PlugCore::signExtendKey(PlugCore::controllerKey(7));
    const BindingsBlob::Keys keys = {cc7, -1, -1, -1, -1};
    StoredState saved;
    saved.values[bindingsKey] = {BindingsBlob::write(keys), chunk};
    ASSERT_EQ(state->restore(rig.instance(), StoredState::retrieve, &saved, 0, nullptr), LV2_STATE_SUCCESS);

    // Foreign, truncated, wrongly typed or inconsistent records are refused and change nothing.
    std::vector<std::pair<std::vector<unsigned char>, uint32_t>> bad;
    std::vector<unsigned char> record = BindingsBlob::write(keys);
    bad.push_back({std::vector<unsigned char>(record.begin(), record.end() - 1), chunk});
    bad.push_back({record, uris.map(LV2_ATOM__String)});
    std::vector<unsigned char> foreign = record;
    foreign[0] ^= 0xFF;
    bad.push_back({foreign, chunk});
    std::vector<unsigned char> later = record;
    later[4] = 2;
    bad.push_back({later, chunk});
    const BindingsBlob::Keys twice = {cc7, cc7, -1, -1, -1};
    const BindingsBlob::Keys notLearnable = {PlugCore::signExtendKey(PlugCore::controllerKey(120)), -1, -1, -1, -1};
    bad.push_back({BindingsBlob::write(twice), chunk});
    bad.push_back({BindingsBlob::write(notLearnable), chunk});
    for (const auto& value : bad) {
        StoredState wrong;
        wrong.values[bindingsKey] = value;
        EXPECT_NE(state->restore(rig.instance(), StoredState::retrieve, &wrong, 0, nullptr), LV2_STATE_SUCCESS);
    }
    StoredState again;
    ASSERT_EQ(state->save(rig.instance(), StoredState::store, &again, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_EQ(again.values[bindingsKey].first, record);
    EXPECT_EQ(again.values[bindingsKey].second, chunk);

    // Controller 7 at 0 takes the threshold to -20 dB: the output falls to a tenth of full scale.
    const Signal in;
    const TestSupport::MidiSequence midi(uris.map(LV2_ATOM__Sequence), uris.map(LV2_MIDI__MidiEvent),
                                         {{0, {0xB0, 7, 0}}});
    const std::vector<float> out = renderLv2(rig, in, 512, midi.get());
    float peak = 0.0f;
    for (std::size_t i = signalFrames / 2; i < signalFrames; ++i)
        peak = std::max(peak, std::fabs(out[i]));
    EXPECT_LT(peak, 0.1f + ditherReach);
    EXPECT_GT(peak, 0.09f);
}

TEST(Lv2Plugin, RunsWithoutMidiOrStateWhenNoFeatureIsOffered)
{
    Lv2Rig rig(48000.0);
    ASSERT_TRUE(rig.ok());
    const Signal in;
    EXPECT_EQ(renderLv2(rig, in, 100).size(), 2u * signalFrames);  // MIDI port left null
    StoredState saved;
    EXPECT_NE(rig.state()->save(rig.instance(), StoredState::store, &saved, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_NE(rig.state()->restore(rig.instance(), StoredState::retrieve, &saved, 0, nullptr), LV2_STATE_SUCCESS);
}
