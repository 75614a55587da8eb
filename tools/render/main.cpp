// tarn-render: renders mono or stereo audio through a VST 2.4 plug-in (Tarn by default) the way a host does,
// and reports latency, levels, gain reduction and speed.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "tools/render/AudioFile.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/DescriptorReport.h"
#include "tools/render/EditorCapture.h"
#include "tools/render/ParameterSetting.h"
#include "tools/render/PresetFile.h"
#include "tools/render/Renderer.h"
#include "tools/vsthost/HostedEffect.h"

namespace {

const char* const usageText =
    "usage: tarn-render [options] [IN OUT]\n"
    "  Without files, renders the built-in default signal (drums over a bass tone) and reports.\n"
#if defined(_WIN32)
    "  IN is a mono or stereo WAV file: 16- or 24-bit PCM or 32-bit float; OUT gets the same format.\n"
#else
    "  IN is a mono or stereo file in any format libsndfile reads (WAV, AIFF, FLAC, Ogg Vorbis, ...);\n"
    "  OUT gets the same container and sample format, and mono comes back mono.\n"
#endif
    "options:\n"
    "  --format NAME        OUT's format instead of IN's: wav16, wav24, float, flac16, flac24, aiff16,\n"
    "                       aiff24, ogg (the Windows build writes the first three only)\n"
    "  --plugin PATH        the VST 2.4 plug-in (default: the Tarn built alongside)\n"
    "  --set NAME=VALUE     a parameter: 0..1 normalized, or a display value (250ms, -6dB, 40dB, 24bits)\n"
    "  --block N            host block size in frames (default 512)\n"
    "  --precision 32|64    single- or double-precision processing (default 32)\n"
    "  --out FILE           with the default signal: also write the result to FILE\n"
    "  --midi FILE          MIDI events: lines of 'frame status data1 data2' (0x.. for hex, # comments)\n"
    "  --load-bank FILE     start from a bank (.fxb), --load-program FILE from a program (.fxp)\n"
    "  --save-bank FILE     after rendering, save the bank (.fxb); --save-program FILE the program (.fxp)\n"
    "  --info               print the plug-in's descriptor and answers, render nothing\n"
    "  --editor-png FILE    open the editor while rendering and save a picture of it at the end\n"
    "                       (Windows builds; under Wine here)\n"
    "  --editor-frames DIR  also save a picture every --editor-every MS of audio (default 250) into DIR\n";

struct Options {
    std::string pluginPath = VstHost::defaultPluginPath();
    std::vector<Render::ParameterSetting> settings;
    Render::RenderOptions render;
    std::string inputPath, outputPath;
    std::string loadBank, loadProgram, saveBank, saveProgram;
    std::string editorPicture, editorFrames;
    int editorEveryMs = 250;
    int outputFormat = 0;  // 0: the input's
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
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << usageText;
            return -1;
        } else if (arg == "--info") {
            o.info = true;
        } else if (arg == "--plugin" && hasValue) {
            o.pluginPath = argv[++i];
        } else if (arg == "--set" && hasValue) {
            Render::ParameterSetting s;
            if (!Render::parseSetting(argv[++i], s))
                return fail(std::string("--set takes NAME=VALUE, not '") + argv[i] + "'"), 2;
            o.settings.push_back(s);
        } else if (arg == "--block" && hasValue) {
            if (!parseInt(argv[++i], o.render.blockSize, 1, 1 << 20))
                return fail("--block takes a frame count from 1 to 1048576"), 2;
        } else if (arg == "--precision" && hasValue) {
            const std::string p = argv[++i];
            if (p != "32" && p != "64")
                return fail("--precision takes 32 or 64"), 2;
            o.render.doublePrecision = p == "64";
        } else if (arg == "--midi" && hasValue) {
            std::string error;
            if (!Render::readMidiList(argv[++i], o.render.midi, error))
                return fail(error), 2;
        } else if (arg == "--load-bank" && hasValue) {
            o.loadBank = argv[++i];
        } else if (arg == "--load-program" && hasValue) {
            o.loadProgram = argv[++i];
        } else if (arg == "--save-bank" && hasValue) {
            o.saveBank = argv[++i];
        } else if (arg == "--save-program" && hasValue) {
            o.saveProgram = argv[++i];
        } else if (arg == "--editor-png" && hasValue) {
            o.editorPicture = argv[++i];
        } else if (arg == "--editor-frames" && hasValue) {
            o.editorFrames = argv[++i];
        } else if (arg == "--editor-every" && hasValue) {
            if (!parseInt(argv[++i], o.editorEveryMs, 1, 3600000))
                return fail("--editor-every takes milliseconds from 1"), 2;
        } else if (arg == "--format" && hasValue) {
            if (!Render::parseFormatName(argv[++i], o.outputFormat))
                return fail(std::string("--format takes one of ") + Render::formatChoices()), 2;
        } else if (arg == "--out" && hasValue) {
            o.outputPath = argv[++i];
        } else if (!arg.empty() && arg[0] != '-') {
            files.push_back(arg);
        } else {
            std::cerr << usageText;
            return 2;
        }
    }
    if (files.size() == 2) {
        o.inputPath = files[0];
        o.outputPath = files[1];
    } else if (!files.empty()) {
        std::cerr << usageText;
        return 2;
    }
    return 0;
}

Render::Progress progressBar(const Render::StereoAudio& audio)
{
    if (!isatty(fileno(stderr)) || audio.frames() < audio.sampleRate * 5)
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

// A started instance of the plug-in with the settings applied; null after reporting why.
std::unique_ptr<VstHost::HostedEffect> startPlugin(VstHost::PluginLibrary& library, const Options& o, double rate)
{
    auto host = VstHost::HostedEffect::create(library.entry());
    if (!host) {
        fail("the plug-in created no effect");
        return nullptr;
    }
    host->start(static_cast<float>(rate), o.render.blockSize);
    const std::pair<Render::PresetKind, const std::string*> loads[] = {{Render::PresetKind::bank, &o.loadBank},
                                                                        {Render::PresetKind::program, &o.loadProgram}};
    for (const auto& [kind, path] : loads) {
        std::string error;
        if (!path->empty() && !Render::loadPresetFile(*host, kind, *path, error)) {
            fail(error);
            return nullptr;
        }
    }
    for (const auto& s : o.settings) {
        std::string error;
        if (!Render::applySetting(*host, s, error)) {
            fail(error);
            return nullptr;
        }
    }
    return host;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (const int status = parseArguments(argc, argv, o))
        return status < 0 ? 0 : status;

    VstHost::PluginLibrary library;
    if (!library.load(o.pluginPath))
        return fail(library.error());

    if (o.info) {
        auto host = startPlugin(library, o, 44100.0);
        if (!host)
            return 1;
        std::cout << "plug-in:     " << o.pluginPath << "\n";
        printDescriptorReport(*host, std::cout);
        return 0;
    }

    Render::StereoAudio input;
    if (o.inputPath.empty()) {
        input = Render::defaultSignal();
        std::cout << "input:  built-in default signal, " << input.frames() / input.sampleRate << " s at "
                  << input.sampleRate << " Hz\n";
    } else {
        std::string error;
        if (!Render::readAudio(o.inputPath, input, error))
            return fail(error);
        std::cout << "input:  " << o.inputPath << ", " << Render::formatName(input.format) << ", "
                  << (input.fileChannels == 1 ? "mono" : "stereo") << ", " << input.sampleRate << " Hz, "
                  << input.frames() << " frames\n";
    }

    Render::RenderReport report;
    {
        auto probe = startPlugin(library, o, input.sampleRate);
        if (!probe)
            return 1;
        report.measuredLatency = Render::measureLatency(*probe, input.sampleRate, 8192, o.render);
    }
    auto host = startPlugin(library, o, input.sampleRate);
    if (!host)
        return 1;
    report.reportedLatency = host->effect()->initialDelay;

    Render::EditorCapture editor;
    const bool watching = !o.editorPicture.empty() || !o.editorFrames.empty();
    if (watching) {
        std::string error;
        if (!editor.open(*host, error))
            return fail(error);
        if (!o.editorFrames.empty())
            editor.photographEvery(static_cast<std::size_t>(input.sampleRate * o.editorEveryMs / 1000.0), o.editorFrames);
        o.render.afterBlock = [&editor](std::size_t done) { editor.afterBlock(done); };
    }

    const auto started = std::chrono::steady_clock::now();
    Render::StereoAudio output = Render::renderThrough(*host, input, o.render, progressBar(input));
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (o.outputFormat)
        output.format = o.outputFormat;
    Render::roundAsWritten(output);
    report.audioSeconds = input.frames() / input.sampleRate;
    Render::measureLevels(input, output, report.reportedLatency, report);

    if (!o.outputPath.empty()) {
        std::string error;
        if (!Render::writeAudio(o.outputPath, output, error))
            return fail(error);
        std::cout << "output: " << o.outputPath << ", " << Render::formatName(output.format) << "\n";
    }
    const std::pair<Render::PresetKind, const std::string*> saves[] = {{Render::PresetKind::bank, &o.saveBank},
                                                                        {Render::PresetKind::program, &o.saveProgram}};
    for (const auto& [kind, path] : saves) {
        std::string error;
        if (!path->empty() && !Render::savePresetFile(*host, kind, *path, error))
            return fail(error);
    }
    if (!o.editorPicture.empty()) {
        std::string error;
        if (!editor.photograph(o.editorPicture, error))
            return fail(error);
        std::cout << "editor: " << o.editorPicture << "\n";
    }
    std::cout << "plug-in: " << o.pluginPath << ", blocks of " << o.render.blockSize << ", "
              << (o.render.doublePrecision ? 64 : 32) << "-bit processing\n";
    Render::printReport(report, std::cout);
    return 0;
}
