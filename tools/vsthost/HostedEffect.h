// One plug-in instance driven the way a VST 2.4 host drives it: our callback answers the version,
// the time info from a transport the caller sets, and records automation and edit gestures.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/vst24.h"
#include "tools/vsthost/PluginLibrary.h"

namespace VstHost {

struct HostRequest {
    VstInt32 opcode;
    VstInt32 index;
    float opt;
    VstIntPtr value;
};

class HostedEffect {
public:
    // Calls the entry point with our callback; null when it creates nothing.
    static std::unique_ptr<HostedEffect> create(PluginEntry entry);
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    AEffect* effect() const { return aeffect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    // The usual start: open, rate, block size, resume.
    void start(float sampleRate, VstInt32 blockSize);
    void resume() { dispatch(effMainsChanged, 0, 1); }
    void suspend() { dispatch(effMainsChanged, 0, 0); }

    void processReplacing(float** in, float** out, VstInt32 frames);
    void processDoubleReplacing(double** in, double** out, VstInt32 frames);
    void processAccumulating(float** in, float** out, VstInt32 frames);
    // Hands MIDI events to the plug-in for its next process call; they stay alive until then.
    void sendMidi(const std::vector<VstMidiEvent>& events);
    static VstMidiEvent midiEvent(VstInt32 deltaFrames, int status, int data1, int data2);

    void setParameter(VstInt32 index, float value) { aeffect->setParameter(aeffect, index, value); }
    float getParameter(VstInt32 index) { return aeffect->getParameter(aeffect, index); }
    std::string parameterText(VstInt32 opcode, VstInt32 index);
    std::string effectText(VstInt32 opcode);

    // The transport getTime answers with; until set, getTime answers null.
    void setTransport(const VstTimeInfo& info);

    // Automate, BeginEdit, EndEdit and SizeWindow requests received so far.
    std::vector<HostRequest> takeRequests();

    // effClose: the plug-in deletes itself.
    void close();

private:
    HostedEffect() = default;
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    AEffect* aeffect = nullptr;
    bool hasTransport = false;
    VstTimeInfo transport{};
    std::mutex requestsLock;
    std::vector<HostRequest> requests;
    std::vector<VstMidiEvent> midiStore;
    std::vector<unsigned char> eventsBlock;
};

}  // namespace VstHost
