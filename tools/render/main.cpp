// tarn-render: renders mono or stereo audio through a VST 2.4 plug-in (Tarn by default) the way a host
// does, and reports latency, loudness, peaks, gain reduction and speed.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <stdexcept>
#include <optional>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "tools/render/Batch.h"
#include "tools/render/EditorCapture.h"
#include "tools/render/ParameterSetting.h"
#include "tools/render/PresetFile.h"
#include "tools/render/RenderJob.h"
#include "tools/vsthost/PluginLibrary.h"

namespace {

const char* const usageText =
    "usage: tarn-render [options] [IN OUT]\n"
    "       tarn-render [options] --outdir DIR IN...\n"
    "  Without files, renders the built-in default signal (drums over a bass tone) and reports.\n"
    "  With --outdir, renders every IN into DIR under its own name: one report line per file and a\n"
    "  summary; a file that fails is reported and skipped, and the exit status is 1.\n"
#if defined(_WIN32)
    "  IN is a mono or stereo WAV file: 16- or 24-bit PCM or 32-bit float; OUT gets the same format.\n"
#else
    "  IN is a mono or stereo file in any format libsndfile reads (WAV, AIFF, FLAC, Ogg Vorbis, ...);\n"
    "  OUT gets the same container and sample format, and mono comes back mono.\n"
#endif
    "options:\n"
    "  --format NAME        OUT's format instead of IN's: wav16, wav24, float, flac16, flac24, aiff16,\n"
    "                       aiff24, ogg (the Windows build writes the first three only)\n"
#if !defined(_WIN32)
    "  --json FILE          also write the report as JSON (with --outdir: a folder, NAME.json per file)\n"
    "  --plot FILE.png      also draw the levels in and out and the gain reduction over time (with\n"
    "                       --outdir: a folder, NAME.png per file); --plot-size WxH (default 1200x500,\n"
    "                       at most 16384x16384)\n"
    "  --true-peak-warn DB  warn when the output's true peak is above DB dBTP (default 0)\n"
    "  --true-peak DB       keep the output's true peak at or under DB dBTP (for example -1): a look-ahead\n"
    "                       gain stage after the plug-in (its latency is compensated too)\n"
    "  --target-lufs L      choose thresh. (make-up 100 %) so the output's integrated loudness is L LUFS\n"
    "                       within 0.1 LU; a target out of reach is refused, nothing written, unless\n"
    "                       --nearest asks for the nearest loudness there is. With --outdir each file\n"
    "                       gets the target, or with --album one setting for all, from their loudness\n"
    "                       together\n"
#endif
    "  --plugin PATH        the VST 2.4 plug-in (default: the Tarn built alongside)\n"
    "  --set NAME=VALUE     a parameter: 0..1 normalized, or a display value (250ms, -6dB, 40dB, 24bits)\n"
    "  --block N            host block size in frames (default 512)\n"
    "  --keep-latency       leave the output late by the plug-in's latency, as a host plays it (by\n"
    "                       default it is compensated: the output lines up with the input, same length)\n"
    "  --precision 32|64    single- or double-precision processing (default 32)\n"
    "  --out FILE           with the default signal: also write the result to FILE\n"
    "  --midi FILE          MIDI events: lines of 'frame status data1 data2' (0x.. for hex, # comments)\n"
    "  --load-bank FILE     start from a bank (.fxb), --load-program FILE from a program (.fxp)\n"
    "  --save-bank FILE     after rendering, save the bank (.fxb); --save-program FILE the program (.fxp)\n"
    "  --info               print the plug-in's descriptor and answers, render nothing\n"
    "  --editor-png FILE    open the editor while rendering and save a picture of it at the end\n"
    "                       (on Linux it needs an X server: DISPLAY, or xvfb-run)\n"
    "  --editor-frames DIR  also save a picture every --editor-every MS of audio (default 250) into DIR\n"
    "  --editor-scale S     ask for the editor drawn S times its size, as hosts do (the Linux editor: 2)\n";

struct Options {
    Render::JobSettings job;
    Render::JobFiles files;
    std::vector<std::string> batchInputs;
    std::string outputFolder;
    std::string saveBank, saveProgram;
    std::string editorPicture, editorFrames;
    int editorEveryMs = 250;
    float editorScale = 0.0f;
    bool info = false;
};

int fail(const std::string& message)
{
    std::cerr << "tarn-render: " << message << "\n";
    return 1;
}

bool parseInt(const char* text, int& value, int low, int high)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end || v < low || v > high)
        return false;
    value = static_cast<int>(v);
    return true;
}

// 0 to go on, else the exit status.
int parseArguments(int argc, char** argv, Options& o)
{
    std::vector<std::string> files;
    Render::JobSettings& job = o.job;
    job.pluginPath = VstHost::defaultPluginPath();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << usageText;
            return -1;
        } else if (arg == "--info") {
            o.info = true;
        } else if (arg == "--plugin" && hasValue) {
            job.pluginPath = argv[++i];
        } else if (arg == "--set" && hasValue) {
            Render::ParameterSetting s;
            if (!Render::parseSetting(argv[++i], s))
                return fail(std::string("--set takes NAME=VALUE, not '") + argv[i] + "'"), 2;
            job.settings.push_back(s);
        } else if (arg == "--block" && hasValue) {
            if (!parseInt(argv[++i], job.render.blockSize, 1, 1 << 20))
                return fail("--block takes a frame count from 1 to 1048576"), 2;
        } else if (arg == "--keep-latency") {
            job.keepLatency = true;
        } else if (arg == "--precision" && hasValue) {
            const std::string p = argv[++i];
            if (p != "32" && p != "64")
                return fail("--precision takes 32 or 64"), 2;
            job.render.doublePrecision = p == "64";
        } else if (arg == "--midi" && hasValue) {
            std::string error;
            if (!Render::readMidiList(argv[++i], job.render.midi, error))
                return fail(error), 2;
        } else if (arg == "--load-bank" && hasValue) {
            job.loadBank = argv[++i];
        } else if (arg == "--load-program" && hasValue) {
            job.loadProgram = argv[++i];
        } else if (arg == "--save-bank" && hasValue) {
            o.saveBank = argv[++i];
        } else if (arg == "--save-program" && hasValue) {
            o.saveProgram = argv[++i];
        } else if (arg == "--editor-png" && hasValue) {
            o.editorPicture = argv[++i];
        } else if (arg == "--editor-frames" && hasValue) {
            o.editorFrames = argv[++i];
        } else if (arg == "--editor-scale" && hasValue) {
            char* end = nullptr;
            o.editorScale = std::strtof(argv[++i], &end);
            if (*end || !(o.editorScale >= 1.0f && o.editorScale <= 4.0f))
                return fail("--editor-scale takes a factor from 1 to 4"), 2;
        } else if (arg == "--editor-every" && hasValue) {
            if (!parseInt(argv[++i], o.editorEveryMs, 1, 3600000))
                return fail("--editor-every takes milliseconds from 1"), 2;
        } else if (arg == "--format" && hasValue) {
            if (!Render::parseFormatName(argv[++i], job.outputFormat))
                return fail(std::string("--format takes one of ") + Render::formatChoices()), 2;
#if TARN_RENDER_MASTERING
        } else if (arg == "--json" && hasValue) {
            o.files.json = argv[++i];
        } else if (arg == "--plot" && hasValue) {
            o.files.plot = argv[++i];
        } else if (arg == "--plot-size" && hasValue) {
            int w = 0, h = 0;
            char tail = 0;
            if (std::sscanf(argv[++i], "%dx%d%c", &w, &h, &tail) != 2 || w < 200 || h < 120 ||
                w > Render::maxPlotSide || h > Render::maxPlotSide)
                return fail("--plot-size takes WIDTHxHEIGHT, from 200x120 to 16384x16384"), 2;
            job.plotWidth = w;
            job.plotHeight = h;
        } else if (arg == "--true-peak-warn" && hasValue) {
            char* end = nullptr;
            job.truePeakWarnDbtp = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end || !(job.truePeakWarnDbtp > -100.0 && job.truePeakWarnDbtp < 100.0))
                return fail("--true-peak-warn takes a level in dBTP, for example -1"), 2;
        } else if ((arg == "--true-peak" || arg == "--target-lufs") && hasValue) {
            char* end = nullptr;
            const double value = std::strtod(argv[++i], &end);
            const bool ceiling = arg == "--true-peak";
            if (end == argv[i] || *end || !(ceiling ? value >= -60.0 && value <= 6.0 : value >= -70.0 && value <= 0.0))
                return fail(ceiling ? "--true-peak takes a ceiling in dBTP from -60 to 6, for example -1"
                                    : "--target-lufs takes a loudness in LUFS from -70 to 0, for example -14"),
                       2;
            (ceiling ? job.truePeakCeilingDbtp : job.targetLufs) = value;
        } else if (arg == "--nearest") {
            job.nearest = true;
        } else if (arg == "--album") {
            job.album = true;
#endif
        } else if (arg == "--outdir" && hasValue) {
            o.outputFolder = argv[++i];
        } else if (arg == "--out" && hasValue) {
            o.files.output = argv[++i];
        } else if (!arg.empty() && arg[0] != '-') {
            files.push_back(arg);
        } else {
            std::cerr << usageText;
            return 2;
        }
    }
    if (job.targetLufs)
        for (const Render::ParameterSetting& s : job.settings) {
            std::string name = s.name;
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (name == "thresh" || name == "thresh." || name == "makeup")
                return fail("--target-lufs chooses thresh. and makeup itself: leave out --set " + s.name), 2;
        }
    if (job.album && (!job.targetLufs || o.outputFolder.empty()))
        return fail("--album goes with --target-lufs and --outdir"), 2;
    if (job.nearest && !job.targetLufs)
        return fail("--nearest goes with --target-lufs"), 2;
    if (!o.outputFolder.empty()) {
        if (files.empty() || !o.files.output.empty())
            return fail("--outdir takes input files (and no --out)"), 2;
        if (!o.editorPicture.empty() || !o.editorFrames.empty())
            return fail("the editor's pictures are taken of one render, not with --outdir"), 2;
        o.batchInputs = files;
    } else if (files.size() == 2) {
        o.files.input = files[0];
        o.files.output = files[1];
    } else if (!files.empty()) {
        std::cerr << usageText;
        return 2;
    }
    return 0;
}

// On a terminal, for files of 5 s or more.
Render::Progress progressBar(std::size_t frames, double sampleRate)
{
    if (!isatty(fileno(stderr)) || frames < sampleRate * 5)
        return {};
    return [](double done) {
        const int width = 40, filled = static_cast<int>(done * width);
        std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
                     std::string(width - filled, '.').c_str(), static_cast<int>(done * 100));
        if (done >= 1.0)
            std::fprintf(stderr, "\n");
        std::fflush(stderr);
    };
}

std::string describeInput(const Render::JobFiles& files, const Render::JobResult& result)
{
    const Render::StereoAudio& in = result.inputShape;
    if (files.input.empty())
        return "built-in default signal, " + std::to_string(static_cast<int>(result.report.audioSeconds)) + " s at " +
               std::to_string(static_cast<int>(in.sampleRate)) + " Hz";
    return files.input + ", " + Render::formatName(in.format) + ", " + (in.fileChannels == 1 ? "mono" : "stereo") +
           ", " + std::to_string(static_cast<int>(in.sampleRate)) + " Hz, " + std::to_string(result.frames) + " frames";
}

}  // namespace

int run(int argc, char** argv)
{
    Options o;
    if (const int status = parseArguments(argc, argv, o))
        return status < 0 ? 0 : status;

    std::string loadError;
    const auto plugin = PluginHost::openPluginFile(o.job.pluginPath, loadError);
    if (!plugin)
        return fail(loadError);

    if (o.info) {
        std::string error;
        auto host = Render::startPlugin(*plugin, o.job, 44100.0, error);
        if (!host)
            return fail(error);
        std::cout << "plug-in:     " << o.job.pluginPath << "\n";
        std::cout << "format:      " << host->formatName() << "\n";
        host->describe(std::cout);
        return 0;
    }

    // Made for the render and closed by endRender, while the instance it belongs to still lives.
    std::optional<Render::EditorCapture> editor;
    if (!o.editorPicture.empty() || !o.editorFrames.empty()) {
        o.job.beforeRender = [&](PluginHost::HostedPlugin& host, Render::RenderOptions& render, double rate,
                                 std::string& error) {
            if (!editor.emplace().open(host, error, o.editorScale))
                return false;
            if (!o.editorFrames.empty())
                editor->photographEvery(static_cast<std::size_t>(rate * o.editorEveryMs / 1000.0), o.editorFrames);
            render.afterBlock = [&editor](std::size_t done) { editor->afterBlock(done); };
            return true;
        };
        o.job.endRender = [&editor](PluginHost::HostedPlugin&) { editor.reset(); };
    }
    o.job.afterRender = [&](PluginHost::HostedPlugin& host, Render::RenderOptions&, double, std::string& error) {
        const std::pair<Render::PresetKind, const std::string*> saves[] = {
            {Render::PresetKind::bank, &o.saveBank}, {Render::PresetKind::program, &o.saveProgram}};
        for (const auto& [kind, path] : saves)
            if (!path->empty() && !Render::savePresetFile(host, kind, *path, error))
                return false;
        if (!o.editorPicture.empty()) {
            if (!editor->photograph(o.editorPicture, error))
                return false;
            std::cout << "editor: " << o.editorPicture << "\n";
        }
        return true;
    };
    o.job.progress = progressBar;

    // A saved preset never replaces an input either.
    const std::vector<std::string>& inputs = o.batchInputs.empty() ? std::vector<std::string>{o.files.input} : o.batchInputs;
    for (const std::string& input : inputs)
        for (const auto& [path, what] : {std::make_pair(&o.saveBank, "the saved bank"),
                                         std::make_pair(&o.saveProgram, "the saved program")}) {
            std::string error;
            if (!Render::checkOutputPath(*path, what, input, error))
                return fail(error);
        }

    if (!o.batchInputs.empty()) {
        const Render::BatchFolders folders{o.outputFolder, o.files.plot, o.files.json};
        return Render::renderBatch(*plugin, o.job, o.batchInputs, folders, std::cout) ? 1 : 0;
    }
    const Render::JobResult result = Render::runJob(*plugin, o.job, o.files);
    if (!result.error.empty())
        return fail(result.error);
    std::cout << "input:  " << describeInput(o.files, result) << "\n";
    if (!o.files.output.empty())
        std::cout << "output: " << o.files.output << ", " << Render::formatName(result.outputShape.format) << "\n";
    if (!o.files.plot.empty())
        std::cout << "picture: " << o.files.plot << "\n";
    std::cout << "plug-in: " << o.job.pluginPath << ", blocks of " << o.job.render.blockSize << ", "
              << (o.job.render.doublePrecision ? 64 : 32) << "-bit processing\n";
    Render::printReport(result.report, std::cout);
    return 0;
}

int main(int argc, char** argv)
{
    // Every failure is a message and a status below 128, never an abort.
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    } catch (const std::exception& e) {
        return fail(std::string("unexpected failure: ") + e.what());
    }
}
