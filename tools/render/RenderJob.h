// One file (or the built-in default signal) from start to end: read, rendered through fresh instances
// of the plug-in, measured, written, drawn. Loudness, the picture and the JSON report belong to the
// native build (libsndfile and libebur128 have no Windows builds here).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/render/ParameterSetting.h"
#include "tools/render/Renderer.h"
#include "tools/vsthost/PluginLibrary.h"

namespace Render {

// What every file of a run shares.
struct JobSettings {
    std::string pluginPath;
    std::vector<ParameterSetting> settings;
    RenderOptions render;
    std::string loadBank, loadProgram;
    int outputFormat = 0;  // 0: the input's
    double truePeakWarnDbtp = 0.0;
    int plotWidth = 1200, plotHeight = 500;
    bool measureLoudness = true;  // off only to time a render without it
    // Makes the progress display for audio of so many frames at a rate (or none).
    std::function<Progress(std::size_t frames, double sampleRate)> progress;
    // Around the render, with the started instance (the editor's pictures, saved presets); false with
    // a reason stops the job.
    using Hook = std::function<bool(VstHost::HostedEffect&, RenderOptions&, double sampleRate, std::string& error)>;
    Hook beforeRender, afterRender;
    // Called once the instance that beforeRender saw is done with, on every way out of the job.
    std::function<void(VstHost::HostedEffect&)> endRender;
};

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
std::unique_ptr<VstHost::HostedEffect> startPlugin(VstHost::PluginLibrary& library, const JobSettings& settings,
                                                   double rate, std::string& error);

JobResult runJob(VstHost::PluginLibrary& library, const JobSettings& settings, const JobFiles& files);

}  // namespace Render
