// The editor object an effect may own: the host opens it into a window of its own.
#pragma once

#include "host/vst24.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~AEffEditor() = default;

    virtual bool getRect(ERect** rect)
    {
        *rect = nullptr;
        return false;
    }
    virtual bool open(void* parentWindow)
    {
        systemWindow = parentWindow;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}

    // Keys and knob modes are refused: the host handles them itself.
    virtual bool onKeyDown(VstInt32 /*character*/, VstInt32 /*virtualKey*/, VstInt32 /*modifiers*/) { return false; }
    virtual bool onKeyUp(VstInt32 /*character*/, VstInt32 /*virtualKey*/, VstInt32 /*modifiers*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }
    virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }
    // The host asks for the editor drawn larger (factor 1 = the designed size); false when it cannot.
    virtual bool setContentScale(float /*factor*/) { return false; }

    AudioEffect* getEffect() { return effect; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};
