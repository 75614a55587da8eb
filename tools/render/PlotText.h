// The picture's labels, in the editor's built-in font (DejaVu Sans).
#pragma once

#include <string>

#include "pixa/Canvas.h"

namespace Render {

enum class TextAlign { left, center, right };

// A label of `size` pixels per em with its baseline at `baseline`, starting at, centred on or ending at x.
void drawPlotText(Pixa::Canvas& canvas, const std::string& text, float x, float baseline, TextAlign align,
                  Pixa::Color color, float size = 13.0f);
// Its width in pixels.
float plotTextWidth(const std::string& text, float size = 13.0f);

}  // namespace Render
