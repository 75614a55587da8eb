// Small drawing helpers of the artwork over the graphics library's rasterizer.
#pragma once

#include <initializer_list>

#include "pixa/CoverageBuffer.h"

namespace Artwork {

class Pen {
public:
    explicit Pen(Pixa::Canvas& canvas);
    void fillPolygon(const Pixa::Path& polygon, const Pixa::Paint& paint);
    void fillDisc(float cx, float cy, float radius, const Pixa::Paint& paint);
    void fillRect(float x0, float y0, float x1, float y1, const Pixa::Paint& paint);
    void stroke(const Pixa::Path& line, float width, bool roundCaps, const Pixa::Paint& paint);
    void strokeCircle(float cx, float cy, float radius, float width, const Pixa::Paint& paint);

private:
    Pixa::Canvas& canvas;
    Pixa::CoverageBuffer coverage;
};

// Stroked capital letters on a 10 by 14 grid: only what the name needs.
void drawWord(Pen& pen, const char* word, float x, float y, float scale, float width, const Pixa::Paint& paint);

}  // namespace Artwork
