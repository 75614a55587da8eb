// The effect: a stereo look-ahead peak limiter. One gain, driven by the louder channel, is ramped down
// over the look-ahead so the reduction is complete when the peak leaves the delay; make-up gain, a hard
// clip at full scale and triangular dither follow.
#pragma once

#include <cmath>
#include <memory>

#include "limiter/EditorLayout.h"
#include "limiter/Lanes.h"
#include "limiter/MeterBlock.h"
#include "plugcore/Plug.h"

class Limiter;

// Makes the effect's editor while the effect is being constructed (null for none). The editor side
// hands one in, so the effect never names its editor.
using EditorFactory = AEffEditor* (*)(Limiter& effect);

class Limiter : public PlugCore::Plug {
public:
    explicit Limiter(audioMasterCallback audioMaster, EditorFactory makeEditor = nullptr);
    ~Limiter() override;

    void setup() override;
    void reset() override;
    bool processBlock(bool paramsChanged, const PlugCore::TransportInfo& info, double** inputs, double** outputs,
                      VstInt32 frames) override;
    void getDisplayText(VstInt32 index, char* text, float value) override;
    VstInt32 getLatency() override { return lookahead; }

    const EditorLayout& editorLayout() const { return layout; }
    const MeterBlock& meters() const { return meterBlock; }
    double currentGainLog() const { return gainLog; }

private:
    void updateCoefficients();
    void followGain(VstInt32 frames);
    void shapeOutput(double** inputs, double** outputs, VstInt32 offset, VstInt32 first, VstInt32 frames);
    void foldMeters();
    void publish(PlugCore::IMeterNotify& mailbox);

    EditorLayout layout{};
    MeterBlock meterBlock;

    // The three rings (left delay, right delay, gain history) share one allocation and, since every
    // frame advances all three together, one position.
    VstInt32 lookahead = 0;
    std::unique_ptr<double[]> delayStorage;
    VstInt32 ringPosition = 0;

    double envFast = 0.0;
    double envSlow = 0.0;
    double gainLog = 0.0;
    double inputGain = 1.0;
    double makeupGain = 1.0;
    double releaseCoeff = 0.0;
    double attackCoeff = 0.0;
    double releaseComp = 1.0;
    bool wideScale = false;
    bool dither24 = false;
    bool needsUpdate = false;

    float powerCoeff = 0.0f;
    float meterDecay = 0.0f;
    float power[2] = {0.0f, 0.0f};
    VstInt32 sampleCounter = 0;
    VstInt32 meterInterval = 0;
    VstInt32 holdPublishes = 50;
    VstInt32 holdCount[2] = {0, 0};

    // Meter extremes gathered since they were last folded into the MeterBlock: largest |output| and
    // smoothed power per channel, smallest gain.
    Lanes::Pair meterPeak = {0.0, 0.0};
    Lanes::Pair meterPower = {0.0, 0.0};
    double meterGain = HUGE_VAL;
    // The dither states of the next frame's four draws.
    Lanes::Quad ditherLanes = {0, 0, 0, 0};

    // Per-frame intermediates of one stretch of a block: the level logarithms, the gain follower's
    // output turned into the gain, and the dither noise. Fixed in size, so processing never allocates.
    static constexpr VstInt32 stretch = 256;
    double levelLog[stretch];
    double frameGain[stretch];
    Lanes::Pair frameNoise[stretch];  // the dither noise, left and right
};

// The factory an entry point calls: null when the memory cannot be had.
AudioEffect* createLimiter(audioMasterCallback audioMaster, EditorFactory makeEditor);
