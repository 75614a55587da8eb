#include "tools/vsthost/HostedEffect.h"

#include <cstring>

namespace VstHost {

namespace {
// The plug-in may call back while its entry point runs, before we know its descriptor.
thread_local HostedEffect* constructing = nullptr;
}  // namespace

std::unique_ptr<HostedEffect> HostedEffect::create(PluginEntry entry)
{
    std::unique_ptr<HostedEffect> host(new HostedEffect);
    constructing = host.get();
    host->aeffect = entry(&HostedEffect::callback);
    constructing = nullptr;
    if (!host->aeffect || host->aeffect->magic != kEffectMagic)
        return nullptr;
    host->aeffect->user = host.get();
    return host;
}

HostedEffect::~HostedEffect() { close(); }

void HostedEffect::close()
{
    if (aeffect) {
        aeffect->dispatcher(aeffect, effClose, 0, 0, nullptr, 0.0f);
        aeffect = nullptr;
    }
}

VstIntPtr VSTCALLBACK HostedEffect::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                             void* ptr, float opt)
{
    HostedEffect* host = effect && effect->user ? static_cast<HostedEffect*>(effect->user) : constructing;
    if (opcode == audioMasterVersion)
        return kVstVersion;
    return host ? host->answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr HostedEffect::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* /*ptr*/, float opt)
{
    switch (opcode) {
    case audioMasterSizeWindow: {  // noted, not carried out: the window is the caller's
        std::lock_guard<std::mutex> hold(requestsLock);
        requests.push_back({opcode, index, opt, value});
        return 0;
    }
    case audioMasterGetTime:
        return hasTransport ? reinterpret_cast<VstIntPtr>(&transport) : 0;
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit: {
        std::lock_guard<std::mutex> hold(requestsLock);
        requests.push_back({opcode, index, opt, value});
        return 1;
    }
    default:
        return 0;
    }
}

VstIntPtr HostedEffect::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
}

void HostedEffect::start(float sampleRate, VstInt32 blockSize)
{
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    resume();
}

void HostedEffect::processReplacing(float** in, float** out, VstInt32 frames)
{
    aeffect->processReplacing(aeffect, in, out, frames);
}

void HostedEffect::processDoubleReplacing(double** in, double** out, VstInt32 frames)
{
    aeffect->processDoubleReplacing(aeffect, in, out, frames);
}

void HostedEffect::processAccumulating(float** in, float** out, VstInt32 frames)
{
    aeffect->process(aeffect, in, out, frames);
}

VstMidiEvent HostedEffect::midiEvent(VstInt32 deltaFrames, int status, int data1, int data2)
{
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1);
    e.midiData[2] = static_cast<char>(data2);
    return e;
}

void HostedEffect::sendMidi(const std::vector<VstMidiEvent>& events)
{
    midiStore = events;
    const std::size_t slots = events.size() < 2 ? 2 : events.size();
    eventsBlock.assign(offsetof(VstEvents, events) + slots * sizeof(VstEvent*), 0);
    auto* block = reinterpret_cast<VstEvents*>(eventsBlock.data());
    block->numEvents = static_cast<VstInt32>(events.size());
    for (std::size_t i = 0; i < midiStore.size(); ++i)
        block->events[i] = reinterpret_cast<VstEvent*>(&midiStore[i]);
    dispatch(effProcessEvents, 0, 0, block);
}

std::string HostedEffect::parameterText(VstInt32 opcode, VstInt32 index)
{
    char text[256] = {};
    dispatch(opcode, index, 0, text);
    return text;
}

std::string HostedEffect::effectText(VstInt32 opcode)
{
    char text[256] = {};
    dispatch(opcode, 0, 0, text);
    return text;
}

void HostedEffect::setTransport(const VstTimeInfo& info)
{
    transport = info;
    hasTransport = true;
}

std::vector<HostRequest> HostedEffect::takeRequests()
{
    std::lock_guard<std::mutex> hold(requestsLock);
    std::vector<HostRequest> taken;
    taken.swap(requests);
    return taken;
}

}  // namespace VstHost
