#include "plugedit/LimiterLayout.h"

#include "limiter/LimiterParams.h"

namespace PlugEdit {

namespace {

using LimiterParams::declarations;

constexpr KnobPlacement knob(int index, int row, int column)
{
    return {index, row, column, declarations[index].caption};
}

constexpr SwitchPlacement switchAt(int index, int x)
{
    return {index, x, declarations[index].caption, declarations[index].choiceCaptions, declarations[index].choiceMenu};
}

}  // namespace

const KnobPlacement knobLayout[3] = {
    knob(LimiterParams::threshold, 0, 0),
    knob(LimiterParams::makeup, 1, 0),
    knob(LimiterParams::release, 2, 0),
};

// In the order the windows are made.
const SwitchPlacement switchLayout[2] = {
    switchAt(LimiterParams::meterScale, 80),
    switchAt(LimiterParams::dither, 0),
};

}  // namespace PlugEdit
