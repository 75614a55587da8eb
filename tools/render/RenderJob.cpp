#include "tools/render/RenderJob.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "tools/render/AudioFile.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/JsonReport.h"
#include "tools/render/OutputFile.h"
#if TARN_RENDER_MASTERING
#include "tools/render/CeilingStage.h"
#include "tools/render/Loudness.h"
#include "tools/render/Plot.h"
#include "tools/render/TargetRender.h"
#endif
#include "tools/render/PresetFile.h"

namespace Render {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The calling thread's processor time where the system keeps it finely (not Windows, which counts in
// 15.6 ms ticks): the stages' costs, which wall time on a shared, busy machine would blur.
double threadSeconds()
{
#if defined(CLOCK_THREAD_CPUTIME_ID) && !defined(_WIN32)
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
#else
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
#endif
}

class WriterSink : public Sink {
public:
    explicit WriterSink(AudioWriter* writer) : writer_(writer) {}
    void take(const StereoBlock&, StereoBlock& output) override
    {
        const double start = threadSeconds();
        writer_->write(output.left, output.right, output.frames);
        seconds += threadSeconds() - start;
    }
    double seconds = 0.0;

private:
    AudioWriter* writer_;
};

// A sink calling a function (the measurements the native build adds).
class Tap : public Sink {
public:
    explicit Tap(std::function<void(const StereoBlock&, StereoBlock&)> f) : f_(std::move(f)) {}
    void take(const StereoBlock& input, StereoBlock& output) override { f_(input, output); }

private:
    std::function<void(const StereoBlock&, StereoBlock&)> f_;
};

StereoAudio shapeOf(const StereoAudio& audio)
{
    StereoAudio shape;
    shape.sampleRate = audio.sampleRate;
    shape.format = audio.format;
    shape.fileChannels = audio.fileChannels;
    return shape;
}

#if TARN_RENDER_MASTERING
std::string fileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writePlot(const JobSettings& settings, const JobFiles& files, const std::vector<PlotColumn>& columns,
               const RenderReport& r, std::string& error)
{
    float inputPeak = 0.0f, reduction = 0.0f;
    for (const PlotColumn& column : columns) {
        inputPeak = std::max({inputPeak, -column.input[0].low, column.input[0].high, -column.input[1].low,
                              column.input[1].high});
        reduction = std::max({reduction, column.reductionDb.value_or(0.0f), column.ceilingReductionDb.value_or(0.0f)});
    }
    const PlotLayout layout = planPlot(settings.plotWidth, settings.plotHeight, r.audioSeconds, inputPeak, reduction);
    std::string title = files.input.empty() ? "built-in default signal" : fileName(files.input);
    for (std::size_t i = 0; i < r.parameters.size() && i < 3; ++i)
        title += (i ? ", " : "   ") + r.parameters[i].first + " " + r.parameters[i].second;
    const std::vector<unsigned char> png = ImageFile::encodePng(drawPlot(layout, columns, r.thresholdDb, title));
    if (png.empty()) {
        error = "cannot encode the picture for " + files.plot;
        return false;
    }
    return writeWholeFile(files.plot, png, error);
}

// A lossy file is measured as it reads back, after the encoder.
bool measureReadBack(const std::string& path, LoudnessFigures& figures, double& seconds, std::string& error)
{
    const auto reader = openAudio(path, error);
    if (!reader)
        return false;
    LoudnessMeter meter(reader->shape().sampleRate, reader->shape().fileChannels, false);
    std::vector<float> left(1 << 14), right(1 << 14);
    while (const std::size_t n = reader->read(left.data(), right.data(), left.size()))
        meter.add(left.data(), right.data(), n);
    if (!reader->finish(error))
        return false;
    figures = meter.finish();
    seconds += meter.seconds();
    return true;
}
#endif

}  // namespace

bool checkOutputPath(const std::string& out, const std::string& what, const std::string& input, std::string& error)
{
    if (out.empty())
        return true;
    if (!input.empty() && sameFile(input, out)) {
        error = what + " " + out + " is the input file " + input + " itself: refused, the input is left as it is";
        return false;
    }
    OutputTarget target;
    return resolveOutput(out, target, error);
}

std::unique_ptr<PluginHost::HostedPlugin> startPlugin(PluginHost::PluginFile& pluginFile, const JobSettings& settings,
                                                   double rate, std::string& error)
{
    auto host = pluginFile.instantiate(error);
    if (!host || !host->start(rate, settings.render.blockSize, settings.render.doublePrecision, error))
        return nullptr;
    const std::pair<PresetKind, const std::string*> loads[] = {{PresetKind::bank, &settings.loadBank},
                                                               {PresetKind::program, &settings.loadProgram}};
    for (const auto& [kind, path] : loads)
        if (!path->empty() && !loadPresetFile(*host, kind, *path, error))
            return nullptr;
    for (const auto& s : settings.settings)
        if (!applySetting(*host, s, error))
            return nullptr;
    return host;
}

JobResult runJob(PluginHost::PluginFile& pluginFile, const JobSettings& settings, const JobFiles& files)
{
    const auto jobStart = Clock::now();
    JobResult result;
    RenderReport& r = result.report;
    r.truePeakWarnDbtp = settings.truePeakWarnDbtp;
    r.latencyCompensated = !settings.keepLatency;

    // Every path is checked before anything is read or written.
    const std::pair<const std::string*, const char*> outputs[] = {
        {&files.output, "the output"}, {&files.plot, "the picture"}, {&files.json, "the JSON report"}};
    for (const auto& [path, what] : outputs)
        if (!checkOutputPath(*path, what, files.input, result.error))
            return result;

    std::unique_ptr<AudioReader> reader;
    {
        const double start = threadSeconds();
        reader = files.input.empty() ? audioFromMemory(defaultSignal()) : openAudio(files.input, result.error);
        r.fileSeconds += threadSeconds() - start;
    }
    if (!reader)
        return result;
    const StereoAudio& shape = reader->shape();
    result.inputShape = shapeOf(shape);

#if TARN_RENDER_MASTERING
    // A loudness target: the threshold is searched first, with renders that write nothing.
    r.truePeakCeilingDbtp = settings.truePeakCeilingDbtp;
    r.targetLufs = settings.targetLufs;
    std::optional<JobSettings> targeted;
    if (settings.targetLufs) {
        if (settings.albumChoice) {
            r.chosen = settings.albumChoice;
        } else {
            TargetResult found;
            if (!searchTarget(pluginFile, settings, {files.input}, found, result.error))
                return result;
            r.chosen = RenderReport::Chosen{found.threshold, 1.0f, found.loudnessLufs, found.passes, found.reached};
            if (!found.reached && !settings.nearest) {
                result.error = found.reason + "; nothing written (--nearest renders the nearest instead)";
                return result;
            }
        }
        targeted = withThreshold(settings, r.chosen->threshold);
    }
    const JobSettings& use = targeted ? *targeted : settings;
#else
    const JobSettings& use = settings;
#endif

    {
        auto probe = startPlugin(pluginFile, use, shape.sampleRate, result.error);
        if (!probe)
            return result;
        r.measuredLatency = measureLatency(*probe, shape.sampleRate, 8192, settings.render);
    }
    auto host = startPlugin(pluginFile, use, shape.sampleRate, result.error);
    if (!host)
        return result;
    r.reportedLatency = host->latency();
    readParameters(*host, r);
    // Declared after the instance, so it runs before the instance goes.
    struct EndRender {
        const JobSettings& settings;
        PluginHost::HostedPlugin& host;
        ~EndRender()
        {
            if (settings.endRender)
                settings.endRender(host);
        }
    } endRender{settings, *host};
    RenderOptions options = settings.render;
    if (settings.beforeRender && !settings.beforeRender(*host, options, shape.sampleRate, result.error))
        return result;

    StereoAudio outputShape = shapeOf(shape);
    if (settings.outputFormat)
        outputShape.format = settings.outputFormat;
    result.outputShape = outputShape;
    std::unique_ptr<AudioWriter> writer;
    if (!files.output.empty()) {
        writer = createAudio(files.output, outputShape, result.error);
        if (!writer)
            return result;
    }

    PluginStage plugin(*host, options);
    std::vector<Stage*> stages = {&plugin};
#if TARN_RENDER_MASTERING
    std::unique_ptr<CeilingStage> ceiling;
    if (settings.truePeakCeilingDbtp) {
        ceiling = CeilingStage::create(shape.sampleRate, *settings.truePeakCeilingDbtp,
                                       quantizationStep(outputShape.format), plugin.latency(), result.error);
        if (!ceiling)
            return result;
        stages.push_back(ceiling.get());
    }
#endif
    FileRounding rounding(outputShape);
    LevelMeter levels;
    std::vector<Sink*> sinks = {&rounding, &levels};
    ChainOptions chain;
    chain.blockSize = static_cast<std::size_t>(std::max(options.blockSize, 1));
    chain.compensateLatency = !settings.keepLatency;
#if TARN_RENDER_MASTERING
    const bool readBack = isLossy(outputShape.format) && writer && settings.measureLoudness;
    std::optional<LoudnessMeter> inputLoudness, outputLoudness;
    if (settings.measureLoudness) {
        inputLoudness.emplace(shape.sampleRate, shape.fileChannels, true);
        if (!readBack)
            outputLoudness.emplace(outputShape.sampleRate, outputShape.fileChannels, true);
    }
    std::optional<ColumnGatherer> columns;
    // The ceiling's gains reach the picture beside the output frames they made.
    Tap ceilingGains([&](const StereoBlock&, StereoBlock& out) { columns->setCeilingGains(ceiling->nextGains(out.frames)); });
    if (!files.plot.empty()) {
        columns.emplace(planPlot(settings.plotWidth, settings.plotHeight, 1.0, 1.0, 0.0).columns());
        if (ceiling) {
            const int latency = plugin.latency() + ceiling->latency();
            ceiling->keepGains(chain.compensateLatency ? static_cast<std::size_t>(latency) : 0u);
            sinks.push_back(&ceilingGains);
        }
        sinks.push_back(&*columns);
    }
    Tap outputMeasure([&outputLoudness](const StereoBlock&, StereoBlock& out) {
        if (outputLoudness)
            outputLoudness->add(out.left, out.right, out.frames);
    });
    sinks.push_back(&outputMeasure);
    chain.inputTap = [&](const StereoBlock& in) {
        levels.addInput(in);
        if (inputLoudness)
            inputLoudness->add(in.left, in.right, in.frames);
    };
#else
    chain.inputTap = [&levels](const StereoBlock& in) { levels.addInput(in); };
#endif
    WriterSink writing(writer.get());
    if (writer)
        sinks.push_back(&writing);
    if (settings.progress && reader->announcedFrames() > 0)
        chain.progress = settings.progress(static_cast<std::size_t>(reader->announcedFrames()), shape.sampleRate);

    const double renderStart = threadSeconds();
    const ChainResult done = runChain(*reader, stages, sinks, chain);
    r.seconds = threadSeconds() - renderStart - writing.seconds;
    r.fileSeconds += writing.seconds;
    result.frames = done.inputFrames;
    r.audioSeconds = static_cast<double>(done.inputFrames) / shape.sampleRate;
    if (!reader->finish(result.error))
        return result;  // the writer, never closed, leaves nothing
    levels.report(r);
#if TARN_RENDER_MASTERING
    if (ceiling)
        r.ceilingReductionDb = ceiling->largestReductionDb();
#endif

    if (writer) {
        const double start = threadSeconds();
        if (!writer->close(result.error))
            return result;
        r.fileSeconds += threadSeconds() - start;
    }
#if TARN_RENDER_MASTERING
    if (columns) {
        const double start = threadSeconds();
        if (!writePlot(settings, files, columns->columns(), r, result.error))
            return result;
        r.plottingSeconds = threadSeconds() - start;
    }
    if (inputLoudness) {
        r.inputLoudness = inputLoudness->finish();
        r.measuringSeconds += inputLoudness->seconds();
    }
    if (outputLoudness) {
        r.outputLoudness = outputLoudness->finish();
        r.measuringSeconds += outputLoudness->seconds();
    } else if (readBack) {
        LoudnessFigures figures;
        if (!measureReadBack(files.output, figures, r.measuringSeconds, result.error))
            return result;
        r.outputLoudness = figures;
    }
#endif
    if (settings.afterRender && !settings.afterRender(*host, options, shape.sampleRate, result.error))
        return result;
    r.totalSeconds = secondsSince(jobStart);
#if TARN_RENDER_MASTERING
    if (!files.json.empty() && !writeJsonReport(files.json, settings, files, result, result.error))
        return result;
#endif
    return result;
}

}  // namespace Render
