// A stand-in effect for the framework's tests: records what the driver asks of it and copies input
// to output.
#pragma once

#include <string>
#include <vector>

#include "host/EffectEntry.h"
#include "plugcore/Plug.h"

namespace TestSupport {

struct BlockCall {
    bool paramsChanged;
    PlugCore::TransportInfo info;
    VstInt32 offset;  // first frame, counted from the host buffer's start
    VstInt32 frames;
};

class TestEffect : public PlugCore::Plug {
public:
    static constexpr int paramCount = 3;
    explicit TestEffect(audioMasterCallback audioMaster);

    void setup() override { log.push_back("setup"); }
    void reset() override { log.push_back("reset"); }
    bool processBlock(bool paramsChanged, const PlugCore::TransportInfo& info, double** inputs, double** outputs,
                      VstInt32 frames) override;
    void getDisplayText(VstInt32 index, char* text, float value) override;
    VstInt32 getLatency() override { return latency; }
    void noteOn(VstInt32 note, VstInt32 velocity) override;
    void noteOff(VstInt32 note, VstInt32 velocity) override;
    void controlChange(VstInt32 key, float value) override;

    // Where the host's buffers start, so sub-block offsets can be told.
    const double* bufferStart = nullptr;
    std::vector<std::string> log;  // setup, reset, block, and MIDI hooks in order
    std::vector<BlockCall> blocks;
    bool keepSongRunning = false;
    VstInt32 latency = 17;
};

// The entry point of a library that would hold the test effect.
AEffect* VSTCALLBACK testEffectEntry(audioMasterCallback audioMaster);
// The same for the product (the limiter with this platform's editor), linked into the test program.
AEffect* VSTCALLBACK limiterEntry(audioMasterCallback audioMaster);

TestEffect& testEffectOf(AEffect* effect);

}  // namespace TestSupport
