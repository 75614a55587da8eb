// The editor's bitmaps, built into the library from the same BMP files as the Windows resources, and
// the same pictures drawn at twice the size for an editor shown larger.
#pragma once

#include "pixa/Canvas.h"

namespace X11Edit {

// The background (bitmap 101), opaque, 160 by 260; at scale 2, 320 by 520.
const Pixa::Canvas& backgroundCanvas(int scale = 1);
// The knob film strip with its mask as alpha, as the Windows editor loads it from bitmaps 901 and 902:
// 101 frames of 40 by 40, frame k at rows 40k; at scale 2, frames of 80 by 80 at rows 80k.
const Pixa::Canvas& knobStripCanvas(int scale = 1);

}  // namespace X11Edit
