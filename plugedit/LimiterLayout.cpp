#include "plugedit/LimiterLayout.h"

#include "limiter/LimiterParams.h"

namespace PlugEdit {

const KnobPlacement knobLayout[3] = {
    {LimiterParams::threshold, 0, 0, "threshold"},
    {LimiterParams::makeup, 1, 0, "makeup"},
    {LimiterParams::release, 2, 0, "release"},
};

namespace {
const char* const displayStates[2] = {"20dB", "40dB"};
const char* const displayMenu[2] = {"20dB scale", "40dB scale"};
const char* const ditherStates[2] = {"16 bit", "24 bit"};
}  // namespace

// In the order the windows are made.
const SwitchPlacement switchLayout[2] = {
    {LimiterParams::meterScale, 80, "display", displayStates, displayMenu},
    {LimiterParams::dither, 0, "dither", ditherStates, ditherStates},
};

}  // namespace PlugEdit
