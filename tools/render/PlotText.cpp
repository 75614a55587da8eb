#include "tools/render/PlotText.h"

#include <cmath>

#include "pixa/Text.h"
#include "plugedit/font/BuiltinFont.h"

namespace Render {

namespace {

Pixa::TextStyle styleOf(float size, Pixa::Color color)
{
    Pixa::TextStyle style{&PlugEdit::builtinFont(false), size, color};
    style.kerning = true;
    style.gamma = 1.6f;  // light text on the dark ground keeps its weight
    return style;
}

}  // namespace

void drawPlotText(Pixa::Canvas& canvas, const std::string& text, float x, float baseline, TextAlign align,
                  Pixa::Color color, float size)
{
    // The painter keeps its coverage buffer from label to label; a picture is drawn on one thread.
    static thread_local Pixa::TextPainter painter;
    const Pixa::TextStyle style = styleOf(size, color);
    const float width = Pixa::textAdvance(text, style);
    const float left = align == TextAlign::left ? x : (align == TextAlign::center ? x - width / 2.0f : x - width);
    painter.drawText(canvas, text, std::round(left), std::round(baseline), style);
}

float plotTextWidth(const std::string& text, float size) { return Pixa::textAdvance(text, styleOf(size, 0)); }

}  // namespace Render
