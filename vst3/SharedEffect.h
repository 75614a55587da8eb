// The effect the two halves of the VST3 plug-in share. The processor makes it and runs it; the edit
// controller, once linked, reads its program names, arms MIDI learn through it, and its view taps its
// meters. The controller finds it by the token the processor's link message carries, looked up among
// the effects alive in this process: an address from a message is never followed.
#pragma once

#include <travesty/edit_controller.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "driver/EffectDriver.h"
#include "plugedit/MeterMailbox.h"

namespace Vst3Face {

class SharedEffect {
public:
    // A new effect (one reference, the caller's), or null when the memory cannot be had.
    static SharedEffect* create();
    // The living effect with this token, with a reference for the caller; null when there is none.
    static SharedEffect* find(std::uint64_t token);

    void retain() { references.fetch_add(1, std::memory_order_relaxed); }
    void release();

    std::uint64_t token() const { return token_; }
    Driver::EffectDriver& driver() { return *driver_; }
    // Where the audio thread's meter blocks wait for the view.
    PlugEdit::MeterMailbox& meters() { return mailbox; }

    // The linked controller's component handler (not counted: the controller clears it before it
    // goes), through which the processor asks the host to restart, as only the controller may.
    void setHandler(v3_component_handler** handler) { handler_.store(handler); }
    void restartHost(int32_t flags);

private:
    SharedEffect() = default;
    ~SharedEffect();

    std::atomic<std::uint32_t> references{1};
    std::uint64_t token_ = 0;
    std::unique_ptr<Driver::EffectDriver> driver_;
    PlugEdit::MeterMailbox mailbox{sizeof(MeterBlock)};
    std::atomic<v3_component_handler**> handler_{nullptr};
};

}  // namespace Vst3Face
