// MIDI input: notes reach the effect's hooks, controllers drive the parameters bound to them, and a
// parameter armed for learning is bound to the next learnable controller.
#include "plugcore/MidiKeys.h"
#include "plugcore/Plug.h"

namespace PlugCore {

VstInt32 Plug::processEvents(VstEvents* events)
{
    pendingEvents = events;
    return 1;
}

void Plug::handleMidiEvent(const VstMidiEvent& event)
{
    const auto status = static_cast<unsigned char>(event.midiData[0]);
    const auto data1 = static_cast<unsigned char>(event.midiData[1]);
    const auto data2 = static_cast<unsigned char>(event.midiData[2]);
    switch (status & 0xF0) {
    case 0x80:
        noteOff(data1, data2);
        break;
    case 0x90:
        if (data2 != 0)
            noteOn(data1, data2);
        else
            noteOff(data1, 100);
        break;
    case 0xB0:
        handleController(controllerKey(data1), data2);
        break;
    default:
        break;
    }
}

void Plug::handleController(VstInt32 key, VstInt32 data)
{
    const int cc = key & 0xFF;
    switch (controllerRole(cc)) {
    case ControllerRole::ignored:
        break;
    case ControllerRole::allSoundOff:
        reset();
        break;
    case ControllerRole::allNotesOff:
        for (VstInt32 note = 0; note < 128; ++note)
            noteOff(note, 100);
        break;
    case ControllerRole::learnable:
        learnAndDrive(key, data);
        break;
    }
}

void Plug::learnAndDrive(VstInt32 key, VstInt32 data)
{
    const std::int32_t boundKey = signExtendKey(key);
    VstInt32 armed = learnParam.load(std::memory_order_acquire);
    if (armed != -1 && params.contains(armed)) {
        params.bindKey(armed, boundKey);
        if (IParamNotify* listener = paramListener())
            listener->paramLearned(armed);
    }
    // Clears the arm only if it is still the one just served: an arm stored meanwhile survives.
    if (armed != -1)
        learnParam.compare_exchange_strong(armed, -1, std::memory_order_acq_rel);

    const float x = static_cast<float>(data) * (1.0f / 127.0f);
    for (unsigned i = 0; i < params.size(); ++i) {
        if (params[static_cast<int>(i)].midiKey.load(std::memory_order_relaxed) == boundKey) {
            setParameter(static_cast<VstInt32>(i), x);
            return;
        }
    }
    controlChange(key, x);
}

void Plug::armLearn(VstInt32 index)
{
    if (params.contains(index))
        learnParam.store(index, std::memory_order_release);
}

void Plug::cancelLearn() { learnParam.store(-1, std::memory_order_release); }

void Plug::unlearn(VstInt32 index)
{
    if (params.contains(index))
        params.bindKey(index, -1);
}

}  // namespace PlugCore
