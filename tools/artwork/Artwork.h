// The editor's pictures, drawn with the editor's own graphics library so they can be changed and
// regenerated: the 160 by 260 background (bitmap 101) and the knob film strip (bitmaps 901 and 902).
#pragma once

#include "pixa/Canvas.h"

namespace Artwork {

constexpr int editorWidth = 160, editorHeight = 260;
constexpr int knobFrames = 101, knobFrameSize = 40;

// Opaque: dark brown ground, the meter well with its golden scale, the name and the maker's mark.
void drawBackground(Pixa::Canvas& canvas);
// Frame k at rows 40k..40k+39: the pointer stands at -140 + 2.8 k degrees (0 up, clockwise).
void drawKnobFrame(Pixa::Canvas& strip, int k);

}  // namespace Artwork
