// The chunk: what is written for a program and a bank, and how every kind of bad block is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "plugcore/ChunkFormat.h"
#include "plugcore/MidiKeys.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using VstHost::HostedEffect;
using Bytes = std::vector<unsigned char>;

namespace {

struct ChunkTest : ::testing::Test {
    void SetUp() override { host = HostedEffect::create(limiterEntry); }
    PlugCore::Plug& plug() { return *static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(host->effect()->object)); }
    Bytes get(bool preset)
    {
        void* data = nullptr;
        const auto size = host->dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
        const auto* p = static_cast<const unsigned char*>(data);
        return Bytes(p, p + size);
    }
    // Loads the block and returns the texts of the boxes it showed.
    std::vector<std::string> set(Bytes bytes, bool preset = false)
    {
        MessageCapture boxes;
        EXPECT_EQ(host->dispatch(effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(bytes.size()), bytes.data()), 0);
        std::vector<std::string> texts;
        for (const auto& shown : boxes.take()) {
            EXPECT_EQ(shown.caption, "Tarn error");
            texts.push_back(shown.text);
        }
        return texts;
    }
    static Bytes header(std::uint16_t version = 5, std::uint16_t reserved = 0)
    {
        return {0x75, 0x3D, 0x8C, 0x28, static_cast<unsigned char>(version), static_cast<unsigned char>(version >> 8),
                static_cast<unsigned char>(reserved), static_cast<unsigned char>(reserved >> 8)};
    }
    static void value(Bytes& b, int index, std::uint16_t v)
    {
        b.insert(b.end(), {0, static_cast<unsigned char>(index), static_cast<unsigned char>(v & 0xFF),
                           static_cast<unsigned char>(v >> 8)});
    }
    std::unique_ptr<HostedEffect> host;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST_F(ChunkTest, SizesAndLayout)
{
    const Bytes program = get(true);
    const Bytes bank = get(false);
    ASSERT_EQ(program.size(), 80u);
    ASSERT_EQ(bank.size(), 450u);
    EXPECT_EQ(Bytes(program.begin(), program.begin() + 8), header());
    EXPECT_EQ(program[8], PlugCore::Chunk::pluginName);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&program[9])), "Tarn");
    EXPECT_EQ(program[40], PlugCore::Chunk::paramValue);
    EXPECT_EQ(program[41], 0);
    EXPECT_EQ(program[42] | (program[43] << 8), 64000);  // thresh. at 1.0
    EXPECT_EQ(program[60], PlugCore::Chunk::midiBinding);
    EXPECT_EQ(program[62] | (program[63] << 8), 0xFFFF);  // unbound
}

TEST_F(ChunkTest, BankRoundTripsThroughANewInstance)
{
    host->setParameter(0, 0.5f);
    host->setParameter(1, 0.3f);
    char name[] = "Loud";
    host->dispatch(effSetProgramName, 0, 0, name);
    host->dispatch(effSetProgram, 0, 5);
    host->setParameter(2, 0.25f);
    plug().paramTable().bindKey(4, PlugCore::signExtendKey(0xB00B));
    const Bytes bank = get(false);

    host = HostedEffect::create(limiterEntry);
    EXPECT_TRUE(set(bank).empty());
    EXPECT_EQ(host->dispatch(effGetProgram), 5);
    EXPECT_EQ(host->getParameter(2), 0.25f);
    EXPECT_EQ(plug().program(0).values[0], 0.5f);
    EXPECT_EQ(plug().program(0).values[1], static_cast<float>(19200 * 1.5625e-05f));
    EXPECT_STREQ(plug().program(0).name, "Loud");
    EXPECT_EQ(plug().paramTable()[4].midiKey, static_cast<std::int32_t>(0xFFFFB00B));
    EXPECT_EQ(host->takeRequests().size(), 45u);  // every value record is automation
    EXPECT_EQ(get(false), bank);
}

TEST_F(ChunkTest, PresetLeavesTheProgramsAlone)
{
    const Bytes preset = get(true);
    char name[] = "Kept";
    host->dispatch(effSetProgramName, 0, 0, name);
    host->setParameter(0, 0.1f);
    host->dispatch(effSetProgram, 0, 2);
    EXPECT_TRUE(set(preset, true).empty());
    EXPECT_EQ(host->getParameter(0), 1.0f);
    EXPECT_EQ(host->dispatch(effGetProgram), 2);
    EXPECT_STREQ(plug().program(0).name, "Kept");
    EXPECT_EQ(plug().program(0).values[0], 0.1f);
}

TEST_F(ChunkTest, ValueEncoding)
{
    using PlugCore::Chunk::decodeValue;
    using PlugCore::Chunk::encodeValue;
    EXPECT_EQ(decodeValue(64000), 1.0f);
    EXPECT_EQ(decodeValue(32000), 0.5f);
    EXPECT_EQ(encodeValue(0.5f), 32000);
    EXPECT_EQ(encodeValue(0.3f), 19200);
    EXPECT_EQ(encodeValue(decodeValue(33)), 32);  // the single-precision factor reads a little low
    Bytes b = header();
    value(b, 1, 65535);
    EXPECT_TRUE(set(b).empty());
    EXPECT_EQ(host->getParameter(1), 1.0f);
}

TEST_F(ChunkTest, BadBlocksAreRefused)
{
    EXPECT_EQ(set(Bytes(7, 0)), (Texts{"Error loading chunk: No header"}));
    EXPECT_EQ(set({1, 2, 3, 4, 5, 0, 0, 0}), (Texts{"Error loading chunk: Invalid header"}));
    const std::string later =
        "Error loading chunk: Program or bank was saved with a later version.\nPlease update the plugin and try again.";
    EXPECT_EQ(set(header(6)), (Texts{later}));
    EXPECT_EQ(set(header(5, 1)), (Texts{later}));
    EXPECT_TRUE(set(header(4)).empty());
    EXPECT_TRUE(set(header(0xFFFF)).empty());  // version -1 is older

    Bytes unknown = header();
    unknown.push_back(9);
    EXPECT_EQ(set(unknown), (Texts{"Error loading chunk: Chunk appears corrupted."}));
}

TEST_F(ChunkTest, RecordsBeforeAnErrorStayApplied)
{
    Bytes b = header();
    value(b, 0, 16000);
    value(b, 1, 48000);
    b.insert(b.end(), {0, 2, 0x10});  // cut inside a value record
    EXPECT_EQ(set(b), (Texts{"Error loading chunk: Chunk appears corrupted."}));
    EXPECT_EQ(host->getParameter(0), 0.25f);
    EXPECT_EQ(host->getParameter(1), PlugCore::Chunk::decodeValue(48000));
    EXPECT_EQ(host->getParameter(2), 0.0f);
}

TEST_F(ChunkTest, ForeignPluginNameStopsTheLoad)
{
    Bytes b = header();
    b.push_back(PlugCore::Chunk::pluginName);
    const char other[31] = "Other";
    b.insert(b.end(), other, other + 31);
    value(b, 0, 0);
    const Texts shown = set(b);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("Error loading chunk: ", 0), 0u);
    EXPECT_EQ(host->getParameter(0), 1.0f);
}

TEST_F(ChunkTest, RecordsForMissingParametersOrProgramsAreSkipped)
{
    Bytes b = header();
    value(b, 9, 100);
    b.insert(b.end(), {1, 9, 0x07, 0xB0});
    b.push_back(2);
    b.push_back(8);
    b.insert(b.end(), 24, 'x');
    b.insert(b.end(), {3, 8});
    value(b, 0, 0);
    EXPECT_TRUE(set(b).empty());
    EXPECT_EQ(host->getParameter(0), 0.0f);
    EXPECT_EQ(host->dispatch(effGetProgram), 0);
    for (int p = 0; p < 8; ++p)
        EXPECT_EQ(std::string(plug().program(p).name), "Init " + std::to_string(p + 1));
    EXPECT_EQ(host->takeRequests().size(), 1u);
}

// Read without an effect, a chunk gives the values and the program the effect has after taking it: a
// bank, a preset, out-of-range records; and nothing at all from a chunk the effect refuses.
TEST_F(ChunkTest, ReadWithoutTheEffectAsTheEffectReadsIt)
{
    host->dispatch(effSetProgram, 0, 3);
    host->setParameter(2, 0.3f);
    char renamed[] = "A name of exactly 23 chs";  // one longer than a program's name keeps
    host->dispatch(effSetProgramName, 0, 0, renamed);
    Bytes odd = header();
    value(odd, 1, 65535);  // above full scale
    value(odd, 9, 100);    // no such parameter
    odd.insert(odd.end(), {3, 9});  // no such program
    for (const Bytes& chunk : {get(false), get(true), odd}) {
        float values[5] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
        int program = 7;
        char names[8][PlugCore::Chunk::programNameBytes] = {};
        for (int p = 0; p < 8; ++p)
            std::snprintf(names[p], sizeof names[p], "Init %d", p + 1);
        auto fresh = HostedEffect::create(limiterEntry);
        for (int i = 0; i < 5; ++i)
            fresh->setParameter(i, 0.5f);
        fresh->dispatch(effSetProgram, 0, 7);
        for (int i = 0; i < 5; ++i)
            fresh->setParameter(i, 0.5f);
        ASSERT_TRUE(PlugCore::Chunk::readCurrent(chunk.data(), chunk.size(), "Tarn", values, 5, program, 8, names));
        Bytes copy = chunk;
        fresh->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data());
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(values[i], fresh->getParameter(i)) << i;
        EXPECT_EQ(program, fresh->dispatch(effGetProgram));
        const auto& freshPlug = *static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(fresh->effect()->object));
        for (int p = 0; p < 8; ++p)
            EXPECT_STREQ(names[p], freshPlug.program(p).name) << p;
    }
    Bytes cut = get(false);
    cut.pop_back();
    float values[5] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    int program = 7;
    EXPECT_FALSE(PlugCore::Chunk::readCurrent(cut.data(), cut.size(), "Tarn", values, 5, program, 8));
    EXPECT_EQ(values[1], 0.5f);
    EXPECT_EQ(program, 7);
}
