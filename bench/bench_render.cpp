// tarn-render's whole job on a 5-minute stereo 44.1 kHz file: read, limited by the built plug-in,
// written as 24-bit FLAC, measured (loudness and true peak of input and output) and drawn; and the
// same job bare (no loudness, no picture, no JSON), so the elapsed times show what the measurements
// and the picture add. The counters split the processor time: the plug-in's own share against the
// measurements' and the picture's.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "tools/render/AudioFile.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/RenderJob.h"

namespace {

void RenderFiveMinutesToFlac(benchmark::State& state)
{
    const bool full = state.range(0) != 0;
    VstHost::PluginLibrary library;
    if (!library.load(VstHost::programFolder() + "../Tarn.so")) {
        state.SkipWithError(library.error().c_str());
        return;
    }
    const std::string folder = VstHost::programFolder();
    Render::JobFiles files{folder + "bench-render-in.wav", folder + "bench-render-out.flac", "", ""};
    if (full) {
        files.plot = folder + "bench-render.png";
        files.json = folder + "bench-render.json";
    }
    {
        Render::StereoAudio input = Render::defaultSignal(44100.0, 300.0);
        input.format = Render::FileFormat::wav | Render::FileFormat::pcm24;
        Render::roundAsWritten(input);
        std::string error;
        if (!Render::writeAudio(files.input, input, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    Render::JobSettings settings;
    settings.settings.push_back({"thresh.", "-6dB"});
    settings.outputFormat = Render::FileFormat::flac | Render::FileFormat::pcm24;
    settings.measureLoudness = full;
    Render::RenderReport report;
    for (auto _ : state) {
        const Render::JobResult result = Render::runJob(library, settings, files);
        if (!result.error.empty()) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        report = result.report;
    }
    for (const std::string& path : {files.input, files.output, files.plot, files.json})
        if (!path.empty())
            std::remove(path.c_str());
    state.counters["plugin_s"] = report.seconds;
    state.counters["measuring_s"] = report.measuringSeconds;
    state.counters["picture_s"] = report.plottingSeconds;
    state.counters["files_s"] = report.fileSeconds;
    state.counters["elapsed_s"] = report.totalSeconds;
    // The goal: below 1, the measurements and the picture cost less than the limiter itself.
    state.counters["extras/plugin"] = (report.measuringSeconds + report.plottingSeconds) / report.seconds;
}

}  // namespace

BENCHMARK(RenderFiveMinutesToFlac)->ArgName("full")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
