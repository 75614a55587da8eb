#include "driver/EffectDriver.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "limiter/Limiter.h"
#include "limiter/LimiterParams.h"
#include "plugcore/ChunkFormat.h"

namespace Driver {

namespace {

// The host the effect sees: a VST 2.4 host that offers nothing else (no time, no automation). What a
// format's host offers reaches the effect through the driver instead.
VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

bool known(int index) { return index >= 0 && index < LimiterParams::count; }

static_assert(EffectDriver::programs == PlugCore::Plug::programCount, "the driver's program count is the effect's");

}  // namespace

std::unique_ptr<EffectDriver> EffectDriver::create(double rate)
{
    if (!(rate >= lowestRate && rate <= highestRate))
        return nullptr;
    std::unique_ptr<EffectDriver> driver(new (std::nothrow) EffectDriver);
    if (!driver)
        return nullptr;
    try {
        driver->effect = new Limiter(quietHost, Companions{nullptr, driver.get(), driver.get()});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    for (std::size_t i = 0; i < midiCapacity; ++i)
        driver->midiBlock.events[i] = reinterpret_cast<VstEvent*>(&driver->midiStorage[i]);
    driver->effect->setSampleRate(static_cast<float>(rate));
    driver->effect->setBlockSize(static_cast<VstInt32>(stretchFrames));
    driver->effect->resume();
    return driver;
}

EffectDriver::~EffectDriver() { delete effect; }

void EffectDriver::restart() { effect->resume(); }

bool EffectDriver::setRate(double rate)
{
    if (!(rate >= lowestRate && rate <= highestRate))
        return false;
    effect->suspend();
    effect->setSampleRate(static_cast<float>(rate));
    effect->resume();
    return true;
}

int EffectDriver::latency() const { return effect->getLatency(); }

int EffectDriver::currentProgram() const { return effect->getProgram(); }

int EffectDriver::programCount() const { return PlugCore::Plug::programCount; }

std::string EffectDriver::programName(int index) const
{
    if (index < 0 || index >= PlugCore::Plug::programCount)
        return {};
    const char* name = effect->program(index).name;
    return std::string(name, strnlen(name, kVstMaxProgNameLen));
}

void EffectDriver::setProgram(int index) { effect->setProgram(index); }

std::string EffectDriver::programName() const
{
    char name[kVstMaxProgNameLen + 1] = {};
    effect->getProgramName(name);
    return name;
}

std::vector<unsigned char> EffectDriver::saveState()
{
    void* data = nullptr;
    const VstInt32 size = effect->getChunk(&data, false);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + std::max<VstInt32>(size, 0));
}

bool EffectDriver::loadState(const void* data, std::size_t size)
{
    if (size > 0x7FFFFFFF || !PlugCore::Chunk::readable(data, size, effect->getName()))
        return false;
    effect->setChunk(const_cast<void*>(data), static_cast<VstInt32>(size), false);
    return true;
}

std::int32_t EffectDriver::binding(int index) const
{
    return known(index) ? effect->paramTable()[index].midiKey.load(std::memory_order_relaxed) : -1;
}

void EffectDriver::bind(int index, std::int32_t key)
{
    if (known(index))
        effect->paramTable().bindKey(index, key);
}

void EffectDriver::armLearn(int index)
{
    if (known(index))
        effect->armLearn(index);
}

void EffectDriver::cancelLearn() { effect->cancelLearn(); }

void EffectDriver::unlearn(int index)
{
    if (known(index))
        effect->unlearn(index);
}

int EffectDriver::learningParameter() const { return effect->learningParam(); }

void EffectDriver::saveDefaults() { effect->saveDefaults(); }

// Straight into the table: the listener hears only what the effect changes itself.
void EffectDriver::setParameter(int index, float value) { effect->paramTable().set(index, value, nullptr); }

float EffectDriver::parameter(int index) const { return effect->paramTable().get(index); }

void EffectDriver::process(const float* const inputs[2], float* const outputs[2], std::uint32_t frames,
                           const BlockEvents& events)
{
    run(inputs, outputs, frames, events);
}

void EffectDriver::process(const double* const inputs[2], double* const outputs[2], std::uint32_t frames,
                           const BlockEvents& events)
{
    run(inputs, outputs, frames, events);
}

// Stretches end at the next parameter change, at stretchFrames, or at the block's end. A change is
// made before the stretch that starts at its frame; MIDI goes with the stretch its frame lies in, at
// its offset there (a message out of order counts as at the stretch's start, one beyond the block as
// at its end). Changes beyond the block are made after it.
template <class Sample> void EffectDriver::run(const Sample* const inputs[2], Sample* const outputs[2],
                                               std::uint32_t frames, const BlockEvents& events)
{
    std::size_t change = 0, message = 0;
    for (std::uint32_t pos = 0;;) {
        for (; change < events.changeCount && events.changes[change].frame <= pos; ++change)
            setParameter(events.changes[change].index, events.changes[change].value);
        std::uint32_t end = pos + std::min(frames - pos, stretchFrames);
        if (change < events.changeCount && events.changes[change].frame < end)
            end = events.changes[change].frame;
        const bool last = end == frames;
        midiBlock.numEvents = 0;
        for (; message < events.midiCount && (last || events.midi[message].frame < end); ++message) {
            const std::uint32_t at = std::clamp(events.midi[message].frame, pos, end);
            queueMidi(events.midi[message], at - pos);
        }
        if (end > pos || midiBlock.numEvents > 0)
            runStretch(inputs, outputs, pos, end);
        pos = end;
        if (last)
            break;
    }
    for (; change < events.changeCount; ++change)
        setParameter(events.changes[change].index, events.changes[change].value);
}

void EffectDriver::queueMidi(const MidiMessage& message, std::uint32_t delta)
{
    if (message.size == 0 || message.size > 3 || message.bytes[0] >= 0xF0 ||
        static_cast<std::size_t>(midiBlock.numEvents) == midiCapacity)
        return;
    VstMidiEvent& midi = midiStorage[midiBlock.numEvents++];
    midi = VstMidiEvent{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof(VstMidiEvent);
    midi.deltaFrames = static_cast<VstInt32>(delta);
    for (std::uint8_t b = 0; b < message.size; ++b)
        midi.midiData[b] = static_cast<char>(message.bytes[b]);
}

template <class Sample> void EffectDriver::runStretch(const Sample* const inputs[2], Sample* const outputs[2],
                                                      std::uint32_t from, std::uint32_t to)
{
    if (midiBlock.numEvents > 0)
        effect->processEvents(reinterpret_cast<VstEvents*>(&midiBlock));
    // The VST 2.4 calls take their buffers unqualified; the effect only reads its inputs.
    Sample* in[2] = {const_cast<Sample*>(inputs[0]) + from, const_cast<Sample*>(inputs[1]) + from};
    Sample* out[2] = {outputs[0] + from, outputs[1] + from};
    const auto n = static_cast<VstInt32>(to - from);
    if constexpr (sizeof(Sample) == sizeof(float))
        effect->processReplacing(in, out, n);
    else
        effect->processDoubleReplacing(in, out, n);
}

void EffectDriver::paramChanged(int index, float)
{
    if (known(index))
        effectChanges.fetch_or(1u << index, std::memory_order_acq_rel);
}

void EffectDriver::paramLearned(int) {}

bool EffectDriver::publishMeters(const void* block)
{
    std::memcpy(&newestMeters, block, sizeof newestMeters);
    PlugCore::IMeterNotify* listener = meterListener.load(std::memory_order_acquire);
    return listener ? listener->publishMeters(block) : true;
}

}  // namespace Driver
