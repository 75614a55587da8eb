// Tarn.clap through our CLAP host: the same output as the VST 2.4 plug-in, sample for sample, in
// blocks of any length with parameter events at offsets; the state moving both ways between the
// formats and bad states refused; controllers through the note port; texts both ways; the latency.
#include <gtest/gtest.h>

#include <clap/entry.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/plugin-factory.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "bench/BenchSignal.h"
#include "plugcore/MidiKeys.h"
#include "plugcore/Plug.h"
#include "tools/pluginhost/ClapInstance.h"
#include "tools/pluginhost/Vst2Plugin.h"
#include "tools/render/PresetFile.h"

using PluginHost::ClapFile;
using PluginHost::ClapInstance;
using PluginHost::MidiAt;
using PluginHost::ParameterAt;

namespace {

constexpr int signalFrames = 3 * 4096 + 123;

std::unique_ptr<ClapFile>& clapFile()
{
    static std::unique_ptr<ClapFile> file;
    if (!file) {
        std::string error;
        file = ClapFile::open(VstHost::programFolder() + "../Tarn.clap", error);
        EXPECT_TRUE(file) << error;
    }
    return file;
}

// The VST 2.4 plug-in built alongside, loaded as a library of its own (each library draws its dither
// from a generator of its own: rendering both formats in step keeps them at the same draw).
std::unique_ptr<PluginHost::Vst2File>& vstFile()
{
    static std::unique_ptr<PluginHost::Vst2File> file;
    if (!file) {
        std::string error;
        #if defined(_WIN32)
        file = PluginHost::Vst2File::open(VstHost::programFolder() + "../Tarn.dll", error);
#else
        file = PluginHost::Vst2File::open(VstHost::programFolder() + "../Tarn.so", error);
#endif
        EXPECT_TRUE(file) << error;
    }
    return file;
}

std::unique_ptr<ClapInstance> startedClap(double rate = 44100.0, int maxFrames = 4096)
{
    std::string error;
    auto instance = clapFile()->instantiateClap(error);
    EXPECT_TRUE(instance) << error;
    if (instance) {
        EXPECT_TRUE(instance->start(rate, maxFrames, false, error)) << error;
    }
    return instance;
}

std::unique_ptr<PluginHost::HostedPlugin> startedVst(double rate = 44100.0)
{
    std::string error;
    auto instance = vstFile()->instantiate(error);
    instance->start(rate, 4096, false, error);
    return instance;
}

template <class Sample>
struct Stereo {
    std::vector<Sample> left = std::vector<Sample>(signalFrames), right = std::vector<Sample>(signalFrames);
    Stereo()
    {
        std::vector<float> l(signalFrames), r(signalFrames);
        fillLimitedSignal(l, r);
        std::copy(l.begin(), l.end(), left.begin());
        std::copy(r.begin(), r.end(), right.begin());
    }
    bool operator==(const Stereo& o) const
    {
        return std::memcmp(left.data(), o.left.data(), left.size() * sizeof(Sample)) == 0 &&
               std::memcmp(right.data(), o.right.data(), right.size() * sizeof(Sample)) == 0;
    }
};

// Automation over the whole signal: parameter index, normalized value, at absolute frames.
const ParameterAt automation[] = {{0, 0, 0.5},    {700, 1, 0.2},   {701, 0, 0.3},  {4096, 2, 1.0},
                                  {5000, 3, 1.0}, {8191, 4, 0.0},  {9000, 0, 0.9}, {12000, 1, 0.8}};

// As a VST 2.4 host plays automation: the block cut where a change falls, the value set between.
template <class Sample>
Stereo<Sample> renderVst(const Stereo<Sample>& in)
{
    auto vst = startedVst();
    Stereo<Sample> out;
    std::size_t next = 0;
    for (int at = 0; at < signalFrames;) {
        for (; next < std::size(automation) && static_cast<int>(automation[next].frame) <= at; ++next)
            vst->setParameter(automation[next].index, static_cast<float>(automation[next].value));
        int end = std::min(at + 4096, signalFrames);
        if (next < std::size(automation))
            end = std::min(end, static_cast<int>(automation[next].frame));
        Sample* ins[2] = {const_cast<Sample*>(in.left.data()) + at, const_cast<Sample*>(in.right.data()) + at};
        Sample* outs[2] = {out.left.data() + at, out.right.data() + at};
        vst->process(ins, outs, end - at, {});
        at = end;
    }
    return out;
}

// As a CLAP host plays it: fixed blocks, each change an event at its offset in the block.
template <class Sample>
Stereo<Sample> renderClap(const Stereo<Sample>& in, int block)
{
    auto clap = startedClap();
    Stereo<Sample> out;
    for (int at = 0; at < signalFrames; at += block) {
        const int n = std::min(block, signalFrames - at);
        std::vector<ParameterAt> changes;
        for (const ParameterAt& c : automation)
            if (static_cast<int>(c.frame) >= at && static_cast<int>(c.frame) < at + n)
                changes.push_back({c.frame - static_cast<std::uint32_t>(at), c.index, c.value});
        Sample* ins[2] = {const_cast<Sample*>(in.left.data()) + at, const_cast<Sample*>(in.right.data()) + at};
        Sample* outs[2] = {out.left.data() + at, out.right.data() + at};
        clap->process(ins, outs, n, {}, changes);
    }
    return out;
}

}  // namespace

TEST(ClapPlugin, SameOutputAsTheVstPluginWithAutomationInBlocksOfAnyLength)
{
    ASSERT_TRUE(clapFile() && vstFile());
    const Stereo<float> in;
    const Stereo<double> in64;
    for (int block : {1, 7, 512, 4096}) {
        EXPECT_TRUE(renderVst(in) == renderClap(in, block)) << "32-bit, blocks of " << block;
        EXPECT_TRUE(renderVst(in64) == renderClap(in64, block)) << "64-bit, blocks of " << block;
    }
}

TEST(ClapPlugin, StateMovesBetweenTheFormatsAndBadStatesChangeNothing)
{
    ASSERT_TRUE(clapFile() && vstFile());
    auto vst = startedVst();
    auto* vst2 = static_cast<PluginHost::Vst2Plugin*>(vst.get());
    vst2->effect().dispatch(effSetProgram, 0, 5);
    vst->setParameter(0, 0.25f);
    vst->setParameter(4, 0.0f);
    const std::vector<unsigned char> bank = vst->saveChunk(false);

    auto clap = startedClap();
    ASSERT_TRUE(clap->loadChunk(false, bank));
    EXPECT_EQ(clap->saveChunk(false), bank);  // byte for byte: nothing lost on the way
    EXPECT_FLOAT_EQ(clap->parameter(0), 0.25f);
    EXPECT_EQ(clap->parameterDisplay(4), "16");

    // And back: a CLAP project's state opens in the VST 2.4 plug-in.
    clap->setParameter(1, 0.75f);
    const std::vector<unsigned char> fromClap = clap->saveChunk(false);
    auto again = startedVst();
    ASSERT_TRUE(again->loadChunk(false, fromClap));
    EXPECT_FLOAT_EQ(again->parameter(1), 0.75f);
    EXPECT_EQ(again->currentProgram(), 5);

    std::vector<std::vector<unsigned char>> bad = {{}, {1, 2, 3}, std::vector<unsigned char>(bank.begin(), bank.end() - 1)};
    std::vector<unsigned char> foreign = bank;
    for (std::size_t i = 0; i < foreign.size() && i < 64; ++i)
        foreign[i] ^= 0x5A;
    bad.push_back(foreign);
    for (const auto& state : bad) {
        EXPECT_FALSE(clap->loadChunk(false, state)) << state.size() << " bytes";
        EXPECT_EQ(clap->saveChunk(false), fromClap);
    }
}

TEST(ClapPlugin, ControllersReachTheBoundParameterAndTheHostHearsOfIt)
{
    ASSERT_TRUE(clapFile() && vstFile());
    // A bank whose threshold listens to controller 7, made by the VST 2.4 plug-in.
    auto vst = startedVst();
    auto& effect = static_cast<PluginHost::Vst2Plugin&>(*vst).effect();
    const auto key = PlugCore::signExtendKey(PlugCore::controllerKey(7));
    auto* plug = static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(effect.effect()->object));
    plug->paramTable().bindKey(0, key);
    auto clap = startedClap();
    ASSERT_TRUE(clap->loadChunk(false, vst->saveChunk(false)));
    clap->takeReportedChanges();

    Stereo<float> in, out;
    float* ins[2] = {in.left.data(), in.right.data()};
    float* outs[2] = {out.left.data(), out.right.data()};
    MidiAt cc{};
    cc.frame = 100;
    cc.bytes[0] = 0xB0, cc.bytes[1] = 7, cc.bytes[2] = 0;
    clap->process(ins, outs, 512, {cc});
    EXPECT_FLOAT_EQ(clap->parameter(0), 0.0f);
    const std::vector<ParameterAt> told = clap->takeReportedChanges();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].index, 0);
    EXPECT_EQ(told[0].value, 0.0);

    // An unbound controller and a note move nothing.
    MidiAt other = cc, note = cc;
    other.bytes[1] = 8, other.bytes[2] = 127;
    note.bytes[0] = 0x90, note.bytes[1] = 60, note.bytes[2] = 100;
    clap->process(ins, outs, 512, {other, note});
    EXPECT_FLOAT_EQ(clap->parameter(0), 0.0f);
    EXPECT_TRUE(clap->takeReportedChanges().empty());
}

TEST(ClapPlugin, TextsBothWaysAndWhatItTellsTheHost)
{
    ASSERT_TRUE(clapFile());
    auto clap = startedClap();
    const auto* params = static_cast<const clap_plugin_params_t*>(clap->plugin()->get_extension(clap->plugin(), CLAP_EXT_PARAMS));
    ASSERT_NE(params, nullptr);
    char text[64];
    ASSERT_TRUE(params->value_to_text(clap->plugin(), 0, 0.5, text, sizeof text));
    EXPECT_STREQ(text, "-10.0 dB");
    ASSERT_TRUE(params->value_to_text(clap->plugin(), 3, 1.0, text, sizeof text));
    EXPECT_STREQ(text, "40dB");
    ASSERT_TRUE(params->value_to_text(clap->plugin(), 0, 0.5, text, 4));
    EXPECT_STREQ(text, "-10");  // cut to the host's room
    EXPECT_FALSE(params->value_to_text(clap->plugin(), 5, 0.5, text, sizeof text));

    double value = -1.0;
    ASSERT_TRUE(params->text_to_value(clap->plugin(), 0, "-10 dB", &value));
    EXPECT_FLOAT_EQ(static_cast<float>(value), 0.5f);
    ASSERT_TRUE(params->text_to_value(clap->plugin(), 1, "1000ms", &value));
    EXPECT_FLOAT_EQ(static_cast<float>(value), 1.0f);
    ASSERT_TRUE(params->text_to_value(clap->plugin(), 4, "16", &value));
    EXPECT_EQ(value, 0.0);
    for (const char* bad : {"", "dB", "-6 ms", "-6 dB junk", "nan", "inf"})
        EXPECT_FALSE(params->text_to_value(clap->plugin(), 0, bad, &value)) << bad;

    clap_param_info_t info{};
    ASSERT_TRUE(params->get_info(clap->plugin(), 4, &info));
    EXPECT_EQ(info.id, 4u);
    EXPECT_TRUE(info.flags & CLAP_PARAM_IS_STEPPED);
    EXPECT_FALSE(params->get_info(clap->plugin(), 5, &info));

    // The latency follows the rate the host activates at, and the host hears when it changes.
    EXPECT_EQ(clap->latency(), 22);
    std::string error;
    ASSERT_TRUE(clap->start(96000.0, 512, false, error)) << error;
    EXPECT_EQ(clap->latency(), 48);
    EXPECT_EQ(clap->latencyChanges(), 1);
    ASSERT_TRUE(clap->start(96000.0, 512, false, error)) << error;
    EXPECT_EQ(clap->latencyChanges(), 1);
    auto nowhere = clapFile()->instantiateClap(error);
    EXPECT_FALSE(nowhere->start(100.0, 512, false, error));
}

// Where the host says the caller is not its main thread, the calls CLAP keeps to the main thread are
// refused: the audio thread must never rebuild the effect, load a state or open a window.
TEST(ClapPlugin, MainThreadCallsAreRefusedElsewhere)
{
    VstHost::PluginLibrary library;
    ASSERT_TRUE(library.open(VstHost::programFolder() + "../Tarn.clap")) << library.error();
    const auto* entry = static_cast<const clap_plugin_entry_t*>(library.symbol("clap_entry"));
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->init(""));
    static const clap_host_thread_check_t elsewhere = {[](const clap_host_t*) { return false; },
                                                       [](const clap_host_t*) { return true; }};
    clap_host_t host{CLAP_VERSION, nullptr, "test", "", "", "1",
                     [](const clap_host_t*, const char* id) -> const void* {
                         return std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0 ? &elsewhere : nullptr;
                     },
                     [](const clap_host_t*) {}, [](const clap_host_t*) {}, [](const clap_host_t*) {}};
    const auto* factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    ASSERT_NE(factory, nullptr);
    const clap_plugin_t* plugin = factory->create_plugin(factory, &host, "com.quellbrook.tarn");
    ASSERT_NE(plugin, nullptr);
    ASSERT_TRUE(plugin->init(plugin));
    EXPECT_FALSE(plugin->activate(plugin, 48000.0, 1, 512));
    const auto* state = static_cast<const clap_plugin_state_t*>(plugin->get_extension(plugin, CLAP_EXT_STATE));
    ASSERT_NE(state, nullptr);
    clap_istream_t empty{nullptr, [](const clap_istream_t*, void*, std::uint64_t) -> std::int64_t { return 0; }};
    EXPECT_FALSE(state->load(plugin, &empty));
    plugin->destroy(plugin);
    entry->deinit();
}

// Through the renderer's preset files: a program file made by the VST 2.4 plug-in loads; a program
// cannot be saved from CLAP (it keeps the whole bank), which is an error, never the bank under a
// program's name.
TEST(ClapPlugin, ProgramFilesLoadAndAProgramSaveIsRefused)
{
    ASSERT_TRUE(clapFile() && vstFile());
    const std::string folder = VstHost::programFolder();
    auto vst = startedVst();
    vst->setParameter(1, 0.625f);
    std::string error;
    ASSERT_TRUE(Render::savePresetFile(*vst, Render::PresetKind::program, folder + "clap-program.fxp", error)) << error;
    auto clap = startedClap();
    ASSERT_TRUE(Render::loadPresetFile(*clap, Render::PresetKind::program, folder + "clap-program.fxp", error)) << error;
    EXPECT_FLOAT_EQ(clap->parameter(1), 0.625f);
    std::remove((folder + "clap-program.fxp").c_str());
    EXPECT_FALSE(Render::savePresetFile(*clap, Render::PresetKind::program, folder + "clap-program.fxp", error));
    EXPECT_FALSE(std::ifstream(folder + "clap-program.fxp").good());
}
