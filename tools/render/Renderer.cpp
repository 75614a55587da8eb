#include "tools/render/Renderer.h"

#include "tools/render/ParameterSetting.h"

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

}  // namespace

PluginStage::PluginStage(PluginHost::HostedPlugin& host, const RenderOptions& options)
    : host_(host), options_(options), nextCue_(options.midi.begin())
{
    const std::size_t block = static_cast<std::size_t>(std::max(options.blockSize, 1));
    (options.doublePrecision ? doubles_.resize(4 * block) : floats_.resize(4 * block));
}

int PluginStage::latency() const { return host_.latency(); }

void PluginStage::process(StereoBlock& block)
{
    if (options_.doublePrecision)
        processAs(block, doubles_);
    else
        processAs(block, floats_);
}

template <typename Sample>
void PluginStage::processAs(StereoBlock& block, std::vector<Sample>& buffers)
{
    const std::size_t capacity = buffers.size() / 4;
    for (std::size_t done = 0; done < block.frames;) {
        const std::size_t n = std::min(capacity, block.frames - done);
        Sample* in[2] = {buffers.data(), buffers.data() + capacity};
        Sample* out[2] = {buffers.data() + 2 * capacity, buffers.data() + 3 * capacity};
        std::copy_n(block.left + done, n, in[0]);
        std::copy_n(block.right + done, n, in[1]);
        events_.clear();
        const auto end = static_cast<std::int64_t>(at_ + n);
        for (; nextCue_ != options_.midi.end() && nextCue_->frame < end; ++nextCue_) {
            PluginHost::MidiAt m;
            m.frame = static_cast<std::uint32_t>(std::max<std::int64_t>(nextCue_->frame - static_cast<std::int64_t>(at_), 0));
            m.bytes[0] = static_cast<unsigned char>(nextCue_->status);
            m.bytes[1] = static_cast<unsigned char>(nextCue_->data1);
            m.bytes[2] = static_cast<unsigned char>(nextCue_->data2);
            events_.push_back(m);
        }
        host_.process(in, out, static_cast<int>(n), events_);
        for (std::size_t i = 0; i < n; ++i) {
            block.left[done + i] = static_cast<float>(out[0][i]);
            block.right[done + i] = static_cast<float>(out[1][i]);
        }
        done += n;
        at_ += n;
        if (options_.afterBlock)
            options_.afterBlock(at_);
    }
}

namespace {

// Gathers every output block whole.
class Collector : public Sink {
public:
    explicit Collector(StereoAudio& audio) : audio_(audio) {}
    void take(const StereoBlock&, StereoBlock& output) override
    {
        audio_.left.insert(audio_.left.end(), output.left, output.left + output.frames);
        audio_.right.insert(audio_.right.end(), output.right, output.right + output.frames);
    }

private:
    StereoAudio& audio_;
};

}  // namespace

StereoAudio renderThrough(PluginHost::HostedPlugin& host, const StereoAudio& input, const RenderOptions& options,
                          const Progress& progress)
{
    StereoAudio output;
    output.sampleRate = input.sampleRate;
    output.format = input.format;
    output.fileChannels = input.fileChannels;
    output.left.reserve(input.frames());
    output.right.reserve(input.frames());
    const auto reader = audioFromMemory(input);
    PluginStage plugin(host, options);
    Collector collector(output);
    ChainOptions chain;
    chain.blockSize = static_cast<std::size_t>(std::max(options.blockSize, 1));
    chain.compensateLatency = false;
    chain.progress = progress;
    runChain(*reader, {&plugin}, {&collector}, chain);
    return output;
}

int measureLatency(PluginHost::HostedPlugin& host, double sampleRate, int maxFrames, const RenderOptions& options)
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

void FileRounding::take(const StereoBlock&, StereoBlock& output)
{
    block_.left.assign(output.left, output.left + output.frames);
    block_.right.assign(output.right, output.right + output.frames);
    roundAsWritten(block_);
    std::copy(block_.left.begin(), block_.left.end(), output.left);
    std::copy(block_.right.begin(), block_.right.end(), output.right);
}

void LevelMeter::addInput(const StereoBlock& input)
{
    float peak = inPeak_;
    long long odd = 0;
    for (const float* channel : {input.left, input.right})
        for (std::size_t i = 0; i < input.frames; ++i) {
            const bool finite = std::isfinite(channel[i]);
            odd += !finite;
            peak = std::max(peak, finite ? std::fabs(channel[i]) : 0.0f);
        }
    inPeak_ = peak;
    nonFinite_ += odd;
}

void LevelMeter::take(const StereoBlock& input, StereoBlock& output)
{
    // Plain loops over floats without branches, which the compiler turns into vector code.
    const float *inL = input.left, *inR = input.right, *outL = output.left, *outR = output.right;
    float outPeak = outPeak_, ratio = ratio_;
    long long above = 0;
    for (std::size_t i = 0; i < output.frames; ++i) {
        const float l = std::fabs(outL[i]), r = std::fabs(outR[i]);
        outPeak = std::max(outPeak, std::max(l, r));
        above += (l > static_cast<float>(fullScaleWithDither)) + (r > static_cast<float>(fullScaleWithDither));
        const float in = std::max(std::fabs(inL[i]), std::fabs(inR[i]));
        const float out = std::max(l, r);
        const bool telling = in > static_cast<float>(reductionFloor) && in < INFINITY && out > 0.0f;
        ratio = std::max(ratio, telling ? in / std::max(out, 1e-30f) : 1.0f);
    }
    outPeak_ = outPeak;
    ratio_ = ratio;
    above_ += above;
}

void LevelMeter::report(RenderReport& report) const
{
    report.inputPeakDb = toDb(inPeak_);
    report.outputPeakDb = toDb(outPeak_);
    report.largestReductionDb = toDb(ratio_);
    report.samplesAboveFullScale = above_;
    report.nonFiniteInputSamples = nonFinite_;
}

void measureLevels(const StereoAudio& input, const StereoAudio& output, int latency, RenderReport& report)
{
    LevelMeter meter;
    StereoAudio in = input, out = output;
    meter.addInput({in.left.data(), in.right.data(), in.frames()});
    const std::size_t frames = std::min(in.frames(), out.frames());
    const std::size_t delay = std::min(static_cast<std::size_t>(std::max(latency, 0)), frames);
    // The input the output came from: `delay` frames earlier, silence before the start.
    in.left.insert(in.left.begin(), delay, 0.0f);
    in.right.insert(in.right.begin(), delay, 0.0f);
    StereoBlock pairedOut{out.left.data(), out.right.data(), frames};
    meter.take({in.left.data(), in.right.data(), frames}, pairedOut);
    meter.report(report);
}

void readParameters(PluginHost::HostedPlugin& host, RenderReport& report)
{
    report.parameters.clear();
    report.thresholdDb.reset();
    for (int i = 0; i < host.parameterCount(); ++i) {
        const std::string name = host.parameterName(i);
        const std::string display = host.parameterDisplay(i);
        const std::string label = host.parameterLabel(i);
        report.parameters.emplace_back(name, label.empty() ? display : display + " " + label);
        char* end = nullptr;
        const double value = std::strtod(display.c_str(), &end);
        if (i == findParameterIndex(host, "thresh.") && label == "dB" && end != display.c_str())
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
            << " dBTP: its inter-sample peaks will clip after conversion (lower thresh. by the excess, or render with "
               "--true-peak "
            << r.truePeakWarnDbtp << ")\n";
}

// What the mastering options did: the target's search and the ceiling stage.
void printMastering(const RenderReport& r, std::ostream& out)
{
    out << std::fixed << std::setprecision(1);
    if (r.targetLufs && r.chosen) {
        std::string shown;
        for (const auto& [name, text] : r.parameters)
            if (namesParameter(name, "thresh.") || namesParameter(name, "makeup"))
                shown += (shown.empty() ? "" : ", ") + name + " " + text;
        out << "loudness target:       " << *r.targetLufs << " LUFS: " << shown << " give " << r.chosen->loudnessLufs
            << " LUFS (" << r.chosen->passes << " renders to find"
            << (r.chosen->reached ? ")\n" : "; the nearest, as --nearest asked)\n");
    }
    if (r.truePeakCeilingDbtp)
        out << "true-peak ceiling:     " << *r.truePeakCeilingDbtp << " dBTP, largest reduction by the ceiling stage "
            << std::setprecision(2) << r.ceilingReductionDb.value_or(0.0) << " dB\n";
}

}  // namespace

void printReport(const RenderReport& r, std::ostream& out)
{
    out << std::fixed << std::setprecision(2);
    out << "latency:               " << r.reportedLatency << " samples reported, ";
    if (r.measuredLatency >= 0)
        out << r.measuredLatency << " measured; ";
    else
        out << "not measurable; ";
    out << (r.latencyCompensated ? "compensated (the output lines up with the input)\n"
                                 : "kept (--keep-latency: the output trails the input)\n");
    if (r.nonFiniteInputSamples > 0)
        out << "warning: the input holds " << r.nonFiniteInputSamples
            << " non-finite samples (NaN or infinity): they were measured as silence and handed to the plug-in as read\n";
    printMastering(r, out);
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
