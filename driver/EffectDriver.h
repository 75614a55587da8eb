// One way for every plug-in format beside VST 2.4 to drive the effect: the very Limiter of the VST
// plug-in, made at a rate and run in process calls that carry parameter changes and MIDI messages at
// frame offsets; its meters tapped, its state in and out as the VST 2.4 chunk, its latency. A format
// (lv2/, and the ones to come) only translates its host's calls into these.
//
// A block is cut where parameter changes fall, as the VST 2.4 driver cuts at MIDI events: the frames
// before a change are processed with the old values, the change is made, the rest follows. So a block
// driven here sounds as the VST 2.4 plug-in does when its host splits the block there and sets the
// parameter in between.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/BlockEvents.h"
#include "host/vst24.h"
#include "limiter/MeterBlock.h"
#include "plugcore/IMeterNotify.h"
#include "plugcore/IParamNotify.h"

class Limiter;

namespace Driver {

class EffectDriver final : private PlugCore::IParamNotify, private PlugCore::IMeterNotify {
public:
    // Rates the look-ahead and meter timing are meaningful at: below 2 kHz the look-ahead would be no
    // frame at all, above 768 kHz no audio interface or file format goes.
    static constexpr double lowestRate = 2000.0;
    static constexpr double highestRate = 768000.0;
    // The effect's buffers hold this many frames; longer blocks are cut into stretches of it.
    static constexpr std::uint32_t stretchFrames = 4096;
    // MIDI messages handed over per stretch; more are dropped.
    static constexpr std::size_t midiCapacity = 512;
    // The effect's programs, for formats that list them before an effect exists.
    static constexpr int programs = 8;

    // Made, set to the rate and resumed, so the latency is known at once. Null for a rate out of
    // range or when the memory cannot be had.
    static std::unique_ptr<EffectDriver> create(double rate);
    ~EffectDriver();
    EffectDriver(const EffectDriver&) = delete;
    EffectDriver& operator=(const EffectDriver&) = delete;

    // --- Control thread (never while a process call runs) ----------------------------------------
    // Clears the signal state; the rate stays.
    void restart();
    // Another rate (as a VST 2.4 host sets it: suspended, set, resumed); false, and nothing changed,
    // for a rate out of range. The latency may change with it.
    bool setRate(double rate);
    int latency() const;
    // The program the values belong to, and its name; every program's name; choosing one (its values
    // become the parameters', as a VST 2.4 host's program change makes them).
    int currentProgram() const;
    std::string programName() const;
    int programCount() const;
    std::string programName(int index) const;
    void setProgram(int index);
    // The whole state (values, programs, controller bindings) as the VST 2.4 plug-in saves it: its
    // bank chunk, byte for byte.
    std::vector<unsigned char> saveState();
    // A VST 2.4 chunk (bank or program) of this plug-in, checked whole before anything is applied:
    // false, and nothing changed, for anything else.
    bool loadState(const void* data, std::size_t size);
    // The MIDI controller bound to a parameter (the VST 2.4 binding key, -1: none), and binding one.
    std::int32_t binding(int index) const;
    void bind(int index, std::int32_t key);
    // MIDI learn as the editor runs it: the next controller that arrives binds the armed parameter.
    void armLearn(int index);
    void cancelLearn();
    void unlearn(int index);
    int learningParameter() const;  // -1: no learn runs
    // The current values become what a new instance starts with (the user's defaults file).
    void saveDefaults();

    // --- Any thread ------------------------------------------------------------------------------
    // A normalized value, clamped; it reaches the signal at the next process call. Parameter changes
    // that come with the audio go into process instead.
    void setParameter(int index, float value);
    float parameter(int index) const;
    // Where meter blocks go besides the tap (an editor's mailbox), null for nowhere; the audio thread
    // offers each block once, so the listener must never wait.
    void setMeterListener(PlugCore::IMeterNotify* listener) { meterListener.store(listener); }

    // --- Audio thread ----------------------------------------------------------------------------
    // Stereo, any number of frames; inputs and outputs may be the same buffers.
    void process(const float* const inputs[2], float* const outputs[2], std::uint32_t frames,
                 const BlockEvents& events = {});
    void process(const double* const inputs[2], double* const outputs[2], std::uint32_t frames,
                 const BlockEvents& events = {});
    // The newest meter block the effect published (every 20 ms of audio).
    const MeterBlock& meters() const { return newestMeters; }
    // The parameters the effect changed itself since last asked (a bound MIDI controller, a loaded
    // state), one bit per index, so a format can tell its host.
    std::uint32_t takeEffectChanges() { return effectChanges.exchange(0, std::memory_order_acq_rel); }

private:
    EffectDriver() = default;

    template <class Sample>
    void run(const Sample* const inputs[2], Sample* const outputs[2], std::uint32_t frames, const BlockEvents& events);
    template <class Sample>
    void runStretch(const Sample* const inputs[2], Sample* const outputs[2], std::uint32_t from, std::uint32_t to);
    void queueMidi(const MidiMessage& message, std::uint32_t delta);

    void paramChanged(int index, float value) override;
    void paramLearned(int index) override;
    bool publishMeters(const void* block) override;

    Limiter* effect = nullptr;
    MeterBlock newestMeters;
    std::atomic<PlugCore::IMeterNotify*> meterListener{nullptr};
    std::atomic<std::uint32_t> effectChanges{0};
    // One stretch's MIDI as the VST 2.4 event block the effect takes (fixed storage: nothing is
    // allocated on the audio thread).
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[midiCapacity];
    } midiBlock{};
    VstMidiEvent midiStorage[midiCapacity]{};
};

}  // namespace Driver
