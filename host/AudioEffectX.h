// The extended layer of VST 2.4: the opcodes from 25 on, and the host requests added with them.
#pragma once

#include "host/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual VstInt32 processEvents(VstEvents* /*events*/) { return 0; }
    virtual bool canParameterBeAutomated(VstInt32 /*index*/) { return true; }
    virtual VstInt32 getNumCategories() { return 1; }
    virtual bool getInputProperties(VstInt32 /*index*/, VstPinProperties* /*properties*/) { return false; }
    virtual bool getOutputProperties(VstInt32 /*index*/, VstPinProperties* /*properties*/) { return false; }
    virtual bool setBlockSizeAndSampleRate(VstInt32 size, float rate)
    {
        blockSize = size;
        sampleRate = rate;
        return true;
    }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 canDo(char* /*text*/) { return 0; }
    virtual bool keysRequired() { return false; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstInt32 getCurrentMidiProgram(VstInt32 /*channel*/, void* /*programInfo*/) { return -1; }
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output)
    {
        *input = nullptr;
        *output = nullptr;
        return false;
    }
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }

    // Host requests.
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    virtual bool wantEvents(VstInt32 filter = 1) { return callHost(audioMasterWantMidi, 0, filter) != 0; }
    virtual VstInt32 tempoAt(VstInt32 pos) { return answer(audioMasterTempoAt, 0, pos); }
    virtual VstInt32 getNumAutomatableParameters() { return answer(audioMasterGetNumAutomatableParameters); }
    virtual VstInt32 getParameterQuantization() { return answer(audioMasterGetParameterQuantization); }
    virtual bool ioChanged() { return callHost(audioMasterIOChanged) != 0; }
    virtual bool needIdle() { return callHost(audioMasterNeedIdle) != 0; }
    virtual bool sizeWindow(VstInt32 width, VstInt32 height)
    {
        return callHost(audioMasterSizeWindow, width, height) != 0;
    }
    virtual double updateSampleRate();
    virtual VstInt32 updateBlockSize();
    virtual VstInt32 getInputLatency() { return answer(audioMasterGetInputLatency); }
    virtual VstInt32 getOutputLatency() { return answer(audioMasterGetOutputLatency); }
    virtual VstInt32 willProcessReplacing() { return answer(audioMasterWillReplaceOrAccumulate); }
    virtual VstInt32 getCurrentProcessLevel() { return answer(audioMasterGetCurrentProcessLevel); }
    virtual VstInt32 getAutomationState() { return answer(audioMasterGetAutomationState); }
    virtual bool getHostVendorString(char* text) { return callHost(audioMasterGetVendorString, 0, 0, text) != 0; }
    virtual bool getHostProductString(char* text)
    {
        return callHost(audioMasterGetProductString, 0, 0, text) != 0;
    }
    virtual VstInt32 getHostVendorVersion() { return answer(audioMasterGetVendorVersion); }
    virtual VstIntPtr hostVendorSpecific(VstInt32 a, VstIntPtr b, void* ptr, float f)
    {
        return callHost(audioMasterVendorSpecific, a, b, ptr, f);
    }
    virtual bool canHostDo(char* text) { return callHost(audioMasterCanDo, 0, 0, text) != 0; }
    virtual VstInt32 getHostLanguage() { return answer(audioMasterGetLanguage); }
    virtual void* getDirectory() { return reinterpret_cast<void*>(callHost(audioMasterGetDirectory)); }
    virtual bool updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }

    // Descriptor flags without a host request.
    virtual void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
    virtual void noTail(bool state = true) { setFlag(effFlagsNoSoundInStop, state); }
    virtual VstPlugCategory getPlugCategory()
    {
        return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
    }

private:
    VstInt32 answer(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0)
    {
        return static_cast<VstInt32>(callHost(opcode, index, value));
    }
};
