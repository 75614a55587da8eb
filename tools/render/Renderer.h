// Runs stereo audio through a hosted plug-in in host-sized blocks and measures what came out.
#pragma once

#include <memory>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/render/Loudness.h"
#include "tools/render/MidiList.h"
#include "tools/render/RenderChain.h"
#include "tools/render/StereoAudio.h"
#include "tools/pluginhost/HostedPlugin.h"

namespace Render {

struct RenderOptions {
    int blockSize = 512;
    bool doublePrecision = false;
    std::vector<MidiCue> midi;  // in frame order; each reaches the block holding its frame
    std::function<void(std::size_t framesDone)> afterBlock;  // called after every block
};

// Called with the share done (0..1) now and then.
using Progress = std::function<void(double)>;

// The hosted plug-in as a stage of the chain, in blocks of at most options.blockSize (which the
// plug-in was started with), MIDI cues reaching the block that holds their frame.
class PluginStage : public Stage {
public:
    PluginStage(PluginHost::HostedPlugin& host, const RenderOptions& options);
    int latency() const override;
    void process(StereoBlock& block) override;

private:
    template <typename Sample>
    void processAs(StereoBlock& block, std::vector<Sample>& buffers);

    PluginHost::HostedPlugin& host_;
    const RenderOptions& options_;
    std::vector<MidiCue>::const_iterator nextCue_;
    std::vector<PluginHost::MidiAt> events_;
    std::vector<float> floats_;
    std::vector<double> doubles_;
    std::size_t at_ = 0;
};

// As a host plays it (the output trails by the plug-in's latency, no tail): the whole audio at once.
// The plug-in must be started at the audio's rate with a block size of at least options.blockSize.
StereoAudio renderThrough(PluginHost::HostedPlugin& host, const StereoAudio& input, const RenderOptions& options,
                          const Progress& progress = {});

struct RenderReport {
    int reportedLatency = 0;
    int measuredLatency = -1;  // -1: no impulse came through
    bool latencyCompensated = true;  // false: --keep-latency, the output trails the input
    long long nonFiniteInputSamples = 0;  // NaN and infinities in the input (measured as silence)
    double inputPeakDb = 0.0;
    double outputPeakDb = 0.0;
    double largestReductionDb = 0.0;
    long long samplesAboveFullScale = 0;
    // Natively: the input as read and the output as written.
    std::optional<LoudnessFigures> inputLoudness, outputLoudness;
    double truePeakWarnDbtp = 0.0;
    // Mastering: the ceiling and its stage's largest reduction; the target, and what the search chose.
    std::optional<double> truePeakCeilingDbtp, ceilingReductionDb, targetLufs;
    struct Chosen {
        float threshold = 1.0f, makeup = 1.0f;  // normalized
        double loudnessLufs = 0.0;             // what the search measured at them
        int passes = 0;
        bool reached = false;
    };
    std::optional<Chosen> chosen;
    // Each parameter's name and display text with its label, as the render used them.
    std::vector<std::pair<std::string, std::string>> parameters;
    std::optional<double> thresholdDb;  // a "thresh." parameter in dB, when the plug-in has one
    // Processor time (natively; elapsed time on Windows) of each stage: the render through the plug-in
    // (the limiter's own share), the measurements, the picture and the files; and the elapsed time in all.
    double seconds = 0.0;
    double audioSeconds = 0.0;
    double measuringSeconds = 0.0, plottingSeconds = 0.0, fileSeconds = 0.0, totalSeconds = 0.0;

    bool truePeakOver() const
    {
        return outputLoudness && outputLoudness->truePeakDbtp && *outputLoudness->truePeakDbtp > truePeakWarnDbtp;
    }
};

// Where a small impulse comes out of a fresh, started instance; -1 when it never does.
int measureLatency(PluginHost::HostedPlugin& host, double sampleRate, int maxFrames, const RenderOptions& options);

// Turns each output block into what the file will hold (mono folded, PCM rounded to its grid), so what
// is measured is what is written.
class FileRounding : public Sink {
public:
    explicit FileRounding(const StereoAudio& shape) : block_(shape) {}
    void take(const StereoBlock& input, StereoBlock& output) override;

private:
    StereoAudio block_;
};

// Levels of input and output, and the largest drop of output below the input it came from, gathered
// block by block: the input as read (non-finite samples counted, not measured), each output block
// beside the input it came from.
class LevelMeter : public Sink {
public:
    void addInput(const StereoBlock& input);
    void take(const StereoBlock& input, StereoBlock& output) override;
    void report(RenderReport& report) const;

private:
    float inPeak_ = 0.0f, outPeak_ = 0.0f, ratio_ = 1.0f;
    long long above_ = 0, nonFinite_ = 0;
};

// The same over whole audio whose output trails the input by `latency` frames.
void measureLevels(const StereoAudio& input, const StereoAudio& output, int latency, RenderReport& report);

// The plug-in's parameters as the report shows them, and its threshold when it has a "thresh." in dB.
void readParameters(PluginHost::HostedPlugin& host, RenderReport& report);

void printReport(const RenderReport& report, std::ostream& out);

}  // namespace Render
