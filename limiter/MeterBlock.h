#pragma once

#include <cstddef>

// The meter values the audio thread gathers and hands to the editor every 20 ms.
struct MeterBlock {
    bool wideScale = false;
    float outPeak[2] = {0.0f, 0.0f};
    float outPower[2] = {0.0f, 0.0f};
    float minGain = 1.0f;
    float peakHold[2] = {0.0f, 0.0f};
};

static_assert(sizeof(MeterBlock) == 32, "the editor copies the block by its byte size");
static_assert(offsetof(MeterBlock, outPeak) == 4 && offsetof(MeterBlock, peakHold) == 24, "MeterBlock layout");
