#include "tools/pluginhost/Vst2Plugin.h"

#include <algorithm>
#include <iomanip>


namespace PluginHost {

std::unique_ptr<Vst2Plugin> Vst2Plugin::create(VstHost::PluginEntry entry)
{
    auto host = VstHost::HostedEffect::create(entry);
    if (!host)
        return nullptr;
    return std::unique_ptr<Vst2Plugin>(new Vst2Plugin(std::move(host)));
}

bool Vst2Plugin::start(double sampleRate, int maxFrames, bool, std::string&)
{
    host_->start(static_cast<float>(sampleRate), maxFrames);
    return true;
}

int Vst2Plugin::latency() { return host_->effect()->initialDelay; }

void Vst2Plugin::sendMidi(const std::vector<MidiAt>& midi)
{
    if (midi.empty())
        return;
    events_.clear();
    for (const MidiAt& m : midi)
        events_.push_back(VstHost::HostedEffect::midiEvent(static_cast<VstInt32>(m.frame), m.bytes[0], m.bytes[1],
                                                           m.bytes[2]));
    host_->sendMidi(events_);
}

void Vst2Plugin::process(float** in, float** out, int frames, const std::vector<MidiAt>& midi)
{
    sendMidi(midi);
    host_->processReplacing(in, out, frames);
}

void Vst2Plugin::process(double** in, double** out, int frames, const std::vector<MidiAt>& midi)
{
    sendMidi(midi);
    host_->processDoubleReplacing(in, out, frames);
}

int Vst2Plugin::parameterCount() { return host_->effect()->numParams; }
int Vst2Plugin::programCount() { return host_->effect()->numPrograms; }
int Vst2Plugin::currentProgram() { return static_cast<int>(host_->dispatch(effGetProgram)); }

std::vector<unsigned char> Vst2Plugin::saveChunk(bool program)
{
    void* data = nullptr;
    const VstIntPtr size = host_->dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return bytes && size > 0 ? std::vector<unsigned char>(bytes, bytes + size) : std::vector<unsigned char>();
}

bool Vst2Plugin::loadChunk(bool program, const std::vector<unsigned char>& chunk)
{
    std::vector<unsigned char> copy = chunk;  // effSetChunk takes a writable pointer
    host_->dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data());
    // A plug-in's chunk reader may stop halfway without a word to the host (Tarn answers 0 either
    // way): only what it gives back tells whether it took the chunk whole.
    return saveChunk(program) == chunk;
}

PresetIdentity Vst2Plugin::presetIdentity() { return {host_->effect()->uniqueID, host_->effect()->version}; }

bool Vst2Plugin::editorSize(float scale, int& width, int& height)
{
    if (scale > 0.0f)
        host_->dispatch(effVendorSpecific, kVendorEditorScale, kVendorEditorScaleValue, nullptr, scale);
    ERect* rect = nullptr;
    if (!(host_->effect()->flags & effFlagsHasEditor) || !host_->dispatch(effEditGetRect, 0, 0, &rect) || !rect)
        return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

bool Vst2Plugin::openEditor(void* parent)
{
    // Hosts close what they opened whatever the answer: not every plug-in answers 1.
    editorOpen_ = true;
    return host_->dispatch(effEditOpen, 0, 0, parent) == 1;
}

void Vst2Plugin::idleEditor()
{
    if (editorOpen_)
        host_->dispatch(effEditIdle);
}

void Vst2Plugin::closeEditor()
{
    if (editorOpen_)
        host_->dispatch(effEditClose);
    editorOpen_ = false;
}

std::unique_ptr<Vst2File> Vst2File::open(const std::string& path, std::string& error)
{
    std::unique_ptr<Vst2File> file(new Vst2File);
    if (!file->library_.load(path)) {
        error = file->library_.error();
        return nullptr;
    }
    return file;
}

std::unique_ptr<HostedPlugin> Vst2File::instantiate(std::string& error)
{
    auto plugin = Vst2Plugin::create(library_.entry());
    if (!plugin)
        error = "the plug-in created no effect";
    return plugin;
}

}  // namespace PluginHost
