// tarn-render's whole job on a 5-minute stereo 44.1 kHz file: read, limited by the built plug-in,
// written as 24-bit FLAC, measured (loudness and true peak of input and output) and drawn; and the
// same job bare (no loudness, no picture, no JSON), so the elapsed times show what the measurements
// and the picture add. The counters split the processor time: the plug-in's own share against the
// measurements' and the picture's. And the peak memory of tarn-render rendering a 2-hour stereo file
// against a 10-second one: the render streams, so the two stay within a few megabytes (goal: under
// 64 MB whatever the length).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/AudioFile.h"
#include "tools/render/DefaultSignal.h"
#include "tools/pluginhost/HostedPlugin.h"
#include "tools/render/RenderJob.h"
#include "tools/vsthost/PluginLibrary.h"

namespace {

void RenderFiveMinutesToFlac(benchmark::State& state)
{
    const bool full = state.range(0) != 0;
    std::string loadError;
    const auto plugin = PluginHost::openPluginFile(VstHost::programFolder() + "../Tarn.so", loadError);
    if (!plugin) {
        state.SkipWithError(loadError.c_str());
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
        const Render::JobResult result = Render::runJob(*plugin, settings, files);
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

// A long file written block by block (the default signal over and over), never whole in memory.
bool writeLongFile(const std::string& path, double rate, double seconds, std::string& error)
{
    Render::StereoAudio pattern = Render::defaultSignal(rate, 8.0);
    pattern.format = Render::FileFormat::wav | Render::FileFormat::pcm16;
    Render::roundAsWritten(pattern);
    const auto writer = Render::createAudio(path, pattern, error);
    if (!writer)
        return false;
    for (double done = 0.0; done < seconds; done += 8.0)
        writer->write(pattern.left.data(), pattern.right.data(), pattern.frames());
    return writer->close(error);
}

// tarn-render's peak resident memory in MB rendering IN to OUT with loudness, picture and JSON; -1
// when it failed.
double peakMegabytes(const std::string& input, const std::string& output, const std::string& folder)
{
    const std::string program = folder + "../tarn-render";
    const std::string plot = folder + "bench-long.png", json = folder + "bench-long.json";
    std::vector<std::string> args = {program, "--plot", plot, "--json", json, "--set", "thresh.=-6dB", input, output};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1.0;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1.0;
    for (const std::string& path : {output, plot, json})
        std::remove(path.c_str());
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

void RenderTwoHoursPeakMemory(benchmark::State& state)
{
    const std::string folder = VstHost::programFolder();
    const std::string shortFile = folder + "bench-10s.wav", longFile = folder + "bench-2h.wav";
    std::string error;
    // 8 kHz keeps the 2-hour file at 230 MB on disk; the memory a whole-file render took grew the same.
    if (!writeLongFile(shortFile, 8000.0, 10.0, error) || !writeLongFile(longFile, 8000.0, 7200.0, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    double shortPeak = 0.0, longPeak = 0.0;
    for (auto _ : state) {
        shortPeak = peakMegabytes(shortFile, folder + "bench-10s-out.flac", folder);
        longPeak = peakMegabytes(longFile, folder + "bench-2h-out.flac", folder);
    }
    std::remove(shortFile.c_str());
    std::remove(longFile.c_str());
    if (shortPeak < 0.0 || longPeak < 0.0) {
        state.SkipWithError("tarn-render failed");
        return;
    }
    state.counters["peak_mb_10s"] = shortPeak;
    state.counters["peak_mb_2h"] = longPeak;
    state.counters["goal_mb"] = 64.0;
}

}  // namespace

BENCHMARK(RenderTwoHoursPeakMemory)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(RenderFiveMinutesToFlac)->ArgName("full")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
