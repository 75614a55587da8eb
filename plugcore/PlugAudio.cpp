// The audio driver: either precision runs the effect on sub-blocks cut at the positions of the MIDI
// events that came with the call. Single precision reaches the effect as it is (an effect that cannot take
// it has it widened into the conversion buffers and narrowed back); the accumulating process call widens
// the whole block first.
#include <algorithm>
#include <type_traits>

#include "platform/Platform.h"
#include "plugcore/Plug.h"

namespace PlugCore {

namespace {

template <bool accumulate>
void narrow(float** outputs, double* const* buffers, VstInt32 channels, VstInt32 frames)
{
    for (VstInt32 c = 0; c < channels; ++c) {
        float* out = outputs[c];
        const double* in = buffers[c];
        for (VstInt32 i = 0; i < frames; ++i) {
            if (accumulate)
                out[i] += static_cast<float>(in[i]);
            else
                out[i] = static_cast<float>(in[i]);
        }
    }
}

void widen(double* const* buffers, const float* const* inputs, VstInt32 channels, VstInt32 frames)
{
    for (VstInt32 c = 0; c < channels; ++c) {
        double* out = buffers[c];
        const float* in = inputs[c];
        for (VstInt32 i = 0; i < frames; ++i)
            out[i] = in[i];
    }
}

}  // namespace

void Plug::processReplacing(float** inputs, float** outputs, VstInt32 frames)
{
    processSingle<false>(inputs, outputs, frames);
}

void Plug::process(float** inputs, float** outputs, VstInt32 frames) { processSingle<true>(inputs, outputs, frames); }

template <bool accumulate>
void Plug::processSingle(float** inputs, float** outputs, VstInt32 frames)
{
    if (!conversionBlock)
        allocateBuffers(blockSize);
    if (frames > blockSize)
        return;
    if (!conversionBlock) {
        // Without conversion buffers the plug-in is silent: nothing replaces, nothing adds.
        if (!accumulate)
            for (VstInt32 c = 0; c < 2 * outputPairs; ++c)
                std::fill(outputs[c], outputs[c] + std::max<VstInt32>(frames, 0), 0.0f);
        return;
    }
    if (accumulate) {
        widen(inputBuffers.get(), inputs, 2 * inputPairs, frames);
        processDoubleReplacing(inputBuffers.get(), outputBuffers.get(), frames);
        narrow<accumulate>(outputs, outputBuffers.get(), 2 * outputPairs, frames);
    } else {
        processCutAtEvents(inputs, outputs, frames);
    }
}

void Plug::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames)
{
    if (frames > getBlockSize()) {
        // The buffers hold the announced block size only. A host that sends more is broken and its
        // audio is lost, so the user is told at once, even from the audio thread (a working host never
        // gets here). The host's event block is valid only during this call: it must not reach the next.
        pendingEvents = nullptr;
        Platform::showMessageBox("PANIC", "ALLERT", Platform::MessageStyle::plainOk);
        return;
    }
    processCutAtEvents(inputs, outputs, frames);
}

template <class Sample> void Plug::processCutAtEvents(Sample** inputs, Sample** outputs, VstInt32 frames)
{
    frames = std::max<VstInt32>(frames, 0);
    bool changed = params.takeChanges();

    const VstTimeInfo* time = getTimeInfo(kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying);
    const float tempo = (time && (time->flags & kVstTempoValid)) ? static_cast<float>(time->tempo) : 120.0f;
    const bool playing = time && (time->flags & kVstTransportPlaying);
    if (playing && (time->flags & kVstPpqPosValid))
        songPosition = time->ppqPos;

    VstInt32 pos = 0;
    if (pendingEvents && pendingEvents->numEvents > 0) {
        const VstEvents& events = *pendingEvents;
        VstInt32 i = 0;
        while (i < events.numEvents) {
            // An event earlier than the current position (out of order, or negative) counts as at it.
            const VstEvent* event = events.events[i];
            const VstInt32 d = std::max(event ? event->deltaFrames : pos, pos);
            if (d > frames) {
                while (i < events.numEvents)
                    i = dispatchEvents(events, i);
                break;
            }
            if (d != pos)
                runEffect(pos, d, changed, tempo, playing, inputs, outputs);
            pos = d;
            i = dispatchEvents(events, i);
        }
    }
    if (pos < frames)
        runEffect(pos, frames, changed, tempo, playing, inputs, outputs);
    pendingEvents = nullptr;
}

template <class Sample>
void Plug::runEffect(VstInt32 from, VstInt32 to, bool& changed, double tempo, bool playing, Sample** inputs,
                     Sample** outputs)
{
    Sample** inputAt;
    Sample** outputAt;
    if constexpr (std::is_same_v<Sample, float>) {
        inputAt = singleInputCursor.get();
        outputAt = singleOutputCursor.get();
    } else {
        inputAt = inputCursor.get();
        outputAt = outputCursor.get();
    }
    for (VstInt32 c = 0; c < 2 * inputPairs; ++c)
        inputAt[c] = inputs[c] + from;
    for (VstInt32 c = 0; c < 2 * outputPairs; ++c)
        outputAt[c] = outputs[c] + from;
    const double rate = sampleRate;
    const double beatsPerSample = tempo / (rate * 60.0);
    const TransportInfo info{tempo, songPosition, beatsPerSample, rate};
    const bool keepRunning = effectBlock(changed, info, inputAt, outputAt, to - from);
    changed = false;
    if (keepRunning || playing)
        songPosition += (to - from) * tempo / (rate * 60.0);
    else
        songPosition = 0.0;
}

// Through the double path: the part widened into the conversion buffers and narrowed back, sample for
// sample as widening and narrowing the whole host block around it. Each part's inputs are read before its
// outputs are written, so in-place host buffers are fine.
bool Plug::processBlockSingle(bool paramsChanged, const TransportInfo& info, float** inputs, float** outputs,
                              VstInt32 frames)
{
    widen(inputBuffers.get(), inputs, 2 * inputPairs, frames);
    const bool keepRunning = processBlock(paramsChanged, info, inputBuffers.get(), outputBuffers.get(), frames);
    narrow<false>(outputs, outputBuffers.get(), 2 * outputPairs, frames);
    return keepRunning;
}

VstInt32 Plug::dispatchEvents(const VstEvents& events, VstInt32 first)
{
    const VstEvent* head = events.events[first];
    const VstInt32 t = head ? head->deltaFrames : 0;
    for (VstInt32 j = first; j < events.numEvents; ++j) {
        const VstEvent* event = events.events[j];
        if (!event)
            continue;
        if (event->deltaFrames > t)
            return j;
        if (event->type == kVstMidiType)
            handleMidiEvent(*reinterpret_cast<const VstMidiEvent*>(event));
    }
    return events.numEvents;
}

}  // namespace PlugCore
