#include "tools/render/RenderJob.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <future>

#include "tools/render/AudioFile.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/JsonReport.h"
#if TARN_RENDER_MASTERING
#include "tools/render/Plot.h"
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

StereoAudio shapeOf(const StereoAudio& audio)
{
    StereoAudio shape;
    shape.sampleRate = audio.sampleRate;
    shape.format = audio.format;
    shape.fileChannels = audio.fileChannels;
    return shape;
}

#if TARN_RENDER_MASTERING
// Loudness on a thread of its own, off the render's way; the time it took is kept with it.
std::future<std::pair<LoudnessFigures, double>> measureAside(const StereoAudio& audio, bool wanted)
{
    if (!wanted) {
        std::promise<std::pair<LoudnessFigures, double>> nothing;
        nothing.set_value({});
        return nothing.get_future();
    }
    return std::async(std::launch::async, [&audio] {
        const double start = threadSeconds();
        LoudnessFigures figures = measureLoudness(audio);
        return std::make_pair(figures, threadSeconds() - start);
    });
}

std::string fileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writePlot(const JobSettings& settings, const JobFiles& files, const StereoAudio& input,
               const StereoAudio& output, const RenderReport& r, std::string& error)
{
    PlotLayout layout = planPlot(settings.plotWidth, settings.plotHeight, r.audioSeconds, 1.0, 0.0);
    const std::vector<PlotColumn> columns = plotColumns(input, output, r.reportedLatency, layout.columns());
    float inputPeak = 0.0f, reduction = 0.0f;
    for (const PlotColumn& column : columns) {
        inputPeak = std::max({inputPeak, -column.input[0].low, column.input[0].high, -column.input[1].low,
                              column.input[1].high});
        reduction = std::max(reduction, column.reductionDb.value_or(0.0f));
    }
    layout = planPlot(settings.plotWidth, settings.plotHeight, r.audioSeconds, inputPeak, reduction);
    std::string title = files.input.empty() ? "built-in default signal" : fileName(files.input);
    for (std::size_t i = 0; i < r.parameters.size() && i < 3; ++i)
        title += (i ? ", " : "   ") + r.parameters[i].first + " " + r.parameters[i].second;
    const std::vector<unsigned char> png = ImageFile::encodePng(drawPlot(layout, columns, r.thresholdDb, title));
    if (png.empty() || !ImageFile::writeFile(files.plot, png)) {
        error = "cannot write " + files.plot;
        return false;
    }
    return true;
}
#endif

}  // namespace

std::unique_ptr<VstHost::HostedEffect> startPlugin(VstHost::PluginLibrary& library, const JobSettings& settings,
                                                   double rate, std::string& error)
{
    auto host = VstHost::HostedEffect::create(library.entry());
    if (!host) {
        error = "the plug-in created no effect";
        return nullptr;
    }
    host->start(static_cast<float>(rate), settings.render.blockSize);
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

JobResult runJob(VstHost::PluginLibrary& library, const JobSettings& settings, const JobFiles& files)
{
    const auto jobStart = Clock::now();
    JobResult result;
    RenderReport& r = result.report;
    r.truePeakWarnDbtp = settings.truePeakWarnDbtp;

    StereoAudio input;
    if (files.input.empty()) {
        input = defaultSignal();
    } else {
        const double start = threadSeconds();
        if (!readAudio(files.input, input, result.error))
            return result;
        r.fileSeconds += threadSeconds() - start;
    }
    result.inputShape = shapeOf(input);
    result.frames = input.frames();
    r.audioSeconds = input.frames() / input.sampleRate;

    {
        auto probe = startPlugin(library, settings, input.sampleRate, result.error);
        if (!probe)
            return result;
        r.measuredLatency = measureLatency(*probe, input.sampleRate, 8192, settings.render);
    }
    auto host = startPlugin(library, settings, input.sampleRate, result.error);
    if (!host)
        return result;
    r.reportedLatency = host->effect()->initialDelay;
    readParameters(*host, r);
    // Declared after the instance, so it runs before the instance goes.
    struct EndRender {
        const JobSettings& settings;
        VstHost::HostedEffect& host;
        ~EndRender()
        {
            if (settings.endRender)
                settings.endRender(host);
        }
    } endRender{settings, *host};
    RenderOptions options = settings.render;
    if (settings.beforeRender && !settings.beforeRender(*host, options, input.sampleRate, result.error))
        return result;

#if TARN_RENDER_MASTERING
    auto inputLoudness = measureAside(input, settings.measureLoudness);
#endif
    const double renderStart = threadSeconds();
    const Progress progress = settings.progress ? settings.progress(input.frames(), input.sampleRate) : Progress{};
    StereoAudio output = renderThrough(*host, input, options, progress);
    r.seconds = threadSeconds() - renderStart;

    // From here on the output is what the file holds, and that is what gets measured.
    const double levelsStart = threadSeconds();
    if (settings.outputFormat)
        output.format = settings.outputFormat;
    roundAsWritten(output);
    result.outputShape = shapeOf(output);
    measureLevels(input, output, r.reportedLatency, r);
    r.measuringSeconds += threadSeconds() - levelsStart;
#if TARN_RENDER_MASTERING
    // A lossy file is measured as it reads back, after the encoder; anything else as it is handed over.
    const bool readBack = isLossy(output.format) && !files.output.empty() && settings.measureLoudness;
    StereoAudio decoded;
    auto outputLoudness = measureAside(output, settings.measureLoudness && !readBack);
#endif

    if (!files.output.empty()) {
        const double start = threadSeconds();
        if (!writeAudio(files.output, output, result.error))
            return result;
#if TARN_RENDER_MASTERING
        if (readBack) {
            if (!readAudio(files.output, decoded, result.error))
                return result;
            outputLoudness = measureAside(decoded, true);
        }
#endif
        r.fileSeconds += threadSeconds() - start;
    }
#if TARN_RENDER_MASTERING
    if (!files.plot.empty()) {
        const double start = threadSeconds();
        if (!writePlot(settings, files, input, output, r, result.error))
            return result;
        r.plottingSeconds = threadSeconds() - start;
    }
    for (auto* measured : {&inputLoudness, &outputLoudness}) {
        const auto [figures, seconds] = measured->get();
        if (settings.measureLoudness)
            (measured == &inputLoudness ? r.inputLoudness : r.outputLoudness) = figures;
        r.measuringSeconds += seconds;
    }
#endif
    if (settings.afterRender && !settings.afterRender(*host, options, input.sampleRate, result.error))
        return result;
    r.totalSeconds = secondsSince(jobStart);
#if TARN_RENDER_MASTERING
    if (!files.json.empty() && !writeJsonReport(files.json, settings, files, result, result.error))
        return result;
#endif
    return result;
}

}  // namespace Render
