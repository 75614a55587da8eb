// The renderer's MIDI list and the .fxp/.fxb preset files: parsing, the headers other hosts expect,
// and a state that travels from one instance to another through a file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "limiter/Limiter.h"
#include "plugcore/MidiKeys.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/StartedLimiter.h"
#include "tests/support/TestEffect.h"
#include "tools/render/MidiList.h"
#include "tools/render/PresetFile.h"
#include "tools/render/Renderer.h"

using namespace Render;
using Bytes = std::vector<unsigned char>;

namespace {

Limiter& limiterOf(PluginHost::Vst2Plugin& host)
{
    return *static_cast<Limiter*>(static_cast<AudioEffect*>(host.effect().effect()->object));
}

std::unique_ptr<PluginHost::Vst2Plugin> startedLimiter() { return TestSupport::startedLimiter(44100.0, 256); }

}  // namespace

TEST(RenderMidiList, ParsesSortsAndRefusesWithTheLineNumber)
{
    std::vector<MidiCue> cues;
    std::string error;
    ASSERT_TRUE(parseMidiList("# a comment\n900 0xB0 7 64\n\n  0100 176 7 0   # inline\n900 0x90 60 100\n", cues, error));
    ASSERT_EQ(cues.size(), 3u);
    EXPECT_EQ(cues[0].frame, 100);  // a leading 0 is still decimal
    EXPECT_EQ(cues[1].status, 0xB0);  // equal frames keep their order
    EXPECT_EQ(cues[2].status, 0x90);
    EXPECT_EQ(cues[1].data2, 64);

    for (const char* bad : {"1 0xB0 7\n", "1 0x70 7 0\n", "1 0xB0 128 0\n", "-1 0xB0 7 0\n", "x 0xB0 7 0\n",
                            "1 0xB0 7 0 9\n"}) {
        EXPECT_FALSE(parseMidiList(std::string("0 0xB0 1 1\n") + bad, cues, error)) << bad;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

TEST(RenderPresetFile, HeadersAreTheStandardOnes)
{
    PresetHeader header;
    header.uniqueID = 0x51763776;
    header.version = 1000;
    header.count = 5;
    header.programName = "A name longer than the twenty-eight bytes";
    const Bytes chunk = {1, 2, 3};
    const Bytes program = wrapChunk(PresetKind::program, header, chunk);
    ASSERT_EQ(program.size(), 60u + chunk.size());
    EXPECT_EQ(Bytes(program.begin(), program.begin() + 4), (Bytes{'C', 'c', 'n', 'K'}));
    EXPECT_EQ(program[7], 60 - 8 + 3);  // byte size counts from after itself
    EXPECT_EQ(Bytes(program.begin() + 8, program.begin() + 12), (Bytes{'F', 'P', 'C', 'h'}));
    EXPECT_EQ(program[16], 0x51);  // big-endian ID
    EXPECT_EQ(program[28 + 27], 0);  // the name is cut and terminated
    EXPECT_EQ(program[59], 3);       // chunk size, then the chunk
    EXPECT_EQ(program.back(), 3);

    header.currentProgram = 6;
    const Bytes bank = wrapChunk(PresetKind::bank, header, chunk);
    ASSERT_EQ(bank.size(), 160u + chunk.size());
    EXPECT_EQ(Bytes(bank.begin() + 8, bank.begin() + 12), (Bytes{'F', 'B', 'C', 'h'}));
    EXPECT_EQ(bank[15], 2);  // format version 2 carries the current program
    EXPECT_EQ(bank[31], 6);

    Bytes back;
    std::string error;
    ASSERT_TRUE(unwrapChunk(PresetKind::bank, bank, header.uniqueID, back, error)) << error;
    EXPECT_EQ(back, chunk);
    EXPECT_FALSE(unwrapChunk(PresetKind::program, bank, header.uniqueID, back, error));
    EXPECT_NE(error.find("bank file"), std::string::npos);
    EXPECT_FALSE(unwrapChunk(PresetKind::bank, bank, header.uniqueID + 1, back, error));
    EXPECT_FALSE(unwrapChunk(PresetKind::bank, Bytes(bank.begin(), bank.end() - 1), header.uniqueID, back, error));
    EXPECT_NE(error.find("truncated"), std::string::npos);
    EXPECT_FALSE(unwrapChunk(PresetKind::bank, Bytes(10, 0), header.uniqueID, back, error));
}

TEST(RenderPresetFile, BankWithBindingTravelsAndMidiMovesTheBoundParameter)
{
    const std::string path = VstHost::programFolder() + "render-test-bank.fxb";
    {
        auto first = startedLimiter();
        first->effect().dispatch(effSetProgram, 0, 3);
        first->setParameter(0, 0.25f);
        limiterOf(*first).paramTable()[0].midiKey.store(PlugCore::signExtendKey(PlugCore::controllerKey(7)));
        std::string error;
        ASSERT_TRUE(savePresetFile(*first, PresetKind::bank, path, error)) << error;
    }
    auto second = startedLimiter();
    std::string error;
    ASSERT_TRUE(loadPresetFile(*second, PresetKind::bank, path, error)) << error;
    EXPECT_EQ(second->currentProgram(), 3);
    EXPECT_NEAR(second->parameter(0), 0.25f, 1e-4f);

    // Controller 7 at frame 300 of a 1000-frame render moves the threshold it is bound to.
    StereoAudio audio;
    audio.sampleRate = 44100;
    audio.left.assign(1000, 0.0f);
    audio.right.assign(1000, 0.0f);
    RenderOptions options;
    options.blockSize = 256;
    ASSERT_TRUE(parseMidiList("300 0xB0 7 127\n", options.midi, error));
    renderThrough(*second, audio, options);
    EXPECT_FLOAT_EQ(second->parameter(0), 1.0f);
    std::remove(path.c_str());
}

// A bank or program the plug-in's chunk reader stops in (a record cut off, a foreign plug-in's name)
// is an error, not a render with half-loaded settings.
TEST(RenderPresetFile, APresetThePlugInDoesNotTakeWholeIsRefused)
{
    for (const PresetKind kind : {PresetKind::bank, PresetKind::program}) {
        const std::string path = VstHost::programFolder() + "render-test-damaged.fx";
        std::string error;
        Bytes file;
        {
            auto first = startedLimiter();
            first->setParameter(0, 0.25f);
            ASSERT_TRUE(savePresetFile(*first, kind, path, error)) << error;
            std::ifstream in(path, std::ios::binary);
            file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        const std::size_t head = kind == PresetKind::bank ? 160 : 60;
        ASSERT_GT(file.size(), head + 12);
        Bytes chunk(file.begin() + static_cast<std::ptrdiff_t>(head), file.end());
        PresetHeader header;
        header.uniqueID = startedLimiter()->presetIdentity().uniqueID;
        for (const std::size_t cut : {std::size_t{1}, std::size_t{2}}) {
            const Bytes shorter(chunk.begin(), chunk.end() - static_cast<std::ptrdiff_t>(cut));
            const Bytes damaged = wrapChunk(kind, header, shorter);
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(damaged.data()), static_cast<std::streamsize>(damaged.size()));
            auto second = startedLimiter();
            TestSupport::MessageCapture boxes;  // the plug-in tells its user (a message box on Windows)
            EXPECT_FALSE(loadPresetFile(*second, kind, path, error));
            EXPECT_NE(error.find("did not take"), std::string::npos) << error;
            const std::vector<TestSupport::ShownMessage> shown = boxes.take();
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_NE(shown[0].text.find("corrupted"), std::string::npos) << shown[0].text;
        }
        std::remove(path.c_str());
    }
}
