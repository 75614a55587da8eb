// The limiter's meter as a picture: output peak and average bars, peak-hold marks and the gain-reduction
// bar, cut to the meter window. Pure drawing, so the window code only blits what this makes.
#pragma once

#include "limiter/MeterBlock.h"
#include "pixa/CoverageBuffer.h"

namespace PlugEdit {

// 0 at the bottom of the meter, 1 at the top: 1 + dB / 20, or 1 + dB / 40 on the wide scale.
float meterPosition(float value, bool wideScale);

// Turns the block's levels into positions (in place), then redraws meterCanvas from scratch; the
// canvases and the coverage buffer are the editor's size (160 by 260, times the scale).
void drawMeterPicture(MeterBlock& block, Pixa::Canvas& meterCanvas, Pixa::Canvas& scratchCanvas,
                      Pixa::CoverageBuffer& coverage, int scale = 1);

}  // namespace PlugEdit
