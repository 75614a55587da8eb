// The editor's pictures, drawn with the editor's own graphics library so they can be changed and
// regenerated: the 160 by 260 background (bitmap 101) and the knob film strip (bitmaps 901 and 902),
// and the same drawn anew at twice the size for editors that are shown larger.
#pragma once

#include <memory>

#include "pixa/Canvas.h"

namespace Artwork {

constexpr int editorWidth = 160, editorHeight = 260;
constexpr int knobFrames = 101, knobFrameSize = 40;

// Opaque: dark brown ground, the meter well with its golden scale, the name and the maker's mark. At
// scale s (1 or 2) the canvas is 160 s by 260 s.
void drawBackground(Pixa::Canvas& canvas, int scale = 1);
// Frame k at rows 40 s k..40 s (k + 1) - 1 of a strip 40 s wide: the pointer stands at -140 + 2.8 k
// degrees (0 up, clockwise).
void drawKnobFrame(Pixa::Canvas& strip, int k, int scale = 1);

// The whole background, and the whole strip of every frame, in canvases of their size at the scale.
std::unique_ptr<Pixa::Canvas> drawnBackground(int scale = 1);
std::unique_ptr<Pixa::Canvas> drawnKnobStrip(int scale = 1);

}  // namespace Artwork
