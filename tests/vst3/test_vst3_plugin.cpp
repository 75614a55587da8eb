// Tarn.vst3 through our VST3 host: the same output as the VST 2.4 plug-in, sample for sample, in
// blocks of any length with automation at offsets; the state both ways and the forms migrating hosts
// hand over; controllers through the MIDI mapping; texts; the bypass keeping the latency; the latency
// following the rate.
#include <gtest/gtest.h>

#include <travesty/unit.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "bench/BenchSignal.h"
#include "limiter/LimiterParams.h"
#include "plugcore/MidiKeys.h"
#include "plugcore/Plug.h"
#include "tools/pluginhost/Vst2Plugin.h"
#include "tools/pluginhost/Vst3Instance.h"
#include "tools/render/PresetFile.h"

using PluginHost::MidiAt;
using PluginHost::Vst3Change;
using PluginHost::Vst3File;
using PluginHost::Vst3Instance;

namespace {

constexpr int signalFrames = 3 * 4096 + 123;

std::unique_ptr<Vst3File>& vst3File()
{
    static std::unique_ptr<Vst3File> file;
    if (!file) {
        std::string error;
        file = Vst3File::open(VstHost::programFolder() + "../Tarn.vst3", error);
        EXPECT_TRUE(file) << error;
    }
    return file;
}

// The VST 2.4 plug-in built alongside, a library of its own (each library has its own dither generator:
// rendering both formats in step keeps them at the same draw).
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

std::unique_ptr<Vst3Instance> startedVst3(double rate = 44100.0, bool doubles = false)
{
    std::string error;
    auto instance = vst3File()->instantiateVst3(error);
    EXPECT_TRUE(instance) << error;
    if (instance) {
        EXPECT_TRUE(instance->start(rate, 4096, doubles, error)) << error;
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

const Vst3Change automation[] = {{0, 0, 0.5},    {700, 1, 0.2},  {701, 0, 0.3},  {4096, 2, 1.0},
                                 {5000, 3, 1.0}, {8191, 4, 0.0}, {9000, 0, 0.9}, {12000, 1, 0.8}};

// As a VST 2.4 host plays automation: the block cut where a change falls, the value set between.
template <class Sample>
Stereo<Sample> renderVst(const Stereo<Sample>& in)
{
    auto vst = startedVst();
    Stereo<Sample> out;
    std::size_t next = 0;
    for (int at = 0; at < signalFrames;) {
        for (; next < std::size(automation) && static_cast<int>(automation[next].frame) <= at; ++next)
            vst->setParameter(static_cast<int>(automation[next].id), static_cast<float>(automation[next].value));
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

// As a VST3 host plays it: fixed blocks, each change a point at its offset in the block.
template <class Sample>
Stereo<Sample> renderVst3(const Stereo<Sample>& in, int block)
{
    auto vst3 = startedVst3(44100.0, sizeof(Sample) == sizeof(double));
    Stereo<Sample> out;
    for (int at = 0; at < signalFrames; at += block) {
        const int n = std::min(block, signalFrames - at);
        std::vector<Vst3Change> changes;
        for (const Vst3Change& c : automation)
            if (static_cast<int>(c.frame) >= at && static_cast<int>(c.frame) < at + n)
                changes.push_back({c.frame - static_cast<std::uint32_t>(at), c.id, c.value});
        Sample* ins[2] = {const_cast<Sample*>(in.left.data()) + at, const_cast<Sample*>(in.right.data()) + at};
        Sample* outs[2] = {out.left.data() + at, out.right.data() + at};
        vst3->process(ins, outs, n, changes);
    }
    return out;
}

std::vector<unsigned char> vstBankWith(float threshold, int program)
{
    auto vst = startedVst();
    static_cast<PluginHost::Vst2Plugin&>(*vst).effect().dispatch(effSetProgram, 0, program);
    vst->setParameter(0, threshold);
    return vst->saveChunk(false);
}

}  // namespace

namespace {

// A class ID as the VST 2 to VST 3 convention writes it: the bytes in text order (COM order in memory
// on Windows: the first word and two half-words little-endian).
std::string conventionText(const v3_tuid id)
{
#if V3_COM_COMPAT
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
#else
    const int order[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
#endif
    std::string text;
    char hex[3];
    for (int i : order) {
        std::snprintf(hex, sizeof hex, "%02X", id[i]);
        text += hex;
    }
    return text;
}

std::string narrow(const int16_t* text)
{
    std::string out;
    for (int i = 0; text[i]; ++i)
        out += static_cast<char>(text[i]);
    return out;
}

}  // namespace

// Two classes, as VST3 wants an effect split: the audio processor, which hosts list and migrate to, and
// its edit controller, their IDs made of the VST 2.4 unique ID ("Qv7m") and name by the convention
// ("VST" and "VSE"). A controller no processor has linked still answers for its parameters, but has no
// view (the view needs the effect's meters).
TEST(Vst3Plugin, TheProcessorAndItsControllerAreTwoClassesByTheConvention)
{
    ASSERT_TRUE(vst3File());
    v3_plugin_factory** factory = vst3File()->factory();
    ASSERT_EQ(v3_cpp_obj(factory)->num_classes(factory), 2);
    v3_class_info processor{}, controller{};
    ASSERT_EQ(v3_cpp_obj(factory)->get_class_info(factory, 0, &processor), V3_OK);
    ASSERT_EQ(v3_cpp_obj(factory)->get_class_info(factory, 1, &controller), V3_OK);
    EXPECT_STREQ(processor.category, "Audio Module Class");
    EXPECT_STREQ(controller.category, "Component Controller Class");
    EXPECT_EQ(conventionText(processor.class_id), "5653545176376D7461726E0000000000");
    EXPECT_EQ(conventionText(controller.class_id), "5653455176376D7461726E0000000000");

    auto vst3 = startedVst3();
    v3_tuid named{};
    void* component = nullptr;
    ASSERT_EQ(v3_cpp_obj_query_interface(vst3->processor(), v3_component_iid, reinterpret_cast<v3_component***>(&component)), V3_OK);
    auto** c = static_cast<v3_component**>(component);
    ASSERT_EQ(v3_cpp_obj(c)->get_controller_class_id(c, named), V3_OK);
    EXPECT_EQ(std::memcmp(named, controller.class_id, sizeof named), 0);
    v3_cpp_obj_unref(c);
    EXPECT_NE(v3_cpp_obj_query_interface(vst3->processor(), v3_edit_controller_iid, reinterpret_cast<v3_edit_controller***>(&component)), V3_OK);

    void* made = nullptr;
    ASSERT_EQ(v3_cpp_obj(factory)->create_instance(factory, controller.class_id, v3_edit_controller_iid, &made), V3_OK);
    auto** alone = static_cast<v3_edit_controller**>(made);
    v3_param_info info{};
    ASSERT_EQ(v3_cpp_obj(alone)->get_parameter_info(alone, 1, &info), V3_OK);
    EXPECT_EQ(narrow(info.title), "Release");
    EXPECT_FLOAT_EQ(static_cast<float>(v3_cpp_obj(alone)->get_parameter_normalised(alone, 1)), 0.5f);
    v3_str_128 text{};
    ASSERT_EQ(v3_cpp_obj(alone)->get_parameter_string_for_value(alone, LimiterParams::count + 1, 1.0, text), V3_OK);
    EXPECT_EQ(narrow(text), "Program 8");
    EXPECT_EQ(v3_cpp_obj(alone)->create_view(alone, "editor"), nullptr);
    v3_cpp_obj_unref(alone);
}

namespace {

// Bytes a host hands over as a stream, read only.
struct ReadStream {
    struct Table : v3_funknown {
        v3_bstream stream;
    };
    const Table* table;
    std::vector<unsigned char> bytes;
    std::size_t at = 0;

    static v3_result V3_API query(void*, const v3_tuid, void** object)
    {
        *object = nullptr;
        return V3_NO_INTERFACE;
    }
    static uint32_t V3_API counted(void*) { return 1; }
    static v3_result V3_API read(void* self, void* buffer, int32_t size, int32_t* got)
    {
        ReadStream& s = *static_cast<ReadStream*>(self);
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(size, 0)), s.bytes.size() - s.at);
        std::memcpy(buffer, s.bytes.data() + s.at, n);
        s.at += n;
        *got = static_cast<int32_t>(n);
        return V3_OK;
    }
    static v3_result V3_API write(void*, void*, int32_t, int32_t*) { return V3_NOT_IMPLEMENTED; }
    static v3_result V3_API seek(void*, int64_t, int32_t, int64_t*) { return V3_NOT_IMPLEMENTED; }
    static v3_result V3_API tell(void*, int64_t*) { return V3_NOT_IMPLEMENTED; }

    explicit ReadStream(std::vector<unsigned char> from) : table(&methods), bytes(std::move(from)) {}
    v3_bstream** stream() { return static_cast<v3_bstream**>(static_cast<void*>(&table)); }
    static const Table methods;
};
const ReadStream::Table ReadStream::methods = {{query, counted, counted}, {read, write, seek, tell}};

}  // namespace

// A host that sets the controller's state before it connects the two halves, or never connects them:
// the controller reads the values, the program and the programs' names from the state itself, as the
// effect reads them, and refuses a state the effect would refuse, changing nothing.
TEST(Vst3Plugin, AControllerNotLinkedReadsTheStateItself)
{
    ASSERT_TRUE(vst3File());
    v3_plugin_factory** factory = vst3File()->factory();
    v3_class_info controller{};
    ASSERT_EQ(v3_cpp_obj(factory)->get_class_info(factory, 1, &controller), V3_OK);
    void* made = nullptr;
    ASSERT_EQ(v3_cpp_obj(factory)->create_instance(factory, controller.class_id, v3_edit_controller_iid, &made), V3_OK);
    auto** alone = static_cast<v3_edit_controller**>(made);
    constexpr v3_param_id programId = LimiterParams::count + 1;

    ReadStream bank(vstBankWith(0.25f, 5));  // program 5 at -15 dB
    EXPECT_EQ(v3_cpp_obj(alone)->set_component_state(alone, bank.stream()), V3_OK);
    EXPECT_EQ(v3_cpp_obj(alone)->get_parameter_normalised(alone, 0), 0.25);
    EXPECT_DOUBLE_EQ(v3_cpp_obj(alone)->get_parameter_normalised(alone, programId), 5.0 / 7);
    v3_str_128 text{};
    ASSERT_EQ(v3_cpp_obj(alone)->get_parameter_string_for_value(alone, programId, 5.0 / 7, text), V3_OK);
    EXPECT_EQ(narrow(text), "Init 6");  // the bank's name, not the controller's own "Program 6"

    std::vector<unsigned char> damaged = vstBankWith(0.75f, 2);
    damaged.resize(damaged.size() - 1);  // its last record cut short
    ReadStream cut(damaged);
    EXPECT_EQ(v3_cpp_obj(alone)->set_component_state(alone, cut.stream()), V3_FALSE);
    EXPECT_EQ(v3_cpp_obj(alone)->get_parameter_normalised(alone, 0), 0.25);
    EXPECT_DOUBLE_EQ(v3_cpp_obj(alone)->get_parameter_normalised(alone, programId), 5.0 / 7);
    v3_cpp_obj_unref(alone);
}

TEST(Vst3Plugin, SameOutputAsTheVstPluginWithAutomationInBlocksOfAnyLength)
{
    ASSERT_TRUE(vst3File() && vstFile());
    const Stereo<float> in;
    const Stereo<double> in64;
    for (int block : {1, 7, 512, 4096}) {
        EXPECT_TRUE(renderVst(in) == renderVst3(in, block)) << "32-bit, blocks of " << block;
        EXPECT_TRUE(renderVst(in64) == renderVst3(in64, block)) << "64-bit, blocks of " << block;
    }
}

// The VST 2.4 chunk as it is, and in the forms migrating hosts hand over: the bank (.fxb), the program
// (.fxp), each after the 'VstW' header; anything else is refused and changes nothing.
TEST(Vst3Plugin, StateMovesBetweenTheFormatsInEveryFormHostsHandOver)
{
    ASSERT_TRUE(vst3File() && vstFile());
    const std::vector<unsigned char> bank = vstBankWith(0.25f, 5);
    auto vst3 = startedVst3();
    ASSERT_TRUE(vst3->setComponentState(bank));
    EXPECT_EQ(vst3->componentState(), bank);
    EXPECT_FLOAT_EQ(vst3->parameter(0), 0.25f);

    Render::PresetHeader header;
    header.uniqueID = vst3->presetIdentity().uniqueID;
    header.version = 1;
    header.count = 8;
    header.currentProgram = 5;
    const std::vector<unsigned char> fxb = Render::wrapChunk(Render::PresetKind::bank, header, vstBankWith(0.75f, 2));
    std::vector<unsigned char> wrapped = {'V', 's', 't', 'W', 0, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 0};
    wrapped.insert(wrapped.end(), fxb.begin(), fxb.end());
    for (const auto& form : {fxb, wrapped}) {
        auto fresh = startedVst3();
        ASSERT_TRUE(fresh->setComponentState(form)) << form.size();
        EXPECT_FLOAT_EQ(fresh->parameter(0), 0.75f);
    }
    auto vst = startedVst();
    vst->setParameter(1, 0.125f);
    header.count = 5;
    header.programName = "A program";
    const std::vector<unsigned char> fxp = Render::wrapChunk(Render::PresetKind::program, header, vst->saveChunk(true));
    ASSERT_TRUE(vst3->setComponentState(fxp));
    EXPECT_FLOAT_EQ(vst3->parameter(1), 0.125f);

    // And back: the VST3 state opens in the VST 2.4 plug-in.
    const std::vector<unsigned char> fromVst3 = vst3->componentState();
    auto again = startedVst();
    ASSERT_TRUE(again->loadChunk(false, fromVst3));
    EXPECT_FLOAT_EQ(again->parameter(1), 0.125f);

    std::vector<std::vector<unsigned char>> bad = {{}, {1, 2, 3}, std::vector<unsigned char>(bank.begin(), bank.end() - 1),
                                                   std::vector<unsigned char>(fxb.begin(), fxb.end() - 1),
                                                   std::vector<unsigned char>(wrapped.begin(), wrapped.begin() + 12)};
    std::vector<unsigned char> foreign = fxb;
    foreign[19] ^= 1;  // another plug-in's unique ID
    bad.push_back(foreign);
    for (const auto& state : bad) {
        EXPECT_FALSE(vst3->setComponentState(state)) << state.size() << " bytes";
        EXPECT_EQ(vst3->componentState(), fromVst3);
    }
}

TEST(Vst3Plugin, ControllersReachTheBoundParameterAndTheHostHearsOfIt)
{
    ASSERT_TRUE(vst3File() && vstFile());
    auto vst = startedVst();
    auto& effect = static_cast<PluginHost::Vst2Plugin&>(*vst).effect();
    auto* plug = static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(effect.effect()->object));
    plug->paramTable().bindKey(0, PlugCore::signExtendKey(PlugCore::controllerKey(7)));
    auto vst3 = startedVst3();
    ASSERT_TRUE(vst3->setComponentState(vst->saveChunk(false)));
    Stereo<float> in, out;
    float* ins[2] = {in.left.data(), in.right.data()};
    float* outs[2] = {out.left.data(), out.right.data()};
    MidiAt cc{};
    cc.frame = 100;
    cc.bytes[0] = 0xB0, cc.bytes[1] = 7, cc.bytes[2] = 0;
    vst3->process(ins, outs, 512, std::vector<MidiAt>{cc});  // as the mapped parameter, at 0
    EXPECT_FLOAT_EQ(vst3->parameter(0), 0.0f);
    const std::vector<Vst3Change> told = vst3->takeReportedChanges();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].id, 0u);
    EXPECT_EQ(told[0].value, 0.0);
}

TEST(Vst3Plugin, TextsParametersBypassAndLatency)
{
    ASSERT_TRUE(vst3File());
    auto vst3 = startedVst3();
    v3_edit_controller** controller = vst3->controller();
    v3_str_128 text{};
    ASSERT_EQ(v3_cpp_obj(controller)->get_parameter_string_for_value(controller, 0, 0.5, text), V3_OK);
    std::string shown;
    for (int i = 0; text[i]; ++i)
        shown += static_cast<char>(text[i]);
    EXPECT_EQ(shown, "-10.0");
    int16_t typed[] = {'-', '1', '0', ' ', 'd', 'B', 0};
    double value = -1.0;
    ASSERT_EQ(v3_cpp_obj(controller)->get_parameter_value_for_string(controller, 0, typed, &value), V3_OK);
    EXPECT_FLOAT_EQ(static_cast<float>(value), 0.5f);
    int16_t wrong[] = {'-', '1', '0', ' ', 'm', 's', 0};
    EXPECT_NE(v3_cpp_obj(controller)->get_parameter_value_for_string(controller, 0, wrong, &value), V3_OK);

    v3_param_info info{};
    ASSERT_EQ(v3_cpp_obj(controller)->get_parameter_info(controller, 4, &info), V3_OK);
    EXPECT_EQ(info.step_count, 1);
    ASSERT_EQ(v3_cpp_obj(controller)->get_parameter_info(controller, 5, &info), V3_OK);
    EXPECT_TRUE(info.flags & V3_PARAM_IS_BYPASS);
    // The five and the bypass: the program change stands for the programs, the controllers are hidden.
    EXPECT_EQ(vst3->parameterCount(), 6);

    // Bypassed, the output is the input delayed by the latency, so the host's compensation still holds.
    const Stereo<float> in;
    Stereo<float> out;
    float* ins[2] = {const_cast<float*>(in.left.data()), const_cast<float*>(in.right.data())};
    float* outs[2] = {out.left.data(), out.right.data()};
    vst3->process(ins, outs, 1000, std::vector<Vst3Change>{{0, 5, 1.0}});
    const int latency = vst3->latency();
    EXPECT_EQ(latency, 22);
    for (int i = latency; i < 1000; ++i)
        ASSERT_EQ(out.left[i], in.left[i - latency]) << i;

    // A new rate changes the latency, and the host is asked to restart for it.
    std::string error;
    ASSERT_TRUE(vst3->start(96000.0, 512, false, error)) << error;
    EXPECT_EQ(vst3->latency(), 48);
    EXPECT_TRUE(vst3->restartFlags() & V3_RESTART_LATENCY_CHANGED);
}

// The eight programs as the root unit's program list, with the VST 2.4 plug-in's names; the program
// change comes with the audio, as hosts send it, and the values of the program chosen (here one a bank
// changed) reach the host and through it the controller.
TEST(Vst3Plugin, ProgramsAreAListAndAProgramChange)
{
    ASSERT_TRUE(vst3File() && vstFile());
    auto vst3 = startedVst3();
    void* found = nullptr;
    ASSERT_EQ(v3_cpp_obj_query_interface(vst3->controller(), v3_unit_information_iid,
                                         reinterpret_cast<v3_unit_information***>(&found)),
              V3_OK);
    auto** units = static_cast<v3_unit_information**>(found);
    v3_unit_info unit{};
    ASSERT_EQ(v3_cpp_obj(units)->get_unit_info(units, 0, &unit), V3_OK);
    v3_program_list_info list{};
    ASSERT_EQ(v3_cpp_obj(units)->get_program_list_info(units, 0, &list), V3_OK);
    EXPECT_EQ(list.id, unit.program_list_id);
    ASSERT_EQ(list.programCount, 8);
    EXPECT_EQ(vst3->programCount(), 8);
    auto vst = startedVst();
    auto& effect = static_cast<PluginHost::Vst2Plugin&>(*vst).effect();
    for (int p = 0; p < 8; ++p) {
        effect.dispatch(effSetProgram, 0, p);
        v3_str_128 name{};
        ASSERT_EQ(v3_cpp_obj(units)->get_program_name(units, list.id, p, name), V3_OK);
        std::string text;
        for (int i = 0; name[i]; ++i)
            text += static_cast<char>(name[i]);
        EXPECT_EQ(text, vst->programName()) << p;
    }
    EXPECT_NE(v3_cpp_obj(units)->get_program_name(units, list.id, 8, nullptr), V3_OK);
    v3_cpp_obj_unref(units);

    ASSERT_TRUE(vst3->setComponentState(vstBankWith(0.25f, 5)));  // program 5 at -15 dB, the others at 0 dB
    const Stereo<float> in;
    Stereo<float> out;
    float* ins[2] = {const_cast<float*>(in.left.data()), const_cast<float*>(in.right.data())};
    float* outs[2] = {out.left.data(), out.right.data()};
    constexpr v3_param_id programChange = LimiterParams::count + 1;
    vst3->process(ins, outs, 64, std::vector<Vst3Change>{{10, programChange, 2.0 / 7}});
    EXPECT_EQ(vst3->parameter(0), 1.0f);
    EXPECT_EQ(vst3->currentProgram(), 2);
    vst3->process(ins, outs, 64, std::vector<Vst3Change>{{0, programChange, 5.0 / 7}});
    EXPECT_EQ(vst3->parameter(0), 0.25f);
    EXPECT_EQ(vst3->currentProgram(), 5);
    effect.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(vst3->programName(), vst->programName());
}

// Through the renderer's preset files: a bank saved from the VST3 edition opens in the VST 2.4 plug-in
// (the same unique ID in its header); a program file loads; a program cannot be saved (VST3 keeps the
// whole bank), which is an error, not an empty file.
TEST(Vst3Plugin, PresetFilesTravelAndAProgramSaveIsRefused)
{
    ASSERT_TRUE(vst3File() && vstFile());
    const std::string folder = VstHost::programFolder();
    auto vst3 = startedVst3();
    vst3->setParameter(0, 0.375f);
    std::string error;
    ASSERT_TRUE(Render::savePresetFile(*vst3, Render::PresetKind::bank, folder + "vst3-bank.fxb", error)) << error;
    auto vst = startedVst();
    ASSERT_TRUE(Render::loadPresetFile(*vst, Render::PresetKind::bank, folder + "vst3-bank.fxb", error)) << error;
    EXPECT_FLOAT_EQ(vst->parameter(0), 0.375f);
    vst->setParameter(1, 0.625f);
    ASSERT_TRUE(Render::savePresetFile(*vst, Render::PresetKind::program, folder + "vst-program.fxp", error)) << error;
    ASSERT_TRUE(Render::loadPresetFile(*vst3, Render::PresetKind::program, folder + "vst-program.fxp", error)) << error;
    EXPECT_FLOAT_EQ(vst3->parameter(1), 0.625f);
    EXPECT_FALSE(Render::savePresetFile(*vst3, Render::PresetKind::program, folder + "vst3-program.fxp", error));
    EXPECT_NE(error.find("no program"), std::string::npos) << error;
    EXPECT_FALSE(std::ifstream(folder + "vst3-program.fxp").good());
    for (const char* name : {"vst3-bank.fxb", "vst-program.fxp"})
        std::remove((folder + name).c_str());
}
