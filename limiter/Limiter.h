// The effect: a stereo look-ahead peak limiter. One gain, driven by the louder channel, is ramped down
// over the look-ahead so the reduction is complete when the peak leaves the delay; make-up gain, a hard
// clip at full scale and triangular dither follow. The signal path is the LimiterKernel; this class is
// its VST face: parameters, display texts, the editor's description and the way to its mailbox.
#pragma once

#include "limiter/EditorLayout.h"
#include "limiter/LimiterKernel.h"
#include "limiter/MeterBlock.h"
#include "limiter/MeterSink.h"
#include "plugcore/Plug.h"

class Limiter;

// What the effect talks to besides its host, each null when there is none: the editor a VST 2.4 host
// opens (owned by the effect from then on), who is told of parameter changes and learns, and where
// meter blocks go.
struct Companions {
    AEffEditor* editor = nullptr;
    PlugCore::IParamNotify* params = nullptr;
    PlugCore::IMeterNotify* meters = nullptr;
};

// An editor that is all three (the editors of the editor side are).
template <class Editor> Companions editorCompanions(Editor* editor) { return Companions{editor, editor, editor}; }

// Makes the effect's editor while the effect is being constructed. The editor side hands one in, so the
// effect never names its editor.
using EditorFactory = Companions (*)(Limiter& effect);

class Limiter : public PlugCore::Plug, private MeterSink {
public:
    explicit Limiter(audioMasterCallback audioMaster, EditorFactory makeEditor = nullptr);
    // Without an editor, for a driver that listens itself.
    Limiter(audioMasterCallback audioMaster, const Companions& listeners);
    ~Limiter() override;

    void setup() override;
    void reset() override;
    bool processBlock(bool paramsChanged, const PlugCore::TransportInfo& info, double** inputs, double** outputs,
                      VstInt32 frames) override;
    // Single precision straight through the kernel, which widens and rounds as the conversion would.
    bool processBlockSingle(bool paramsChanged, const PlugCore::TransportInfo& info, float** inputs,
                            float** outputs, VstInt32 frames) override;
    void getDisplayText(VstInt32 index, char* text, float value) override;
    VstInt32 getLatency() override { return kernel.latency(); }

    const EditorLayout& editorLayout() const { return layout; }
    const MeterBlock& meters() const { return kernel.meters(); }
    double currentGainLog() const { return kernel.currentGainLog(); }

private:
    LimiterSettings settings();
    void describe();
    void attach(const Companions& companions);
    bool offerMeters(const MeterBlock& block) override;

    EditorLayout layout{};
    PlugCore::IMeterNotify* mailbox = nullptr;  // the editor's or the driver's
    LimiterKernel kernel;
};

// The factory an entry point calls: null when the memory cannot be had.
AudioEffect* createLimiter(audioMasterCallback audioMaster, EditorFactory makeEditor);
