#include "tools/render/JsonReport.h"

#include "tools/render/ParameterSetting.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/render/OutputFile.h"

namespace Render {

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string number(const std::optional<double>& value, int decimals = 2)
{
    if (!value || !std::isfinite(*value))
        return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", decimals, *value);
    return text;
}

void fileObject(std::ostringstream& out, const char* key, const std::string& path, const StereoAudio& shape,
                std::size_t frames, const std::optional<LoudnessFigures>& loudness)
{
    const LoudnessFigures figures = loudness.value_or(LoudnessFigures{});
    out << "  " << quoted(key) << ": {\n"
        << "    \"file\": " << (path.empty() ? "null" : quoted(path)) << ",\n"
        << "    \"format\": " << quoted(formatName(shape.format)) << ",\n"
        << "    \"channels\": " << shape.fileChannels << ",\n"
        << "    \"sample_rate\": " << number(shape.sampleRate, 0) << ",\n"
        << "    \"frames\": " << frames << ",\n"
        << "    \"integrated_lufs\": " << number(figures.integratedLufs) << ",\n"
        << "    \"loudness_range_lu\": " << number(figures.loudnessRangeLu) << ",\n"
        << "    \"true_peak_dbtp\": " << number(figures.truePeakDbtp) << ",\n"
        << "    \"sample_peak_dbfs\": " << number(figures.samplePeakDbfs) << "\n"
        << "  },\n";
}

// What the loudness target's search chose: the settings as the plug-in shows them, the normalized
// threshold, the loudness measured there and how many renders it took; null without a target.
std::string chosenObject(const RenderReport& r)
{
    if (!r.chosen)
        return "null";
    std::string display;
    for (const auto& [name, text] : r.parameters)
        if (namesParameter(name, "thresh.") || namesParameter(name, "makeup"))
            display += ", " + quoted(name) + ": " + quoted(text);
    char figures[160];
    std::snprintf(figures, sizeof figures,
                  "\"threshold_normalized\": %.6f, \"makeup_normalized\": %.6f, \"loudness_lufs\": %s, \"passes\": %d, "
                  "\"reached\": %s",
                  r.chosen->threshold, r.chosen->makeup, number(r.chosen->loudnessLufs).c_str(), r.chosen->passes,
                  r.chosen->reached ? "true" : "false");
    return std::string("{") + figures + display + "}";
}

}  // namespace

std::string jsonReport(const JobSettings& settings, const JobFiles& files, const JobResult& result)
{
    const RenderReport& r = result.report;
    std::ostringstream out;
    out << "{\n";
    fileObject(out, "input", files.input, result.inputShape, result.frames, r.inputLoudness);
    fileObject(out, "output", files.output, result.outputShape, result.frames, r.outputLoudness);
    out << "  \"settings\": {\n"
        << "    \"plugin\": " << quoted(settings.pluginPath) << ",\n"
        << "    \"block_size\": " << settings.render.blockSize << ",\n"
        << "    \"precision\": " << (settings.render.doublePrecision ? 64 : 32) << ",\n"
        << "    \"true_peak_warn_dbtp\": " << number(settings.truePeakWarnDbtp, 1) << ",\n"
        << "    \"parameters\": {";
    for (std::size_t i = 0; i < r.parameters.size(); ++i)
        out << (i ? ", " : "") << quoted(r.parameters[i].first) << ": " << quoted(r.parameters[i].second);
    out << "}\n  },\n"
        << "  \"latency\": {\"reported_samples\": " << r.reportedLatency << ", \"measured_samples\": "
        << (r.measuredLatency >= 0 ? std::to_string(r.measuredLatency) : "null")
        << ", \"compensated\": " << (r.latencyCompensated ? "true" : "false") << "},\n"
        << "  \"non_finite_input_samples\": " << r.nonFiniteInputSamples << ",\n"
        << "  \"largest_gain_reduction_db\": " << number(r.largestReductionDb) << ",\n"
        << "  \"samples_over_full_scale\": " << r.samplesAboveFullScale << ",\n"
        << "  \"true_peak_over_warning\": " << (r.truePeakOver() ? "true" : "false") << ",\n"
        << "  \"true_peak_ceiling_dbtp\": " << number(r.truePeakCeilingDbtp, 2) << ",\n"
        << "  \"ceiling_gain_reduction_db\": " << number(r.ceilingReductionDb) << ",\n"
        << "  \"target_lufs\": " << number(r.targetLufs, 2) << ",\n"
        << "  \"chosen\": " << chosenObject(r) << ",\n"
        << "  \"seconds\": {\"audio\": " << number(r.audioSeconds, 3) << ", \"plugin\": " << number(r.seconds, 4)
        << ", \"measuring\": " << number(r.measuringSeconds, 4) << ", \"picture\": " << number(r.plottingSeconds, 4)
        << ", \"files\": " << number(r.fileSeconds, 4) << ", \"total\": " << number(r.totalSeconds, 4) << "}\n"
        << "}\n";
    return out.str();
}

bool writeJsonReport(const std::string& path, const JobSettings& settings, const JobFiles& files,
                     const JobResult& result, std::string& error)
{
    return writeWholeFile(path, jsonReport(settings, files, result), error);
}

}  // namespace Render
