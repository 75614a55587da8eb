// The effect's meter mailbox in an LV2 host: the limiter publishes its MeterBlock here on the audio
// thread, within run, and run copies the newest one to the meter ports. No window, no lock: only the
// audio thread touches it.
#pragma once

#include <cstring>

#include "host/AEffEditor.h"
#include "limiter/MeterBlock.h"
#include "plugcore/IMeterNotify.h"

class MeterTap : public AEffEditor, public PlugCore::IMeterNotify {
public:
    explicit MeterTap(AudioEffect* effect) : AEffEditor(effect) {}

    bool publishMeters(const void* block) override
    {
        std::memcpy(&newest, block, sizeof newest);
        return true;
    }
    const MeterBlock& meters() const { return newest; }

private:
    MeterBlock newest;
};
