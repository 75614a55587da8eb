// A plug-in instance as our tools drive it, whatever its format (VST 2.4, VST3, CLAP): started at a
// rate, run in blocks with MIDI at frame offsets, its parameters by index with their texts, its
// programs, its state as the VST 2.4 chunk (which every edition of Tarn saves, so presets move
// between formats), its latency, and its editor in a window of ours. The renderer knows only this.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace PluginHost {

// One MIDI message for the next process call, `frame` frames into it.
struct MidiAt {
    std::uint32_t frame = 0;
    unsigned char bytes[3] = {};
};

// What a preset file records of the plug-in that saved it (the VST 2.4 unique ID and version).
struct PresetIdentity {
    std::int32_t uniqueID = 0;
    std::int32_t version = 0;
};

class HostedPlugin {
public:
    virtual ~HostedPlugin() = default;

    // "VST 2.4", "VST3", "CLAP".
    virtual const char* formatName() const = 0;

    // Ready to process at the rate, in blocks of at most maxFrames, with 64-bit samples or 32-bit
    // ones (formats that fix the precision before processing are told here); false with a reason.
    virtual bool start(double sampleRate, int maxFrames, bool doublePrecision, std::string& error) = 0;
    virtual int latency() = 0;

    // Stereo in and out, frames at most the started maxFrames; `midi` in frame order, or none.
    virtual void process(float** in, float** out, int frames, const std::vector<MidiAt>& midi) = 0;
    virtual void process(double** in, double** out, int frames, const std::vector<MidiAt>& midi) = 0;

    // Parameters by index, values normalized 0..1; the texts as the plug-in shows them.
    virtual int parameterCount() = 0;
    virtual float parameter(int index) = 0;
    virtual void setParameter(int index, float value) = 0;
    virtual std::string parameterName(int index) = 0;
    virtual std::string parameterDisplay(int index) = 0;  // the value without its unit
    virtual std::string parameterLabel(int index) = 0;    // the unit

    virtual int programCount() = 0;
    virtual int currentProgram() = 0;
    virtual std::string programName() = 0;

    // The state as the VST 2.4 chunk: the whole bank, or the current program. Loading checks the
    // chunk whole; false, and nothing changed, when the plug-in refuses it.
    virtual std::vector<unsigned char> saveChunk(bool program) = 0;
    virtual bool loadChunk(bool program, const std::vector<unsigned char>& chunk) = 0;
    virtual PresetIdentity presetIdentity() = 0;

    // The editor: its size in pixels, asked at a scale (above 0: as hosts ask for a larger editor);
    // false when the plug-in has none. Opened into a native window of ours (an X11 window id or an
    // HWND), given time to run between audio blocks (the host's idle calls, timers and event
    // handlers), closed before the window goes.
    virtual bool editorSize(float scale, int& width, int& height) = 0;
    virtual bool openEditor(void* parent) = 0;
    virtual void idleEditor() = 0;
    virtual void closeEditor() = 0;

    // What the plug-in says of itself, one fact per line, for --info.
    virtual void describe(std::ostream& out) = 0;
};

// A loaded plug-in file, which makes instances.
class PluginFile {
public:
    virtual ~PluginFile() = default;
    // A fresh instance, not yet started; null with a reason.
    virtual std::unique_ptr<HostedPlugin> instantiate(std::string& error) = 0;
};

// Loads the file at `path` in the format its name tells (a .vst3 bundle, a .clap file, otherwise a
// VST 2.4 library); null with a reason.
std::unique_ptr<PluginFile> openPluginFile(const std::string& path, std::string& error);

}  // namespace PluginHost
