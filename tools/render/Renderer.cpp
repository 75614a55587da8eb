#include "tools/render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace Render {

namespace {

// The dither adds at most 2^-14 (16 bits); anything beyond full scale plus that was not clipped.
constexpr double fullScaleWithDither = 1.0 + 1.0 / 16384.0;
// Below this the input is too quiet for its gain change to be told from the dither.
constexpr double reductionFloor = 1e-3;

double toDb(double level) { return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY; }

template <typename Sample>
void renderBlocks(VstHost::HostedEffect& host, const StereoAudio& input, StereoAudio& output, int blockSize,
                  const RenderOptions& options, const Progress& progress)
{
    const std::vector<MidiCue>& midi = options.midi;
    auto nextCue = midi.begin();
    std::vector<VstMidiEvent> events;
    std::vector<Sample> inL(blockSize), inR(blockSize), outL(blockSize), outR(blockSize);
    Sample* in[2] = {inL.data(), inR.data()};
    Sample* out[2] = {outL.data(), outR.data()};
    const std::size_t total = input.frames();
    std::size_t reported = 0;
    for (std::size_t at = 0; at < total; at += blockSize) {
        const int n = static_cast<int>(std::min<std::size_t>(blockSize, total - at));
        std::copy_n(input.left.begin() + at, n, inL.begin());
        std::copy_n(input.right.begin() + at, n, inR.begin());
        events.clear();
        for (; nextCue != midi.end() && nextCue->frame < static_cast<std::int64_t>(at + n); ++nextCue)
            events.push_back(VstHost::HostedEffect::midiEvent(static_cast<VstInt32>(nextCue->frame - static_cast<std::int64_t>(at)),
                                                              nextCue->status, nextCue->data1, nextCue->data2));
        if (!events.empty())
            host.sendMidi(events);
        if constexpr (sizeof(Sample) == sizeof(double))
            host.processDoubleReplacing(in, out, n);
        else
            host.processReplacing(in, out, n);
        for (int i = 0; i < n; ++i) {
            output.left[at + i] = static_cast<float>(outL[i]);
            output.right[at + i] = static_cast<float>(outR[i]);
        }
        if (options.afterBlock)
            options.afterBlock(at + n);
        if (progress && at - reported >= total / 50) {
            reported = at;
            progress(static_cast<double>(at) / total);
        }
    }
    if (progress)
        progress(1.0);
}

}  // namespace

StereoAudio renderThrough(VstHost::HostedEffect& host, const StereoAudio& input, const RenderOptions& options,
                          const Progress& progress)
{
    StereoAudio output;
    output.sampleRate = input.sampleRate;
    output.format = input.format;
    output.fileChannels = input.fileChannels;
    output.left.resize(input.frames());
    output.right.resize(input.frames());
    if (options.doublePrecision)
        renderBlocks<double>(host, input, output, options.blockSize, options, progress);
    else
        renderBlocks<float>(host, input, output, options.blockSize, options, progress);
    return output;
}

int measureLatency(VstHost::HostedEffect& host, double sampleRate, int maxFrames, const RenderOptions& options)
{
    StereoAudio probe;
    probe.sampleRate = sampleRate;
    probe.left.assign(maxFrames, 0.0f);
    probe.right.assign(maxFrames, 0.0f);
    probe.left[0] = probe.right[0] = 0.01f;  // -40 dBFS, below any threshold
    RenderOptions quiet = options;
    quiet.midi.clear();  // the impulse alone
    quiet.afterBlock = nullptr;
    const StereoAudio out = renderThrough(host, probe, quiet);
    int best = -1;
    float bestLevel = 0.001f;  // well above the dither
    for (int i = 0; i < maxFrames; ++i) {
        const float level = std::max(std::fabs(out.left[i]), std::fabs(out.right[i]));
        if (level > bestLevel) {
            bestLevel = level;
            best = i;
        }
    }
    return best;
}

void measureLevels(const StereoAudio& input, const StereoAudio& output, int latency, RenderReport& report)
{
    // Plain loops over floats without branches, which the compiler turns into vector code.
    const std::size_t frames = std::min(input.frames(), output.frames());
    const float *inL = input.left.data(), *inR = input.right.data();
    const float *outL = output.left.data(), *outR = output.right.data();
    float inPeak = 0.0f, outPeak = 0.0f;
    long long above = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        inPeak = std::max(inPeak, std::max(std::fabs(inL[i]), std::fabs(inR[i])));
        const float l = std::fabs(outL[i]), r = std::fabs(outR[i]);
        outPeak = std::max(outPeak, std::max(l, r));
        above += (l > static_cast<float>(fullScaleWithDither)) + (r > static_cast<float>(fullScaleWithDither));
    }
    float ratio = 1.0f;  // the largest input level over the output level it became
    const std::size_t delay = latency >= 0 ? static_cast<std::size_t>(latency) : frames;
    for (std::size_t i = delay; i < frames; ++i) {
        const float in = std::max(std::fabs(inL[i - delay]), std::fabs(inR[i - delay]));
        const float out = std::max(std::fabs(outL[i]), std::fabs(outR[i]));
        const bool telling = in > static_cast<float>(reductionFloor) && out > 0.0f;
        ratio = std::max(ratio, telling ? in / std::max(out, 1e-30f) : 1.0f);
    }
    report.inputPeakDb = toDb(inPeak);
    report.outputPeakDb = toDb(outPeak);
    report.largestReductionDb = toDb(ratio);
    report.samplesAboveFullScale = above;
}

void readParameters(VstHost::HostedEffect& host, RenderReport& report)
{
    report.parameters.clear();
    report.thresholdDb.reset();
    for (VstInt32 i = 0; i < host.effect()->numParams; ++i) {
        const std::string name = host.parameterText(effGetParamName, i);
        const std::string display = host.parameterText(effGetParamDisplay, i);
        const std::string label = host.parameterText(effGetParamLabel, i);
        report.parameters.emplace_back(name, label.empty() ? display : display + " " + label);
        char* end = nullptr;
        const double value = std::strtod(display.c_str(), &end);
        if (name == "thresh." && label == "dB" && end != display.c_str())
            report.thresholdDb = value;
    }
}

namespace {

void printFigure(std::ostream& out, const std::optional<double>& value, const char* unit)
{
    std::ostringstream cell;
    cell << std::fixed << std::setprecision(1);
    if (value)
        cell << *value << " " << unit;
    else
        cell << "-";
    out << std::left << std::setw(14) << cell.str() << std::right;
}

void printLoudness(const RenderReport& r, std::ostream& out)
{
    const LoudnessFigures& in = *r.inputLoudness;
    const LoudnessFigures& o = *r.outputLoudness;
    const std::pair<const char*, std::optional<double> LoudnessFigures::*> rows[] = {
        {"integrated loudness:   ", &LoudnessFigures::integratedLufs},
        {"loudness range:        ", &LoudnessFigures::loudnessRangeLu},
        {"true peak:             ", &LoudnessFigures::truePeakDbtp},
        {"sample peak:           ", &LoudnessFigures::samplePeakDbfs}};
    const char* units[] = {"LUFS", "LU", "dBTP", "dBFS"};
    out << "                       input         output\n";
    for (int i = 0; i < 4; ++i) {
        out << rows[i].first;
        printFigure(out, in.*rows[i].second, units[i]);
        printFigure(out, o.*rows[i].second, units[i]);
        out << "\n";
    }
    if (r.truePeakOver())
        out << "warning: the output's true peak, " << std::fixed << std::setprecision(1) << *o.truePeakDbtp
            << " dBTP, is above " << r.truePeakWarnDbtp
            << " dBTP: its inter-sample peaks will clip after conversion (lower the threshold or the ceiling)\n";
}

}  // namespace

void printReport(const RenderReport& r, std::ostream& out)
{
    out << std::fixed << std::setprecision(2);
    out << "latency:               " << r.reportedLatency << " samples reported, ";
    if (r.measuredLatency >= 0)
        out << r.measuredLatency << " measured\n";
    else
        out << "not measurable\n";
    if (r.inputLoudness && r.outputLoudness) {
        printLoudness(r, out);
    } else {
        out << "input peak:            " << r.inputPeakDb << " dBFS\n"
            << "output peak:           " << r.outputPeakDb << " dBFS\n";
    }
    out << std::fixed << std::setprecision(2)
        << "largest gain reduction: " << r.largestReductionDb << " dB (output against the input it came from)\n"
        << "samples over full scale: " << r.samplesAboveFullScale << " (beyond the dither's reach; must be 0)\n"
        << "time:                  " << std::setprecision(3) << r.seconds << " s in the plug-in for " << r.audioSeconds
        << " s of audio (" << std::setprecision(0) << (r.seconds > 0 ? r.audioSeconds / r.seconds : 0.0)
        << "x real time)";
    if (r.inputLoudness)
        out << "; measuring " << std::setprecision(3) << r.measuringSeconds << " s, picture " << r.plottingSeconds
            << " s, files " << r.fileSeconds << " s (processor time); " << r.totalSeconds << " s elapsed in all";
    out << "\n";
}

}  // namespace Render
