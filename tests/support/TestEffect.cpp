#include "tests/support/TestEffect.h"

#include <cstdio>


namespace TestSupport {

TestEffect::TestEffect(audioMasterCallback audioMaster) : Plug(audioMaster, paramCount)
{
    params.declare(0, "alpha", "dB", 0.25f);
    params.declare(1, "beta", "ms", 0.5f);
    params.declare(2, "gamma", "", 1.0f);
}

bool TestEffect::processBlock(bool paramsChanged, const PlugCore::TransportInfo& info, double** inputs,
                              double** outputs, VstInt32 frames)
{
    const VstInt32 offset = bufferStart ? static_cast<VstInt32>(inputs[0] - bufferStart) : 0;
    blocks.push_back({paramsChanged, info, offset, frames});
    log.push_back("block " + std::to_string(offset) + "+" + std::to_string(frames));
    for (int c = 0; c < 2; ++c)
        for (VstInt32 i = 0; i < frames; ++i)
            outputs[c][i] = inputs[c][i];
    return keepSongRunning;
}

void TestEffect::getDisplayText(VstInt32 index, char* text, float value)
{
    std::snprintf(text, 8, "%d:%.2f", static_cast<int>(index), static_cast<double>(value));
}

void TestEffect::noteOn(VstInt32 note, VstInt32 velocity)
{
    log.push_back("noteOn " + std::to_string(note) + " " + std::to_string(velocity));
}

void TestEffect::noteOff(VstInt32 note, VstInt32 velocity)
{
    log.push_back("noteOff " + std::to_string(note) + " " + std::to_string(velocity));
}

void TestEffect::controlChange(VstInt32 key, float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "cc %X %.6f", static_cast<unsigned>(key), static_cast<double>(value));
    log.push_back(text);
}

namespace {
AudioEffect* makeTestEffect(audioMasterCallback audioMaster) { return new TestEffect(audioMaster); }
}  // namespace

AEffect* VSTCALLBACK testEffectEntry(audioMasterCallback audioMaster)
{
    return createEffectForHost(audioMaster, makeTestEffect);
}

AEffect* VSTCALLBACK limiterEntry(audioMasterCallback audioMaster)
{
    return createEffectForHost(audioMaster, createEffectInstance);
}

TestEffect& testEffectOf(AEffect* effect) { return *static_cast<TestEffect*>(static_cast<AudioEffect*>(effect->object)); }

}  // namespace TestSupport
