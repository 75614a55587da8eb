// A VST3 plug-in as a HostedPlugin: the bundle's module loaded and entered, its audio module class
// made through the factory with its edit controller (a class of its own, connected to the component both
// ways, or the component itself) and driven from one thread, as hosts do when they render offline.
#pragma once

#include <travesty/audio_processor.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>
#include <travesty/message.h>
#include <travesty/view.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/pluginhost/HostedPlugin.h"
#include "tools/vsthost/PluginLibrary.h"

namespace PluginHost {

struct Vst3Change {
    std::uint32_t frame = 0;
    v3_param_id id = 0;
    double value = 0.0;
};

class Vst3Instance final : public HostedPlugin {
public:
    static std::unique_ptr<Vst3Instance> create(v3_plugin_factory** factory, const v3_tuid classId, std::string& error);
    ~Vst3Instance() override;

    const char* formatName() const override { return "VST3"; }
    bool start(double sampleRate, int maxFrames, bool doublePrecision, std::string& error) override;
    int latency() override;
    void process(float** in, float** out, int frames, const std::vector<MidiAt>& midi) override;
    void process(double** in, double** out, int frames, const std::vector<MidiAt>& midi) override;
    // The same with parameter changes (by VST3 parameter ID) at their frames.
    void process(float** in, float** out, int frames, const std::vector<Vst3Change>& changes);
    void process(double** in, double** out, int frames, const std::vector<Vst3Change>& changes);
    int parameterCount() override { return static_cast<int>(visible_.size()); }
    float parameter(int index) override;
    void setParameter(int index, float value) override;
    std::string parameterName(int index) override;
    std::string parameterDisplay(int index) override;
    std::string parameterLabel(int index) override;
    // The root unit's program list and the program-change parameter.
    int programCount() override;
    int currentProgram() override;
    std::string programName() override;
    std::vector<unsigned char> saveChunk(bool program) override;
    bool loadChunk(bool program, const std::vector<unsigned char>& chunk) override;
    PresetIdentity presetIdentity() override;
    // The view attached with X11EmbedWindowID (its run loop's timers fire at idleEditor) or HWND.
    bool editorSize(float scale, int& width, int& height) override;
    bool openEditor(void* parent) override;
    void idleEditor() override;
    void closeEditor() override;
    void describe(std::ostream& out) override;

    // Changes the plug-in reported from its process calls (a MIDI-learnt controller) and its editor's
    // performEdit calls, taken; and the restartComponent flags it sent.
    std::vector<Vst3Change> takeReportedChanges();
    // Every beginEdit ('b'), performEdit ('p') and endEdit ('e') the plug-in sent, in order, taken.
    struct Edit {
        char kind;
        v3_param_id id;
        double value;
    };
    std::vector<Edit> takeEdits();
    int restartFlags() const { return restartFlags_; }
    v3_audio_processor** processor() const { return processor_; }
    v3_edit_controller** controller() const { return controller_; }
    // The state as the component answers getState, and a state for setState (V3_OK: true).
    std::vector<unsigned char> componentState();
    bool setComponentState(const std::vector<unsigned char>& state);

private:
    Vst3Instance() = default;
    template <class Sample> void run(Sample** in, Sample** out, int frames, std::vector<Vst3Change> changes);
    v3_param_info info(int index);
    bool makeController(v3_plugin_factory** factory, std::string& error);
    std::string programName(int index);

    v3_component** component_ = nullptr;
    v3_audio_processor** processor_ = nullptr;
    v3_edit_controller** controller_ = nullptr;
    bool ownController_ = false;  // a class of its own, not the component
    v3_connection_point** componentPoint_ = nullptr;
    v3_connection_point** controllerPoint_ = nullptr;
    std::int64_t programParam_ = -1;  // the program-change parameter's ID, if there is one
    v3_tuid classId_{};
    bool active_ = false, doubles_ = false;
    int restartFlags_ = 0;
    std::vector<v3_param_id> visible_;  // the parameters a user sees: not hidden
    std::vector<Vst3Change> pending_;   // values set between process calls, for the next one
    std::vector<Vst3Change> reported_;
    std::vector<Edit> edits_;
    v3_plugin_view** view_ = nullptr;

public:
    // The component handler and the plug-in frame we hand the plug-in (public for their function tables).
    struct Handler;
    struct Frame;

private:
    std::unique_ptr<Handler> handler_;
    std::unique_ptr<Frame> frame_;
};

// A .vst3 bundle (or a Windows single-file module), entered while instances live.
class Vst3File final : public PluginFile {
public:
    static std::unique_ptr<Vst3File> open(const std::string& path, std::string& error);
    ~Vst3File() override;
    std::unique_ptr<HostedPlugin> instantiate(std::string& error) override;
    std::unique_ptr<Vst3Instance> instantiateVst3(std::string& error);
    v3_plugin_factory** factory() const { return factory_; }

private:
    VstHost::PluginLibrary library_;
    v3_plugin_factory** factory_ = nullptr;
    v3_tuid classId_{};
};

}  // namespace PluginHost
