// One file (or the built-in default signal) from start to end, streamed through the chain (read,
// rendered through a fresh instance of the plug-in, measured, written, drawn) after a second instance
// has measured the latency. Nothing is written over an input, and every file is whole or absent. Loudness, the picture and the JSON report belong to the
// native build (libsndfile and libebur128 have no Windows builds here).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/ParameterSetting.h"
#include "tools/render/Renderer.h"
#include "tools/pluginhost/HostedPlugin.h"

namespace Render {

// What every file of a run shares.
struct JobSettings {
    std::string pluginPath;
    std::vector<ParameterSetting> settings;
    RenderOptions render;
    bool keepLatency = false;  // the output trails the input by the latency, as a host plays it
    std::string loadBank, loadProgram;
    int outputFormat = 0;  // 0: the input's
    double truePeakWarnDbtp = 0.0;
    int plotWidth = 1200, plotHeight = 500;  // at most maxPlotSide each
    bool measureLoudness = true;  // off only to time a render without it
    // Mastering (native build): a true-peak ceiling after the plug-in, in dBTP; a loudness target the
    // threshold is searched for (make-up 100 %); with `nearest`, a target out of reach renders at the
    // nearest loudness instead of failing; `album`: with several files, one threshold for all, chosen
    // from their loudness together (`albumChoice` once it is).
    std::optional<double> truePeakCeilingDbtp, targetLufs;
    bool nearest = false, album = false;
    std::optional<RenderReport::Chosen> albumChoice;
    // Makes the progress display for audio of so many frames at a rate (or none).
    std::function<Progress(std::size_t frames, double sampleRate)> progress;
    // Around the render, with the started instance (the editor's pictures, saved presets); false with
    // a reason stops the job.
    using Hook = std::function<bool(PluginHost::HostedPlugin&, RenderOptions&, double sampleRate, std::string& error)>;
    Hook beforeRender, afterRender;
    // Called once the instance that beforeRender saw is done with, on every way out of the job.
    std::function<void(PluginHost::HostedPlugin&)> endRender;
};

constexpr int maxPlotSide = 16384;

struct JobFiles {
    std::string input;  // empty: the default signal
    std::string output, plot, json;  // empty: none
};

struct JobResult {
    std::string error;  // empty when everything was written
    StereoAudio inputShape, outputShape;  // format, channels and rate; no samples
    std::size_t frames = 0;
    RenderReport report;
};

// A started instance of the plug-in with the bank, program and settings applied; null with a reason.
std::unique_ptr<PluginHost::HostedPlugin> startPlugin(PluginHost::PluginFile& pluginFile, const JobSettings& settings,
                                                   double rate, std::string& error);

// False with a message when `out` is the input itself (however spelt) or cannot be written to (a
// directory); `what` names it ("the output", "the picture").
bool checkOutputPath(const std::string& out, const std::string& what, const std::string& input, std::string& error);

JobResult runJob(PluginHost::PluginFile& pluginFile, const JobSettings& settings, const JobFiles& files);

}  // namespace Render
