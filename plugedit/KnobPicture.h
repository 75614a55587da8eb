// The knob's picture without its texts: track and value arcs, nine tick dots, the film-strip knob
// cross-faded between neighbouring frames, and the learning badge. Pure drawing into an 80 by 80 canvas
// (at the editor's usual size).
#pragma once

#include "pixa/Canvas.h"

namespace PlugEdit {

struct KnobGeometry {
    static constexpr int size = 80;
    static constexpr float cx = 40.0f, cy = 34.0f;  // (width / 2, (height - 12) / 2)
};

// Values outside 0..1 (a host may send them) are drawn at the nearest end; NaN as 0. At a scale of 2
// every shape is twice the size in a 160 by 160 canvas, from a strip of 80 by 80 frames.
void drawKnobPicture(Pixa::Canvas& canvas, float shownValue, bool learning, const Pixa::Canvas& strip, int scale = 1);

}  // namespace PlugEdit
