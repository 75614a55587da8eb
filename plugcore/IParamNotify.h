#pragma once

namespace PlugCore {

// Told when a parameter was set through the plug-in or bound by MIDI learn. Called on the setter's
// thread, the audio thread included: implementations only post a message and return.
class IParamNotify {
public:
    virtual void paramChanged(int index, float value) = 0;
    virtual void paramLearned(int index) = 0;

protected:
    ~IParamNotify() = default;
};

}  // namespace PlugCore
