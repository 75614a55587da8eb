// A CLAP plug-in as a HostedPlugin: the file's entry initialised once, each instance made by its
// factory and driven from one thread, which is both the main and the audio thread (as hosts do when
// they render offline). Parameter values go in as events: through flush between process calls, so a
// value set is at once the value read back.
#pragma once

#include <clap/entry.h>
#include <clap/plugin-factory.h>
#include <clap/plugin.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/pluginhost/HostedPlugin.h"
#include "tools/vsthost/PluginLibrary.h"

namespace PluginHost {

// One parameter change for a process call, at a frame within it (for tests of automation).
struct ParameterAt {
    std::uint32_t frame = 0;
    int index = 0;
    double value = 0.0;
};

// What the plug-in told the host about a parameter: a value, or a gesture's begin or end.
struct ReportedEvent {
    enum Kind { change, gestureBegin, gestureEnd } kind;
    int index;
    double value;
};

class ClapInstance final : public HostedPlugin {
public:
    // Made by the factory and initialised; null with a reason.
    static std::unique_ptr<ClapInstance> create(const clap_plugin_factory_t& factory, std::string& error);
    ~ClapInstance() override;

    const char* formatName() const override { return "CLAP"; }
    bool start(double sampleRate, int maxFrames, bool doublePrecision, std::string& error) override;
    int latency() override;
    void process(float** in, float** out, int frames, const std::vector<MidiAt>& midi) override;
    void process(double** in, double** out, int frames, const std::vector<MidiAt>& midi) override;
    // The same with parameter changes at their frames, in frame order with the MIDI.
    void process(float** in, float** out, int frames, const std::vector<MidiAt>& midi,
                 const std::vector<ParameterAt>& changes);
    void process(double** in, double** out, int frames, const std::vector<MidiAt>& midi,
                 const std::vector<ParameterAt>& changes);
    int parameterCount() override;
    float parameter(int index) override;
    void setParameter(int index, float value) override;
    std::string parameterName(int index) override;
    std::string parameterDisplay(int index) override;
    std::string parameterLabel(int index) override;
    int programCount() override { return 0; }
    int currentProgram() override { return 0; }
    std::string programName() override { return {}; }
    std::vector<unsigned char> saveChunk(bool program) override;
    bool loadChunk(bool program, const std::vector<unsigned char>& chunk) override;
    PresetIdentity presetIdentity() override;
    bool editorSize(float scale, int& width, int& height) override;
    bool openEditor(void* parent) override;
    void idleEditor() override;
    void closeEditor() override;
    void describe(std::ostream& out) override;

    // Parameter values the plug-in reported as output events (a MIDI-learnt controller moving one),
    // taken; and everything it reported, gestures too, in order.
    std::vector<ParameterAt> takeReportedChanges();
    std::vector<ReportedEvent> takeReportedEvents();
    // A process call with no audio to speak of, as hosts make when the plug-in asks for a flush.
    void flush();
    // How often the plug-in told the host its latency changed.
    int latencyChanges() const { return latencyChanged_; }
    const clap_plugin_t* plugin() const { return plugin_; }

private:
    ClapInstance();
    template <class Sample>
    void run(Sample** in, Sample** out, int frames, const std::vector<MidiAt>& midi,
             const std::vector<ParameterAt>& changes);
    std::string valueText(int index);
    const void* extension(const char* id) const;

    static const void* CLAP_ABI hostExtension(const clap_host_t* host, const char* id);
    static void CLAP_ABI requestRestart(const clap_host_t*) {}
    static void CLAP_ABI requestProcess(const clap_host_t*) {}
    static void CLAP_ABI requestCallback(const clap_host_t*) {}

    clap_host_t host_{};
    const clap_plugin_t* plugin_ = nullptr;
    bool active_ = false, processing_ = false;
    bool inProcess_ = false;  // inside the plug-in's process: the audio thread, as far as it asks
    int latencyChanged_ = 0;
    std::vector<ReportedEvent> reported_;
    // The editor: the host's timers (period, next due), and whether it is open.
    struct Timer {
        clap_id id;
        std::uint32_t period;
    };
    std::vector<Timer> timers_;
    clap_id nextTimer_ = 1;
    bool editorCreated_ = false;
    friend struct ClapHostExtensions;
};

// A .clap file, whose entry stays initialised while instances live.
class ClapFile final : public PluginFile {
public:
    static std::unique_ptr<ClapFile> open(const std::string& path, std::string& error);
    ~ClapFile() override;
    std::unique_ptr<HostedPlugin> instantiate(std::string& error) override;
    std::unique_ptr<ClapInstance> instantiateClap(std::string& error);

private:
    VstHost::PluginLibrary library_;
    const clap_plugin_entry_t* entry_ = nullptr;
    const clap_plugin_factory_t* factory_ = nullptr;
};

}  // namespace PluginHost
