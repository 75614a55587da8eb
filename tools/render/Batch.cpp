#include "tools/render/Batch.h"

#if TARN_RENDER_MASTERING
#include "tools/render/TargetRender.h"
#endif

#include <iomanip>
#include <set>
#include <sstream>

namespace Render {

namespace {

std::string fileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string withoutExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string inFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/' || folder.back() == '\\')
        return folder + name;
    return folder + "/" + name;
}

const char* extensionOf(int format)
{
    switch (format & FileFormat::containerMask) {
    case FileFormat::wav:
    case FileFormat::wavex: return ".wav";
    case FileFormat::aiff: return ".aiff";
    case FileFormat::flac: return ".flac";
    case FileFormat::ogg: return ".ogg";
    default: return nullptr;
    }
}

std::string figure(const std::optional<double>& value, const char* unit)
{
    if (!value)
        return std::string("- ") + unit;
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << *value << " " << unit;
    return text.str();
}

std::string summaryLine(const JobFiles& files, const JobResult& result)
{
    const RenderReport& r = result.report;
    std::ostringstream line;
    line << files.input << " -> " << files.output << ": ";
    if (r.inputLoudness && r.outputLoudness) {
        line << figure(r.inputLoudness->integratedLufs, "LUFS") << " -> " << figure(r.outputLoudness->integratedLufs, "LUFS")
             << ", true peak " << figure(r.outputLoudness->truePeakDbtp, "dBTP") << (r.truePeakOver() ? " (over!)" : "")
             << ", ";
    } else {
        line << "peak " << std::fixed << std::setprecision(1) << r.outputPeakDb << " dBFS, ";
    }
    line << "largest reduction " << std::fixed << std::setprecision(1) << r.largestReductionDb << " dB, "
         << std::setprecision(2) << r.seconds << " s in the plug-in";
    return line.str();
}

}  // namespace

std::string batchOutputPath(const std::string& input, const std::string& folder, int outputFormat)
{
    std::string name = fileName(input);
    if (const char* extension = outputFormat ? extensionOf(outputFormat) : nullptr)
        name = withoutExtension(name) + extension;
    return inFolder(folder, name);
}

int renderBatch(PluginHost::PluginFile& pluginFile, const JobSettings& settings, const std::vector<std::string>& inputs,
                const BatchFolders& folders, std::ostream& out)
{
    int failed = 0;
    std::set<std::string> outputs;
#if TARN_RENDER_MASTERING
    // An album: one threshold for every file, from their loudness gated together, so the files keep
    // their loudness relative to each other.
    JobSettings album = settings;
    if (settings.targetLufs && settings.album) {
        TargetResult found;
        std::string error;
        if (!searchTarget(pluginFile, settings, inputs, found, error)) {
            out << "album: FAILED: " << error << "\n" << inputs.size() << " files: 0 rendered, " << inputs.size()
                << " failed\n";
            return static_cast<int>(inputs.size());
        }
        if (!found.reached && !settings.nearest) {
            out << "album: FAILED: " << found.reason << "; nothing written (--nearest renders the nearest instead)\n"
                << inputs.size() << " files: 0 rendered, " << inputs.size() << " failed\n";
            return static_cast<int>(inputs.size());
        }
        album.albumChoice = RenderReport::Chosen{found.threshold, 1.0f, found.loudnessLufs, found.passes, found.reached};
        out << "album: " << std::fixed << std::setprecision(1) << found.loudnessLufs << " LUFS together after "
            << found.passes << " renders\n";
    }
    const JobSettings& each = album;
#else
    const JobSettings& each = settings;
#endif
    for (const std::string& input : inputs) {
        JobFiles files;
        files.input = input;
        files.output = batchOutputPath(input, folders.output, settings.outputFormat);
        const std::string stem = withoutExtension(fileName(input));
        if (!folders.plot.empty())
            files.plot = inFolder(folders.plot, stem + ".png");
        if (!folders.json.empty())
            files.json = inFolder(folders.json, stem + ".json");
        if (!outputs.insert(files.output).second) {
            out << input << ": FAILED: " << files.output << " is an earlier file's output already\n";
            ++failed;
            continue;
        }
        const JobResult result = runJob(pluginFile, each, files);
        if (!result.error.empty()) {
            out << input << ": FAILED: " << result.error << "\n";
            ++failed;
        } else {
            out << summaryLine(files, result) << "\n";
        }
        out.flush();
    }
    out << inputs.size() << (inputs.size() == 1 ? " file: " : " files: ") << inputs.size() - failed << " rendered, "
        << failed << " failed\n";
    return failed;
}

}  // namespace Render
