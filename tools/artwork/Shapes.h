// Small drawing helpers of the artwork over the graphics library's rasterizer.
#pragma once

#include <initializer_list>

#include "pixa/CoverageBuffer.h"
#include "pixa/Paint.h"

namespace Artwork {

// Draws in design units (the 1x picture's pixels); the canvas holds scale device pixels per unit.
// Every coordinate, radius and width is multiplied on the way in, and curves are flattened at the
// device's resolution, so a 2x picture is drawn anew rather than enlarged.
class Pen {
public:
    explicit Pen(Pixa::Canvas& canvas, float scale = 1.0f);
    float scale() const { return factor; }

    void fillPolygon(const Pixa::Path& polygon, const Pixa::Paint& paint);
    void fillDisc(float cx, float cy, float radius, const Pixa::Paint& paint);
    void fillRect(float x0, float y0, float x1, float y1, const Pixa::Paint& paint);
    void stroke(const Pixa::Path& line, float width, bool roundCaps, const Pixa::Paint& paint);
    void strokeCircle(float cx, float cy, float radius, float width, const Pixa::Paint& paint);
    // An arc as appendArc describes it (0 up, clockwise), stroked.
    void strokeArc(float cx, float cy, float radius, float start, float end, float width, bool roundCaps,
                   const Pixa::Paint& paint);
    // A linear gradient between two points given in design units.
    Pixa::GradientPaint gradient(float x0, float y0, float x1, float y1, Pixa::Color startColor,
                                 Pixa::Color endColor) const;

private:
    Pixa::Path toDevice(const Pixa::Path& path) const;
    void fillDevicePolygon(const Pixa::Path& polygon, const Pixa::Paint& paint);

    Pixa::Canvas& canvas;
    float factor;
    Pixa::CoverageBuffer coverage;
};

// Stroked capital letters on a 10 by 14 grid: only what the name needs.
void drawWord(Pen& pen, const char* word, float x, float y, float scale, float width, const Pixa::Paint& paint);

}  // namespace Artwork
