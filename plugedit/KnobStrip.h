#pragma once

#include "pixa/Canvas.h"

namespace PlugEdit {

// The knob film strip (bitmaps 901 and 902 of this module: colour and alpha mask), 101 frames of 40 by
// 40, loaded at the first call and shared until the library unloads.
const Pixa::Canvas& knobStripCanvas();

}  // namespace PlugEdit
