// The editor's bitmaps, built into the library from the same BMP files as the Windows resources.
#pragma once

#include "pixa/Canvas.h"

namespace X11Edit {

// The background (bitmap 101), opaque, 160 by 260.
const Pixa::Canvas& backgroundCanvas();
// The knob film strip with its mask as alpha, as the Windows editor loads it from bitmaps 901 and 902.
const Pixa::Canvas& knobStripCanvas();

}  // namespace X11Edit
