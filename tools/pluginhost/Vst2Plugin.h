// A VST 2.4 plug-in as a HostedPlugin: the library loaded, each instance made through its entry point
// with our host callback.
#pragma once

#include <memory>
#include <string>

#include "tools/pluginhost/HostedPlugin.h"
#include "tools/vsthost/HostedEffect.h"
#include "tools/vsthost/PluginLibrary.h"

namespace PluginHost {

class Vst2Plugin final : public HostedPlugin {
public:
    // An instance from a VST 2.4 entry point; null when it creates nothing.
    static std::unique_ptr<Vst2Plugin> create(VstHost::PluginEntry entry);

    VstHost::HostedEffect& effect() { return *host_; }

    const char* formatName() const override { return "VST 2.4"; }
    bool start(double sampleRate, int maxFrames, bool doublePrecision, std::string& error) override;
    int latency() override;
    void process(float** in, float** out, int frames, const std::vector<MidiAt>& midi) override;
    void process(double** in, double** out, int frames, const std::vector<MidiAt>& midi) override;
    int parameterCount() override;
    float parameter(int index) override { return host_->getParameter(index); }
    void setParameter(int index, float value) override { host_->setParameter(index, value); }
    std::string parameterName(int index) override { return host_->parameterText(effGetParamName, index); }
    std::string parameterDisplay(int index) override { return host_->parameterText(effGetParamDisplay, index); }
    std::string parameterLabel(int index) override { return host_->parameterText(effGetParamLabel, index); }
    int programCount() override;
    int currentProgram() override;
    std::string programName() override { return host_->effectText(effGetProgramName); }
    std::vector<unsigned char> saveChunk(bool program) override;
    bool loadChunk(bool program, const std::vector<unsigned char>& chunk) override;
    PresetIdentity presetIdentity() override;
    bool editorSize(float scale, int& width, int& height) override;
    bool openEditor(void* parent) override;
    void idleEditor() override;
    void closeEditor() override;
    void describe(std::ostream& out) override;

private:
    explicit Vst2Plugin(std::unique_ptr<VstHost::HostedEffect> host) : host_(std::move(host)) {}
    void sendMidi(const std::vector<MidiAt>& midi);

    std::unique_ptr<VstHost::HostedEffect> host_;
    std::vector<VstMidiEvent> events_;
    bool editorOpen_ = false;
};

// A VST 2.4 library, which makes Vst2Plugin instances.
class Vst2File final : public PluginFile {
public:
    // Null with a reason when the file cannot be loaded or has no entry point.
    static std::unique_ptr<Vst2File> open(const std::string& path, std::string& error);
    std::unique_ptr<HostedPlugin> instantiate(std::string& error) override;

private:
    VstHost::PluginLibrary library_;
};

}  // namespace PluginHost
