#include "tools/artwork/Shapes.h"

#include <cmath>
#include <vector>

namespace Artwork {

using Pixa::Path;
using Pixa::Point;

Pen::Pen(Pixa::Canvas& canvas, float scale) : canvas(canvas), factor(scale)
{
    coverage.create(static_cast<std::int32_t>(canvas.getWidth()), static_cast<std::int32_t>(canvas.getHeight()));
}

Path Pen::toDevice(const Path& path) const
{
    Path device;
    for (const Point& p : path)
        device.push_back({p.x * factor, p.y * factor});
    return device;
}

void Pen::fillDevicePolygon(const Path& polygon, const Pixa::Paint& paint)
{
    coverage.addPolygon(polygon);
    Pixa::fillCoverage(canvas, coverage, paint);
    coverage.clear();
}

void Pen::fillPolygon(const Path& polygon, const Pixa::Paint& paint) { fillDevicePolygon(toDevice(polygon), paint); }

void Pen::fillDisc(float cx, float cy, float radius, const Pixa::Paint& paint)
{
    Path disc;
    Pixa::appendArc(disc, radius * factor, 0.0f, 2.0f * 3.14159265358979f, cx * factor, cy * factor);
    fillDevicePolygon(disc, paint);
}

void Pen::fillRect(float x0, float y0, float x1, float y1, const Pixa::Paint& paint)
{
    fillPolygon(Path{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, paint);
}

void Pen::stroke(const Path& line, float width, bool roundCaps, const Pixa::Paint& paint)
{
    Path outline;
    Pixa::strokePath(outline, width * factor, roundCaps, toDevice(line));
    fillDevicePolygon(outline, paint);
}

void Pen::strokeCircle(float cx, float cy, float radius, float width, const Pixa::Paint& paint)
{
    // A ring: the outer and inner discs cancel inside under the even-odd rule.
    Path outer, inner;
    Pixa::appendArc(outer, (radius + width / 2) * factor, 0.0f, 2.0f * 3.14159265358979f, cx * factor, cy * factor);
    Pixa::appendArc(inner, (radius - width / 2) * factor, 0.0f, 2.0f * 3.14159265358979f, cx * factor, cy * factor);
    coverage.addPolygon(outer);
    coverage.addPolygon(inner);
    Pixa::fillCoverage(canvas, coverage, paint);
    coverage.clear();
}

void Pen::strokeArc(float cx, float cy, float radius, float start, float end, float width, bool roundCaps,
                    const Pixa::Paint& paint)
{
    Path arc, outline;
    Pixa::appendArc(arc, radius * factor, start, end, cx * factor, cy * factor);
    Pixa::strokePath(outline, width * factor, roundCaps, arc);
    fillDevicePolygon(outline, paint);
}

Pixa::GradientPaint Pen::gradient(float x0, float y0, float x1, float y1, Pixa::Color startColor,
                                  Pixa::Color endColor) const
{
    return Pixa::GradientPaint::between(x0 * factor, y0 * factor, x1 * factor, y1 * factor, startColor, endColor);
}

namespace {

using Strokes = std::vector<std::vector<Point>>;

Strokes glyph(char c)
{
    switch (c) {
    case 'T': return {{{0, 0}, {10, 0}}, {{5, 0}, {5, 14}}};
    case 'A': return {{{0, 14}, {5, 0}, {10, 14}}, {{2.1f, 8.5f}, {7.9f, 8.5f}}};
    case 'R': return {{{0, 14}, {0, 0}, {6, 0}, {8.6f, 0.9f}, {9.5f, 3.5f}, {8.6f, 6.1f}, {6, 7}, {0, 7}},
                      {{5, 7}, {10, 14}}};
    case 'N': return {{{0, 14}, {0, 0}, {10, 14}, {10, 0}}};
    default: return {};
    }
}

// The R's bowl runs on into the stem as one stroke at 1x (the committed bitmaps are drawn so), where
// the even-odd fill barely dims the spot its end cap shares with the stem. Finer, that spot shows as
// a dark notch, so there the bowl's last bar becomes a stroke of its own, butt-ended inside the stem.
Strokes buttEndedBars(char c, Strokes& glyphStrokes)
{
    if (c != 'R')
        return {};
    glyphStrokes.front().pop_back();
    return {{{6, 7}, {0, 7}}};
}

}  // namespace

void drawWord(Pen& pen, const char* word, float x, float y, float scale, float width, const Pixa::Paint& paint)
{
    auto draw = [&](const Strokes& strokes, bool roundCaps) {
        for (const auto& line : strokes) {
            Path path;
            for (const Point& p : line)
                path.push_back({x + p.x * scale, y + p.y * scale});
            pen.stroke(path, width, roundCaps, paint);
        }
    };
    for (; *word; ++word, x += 14.0f * scale) {
        Strokes strokes = glyph(*word);
        const Strokes bars = pen.scale() > 1.0f ? buttEndedBars(*word, strokes) : Strokes{};
        draw(strokes, true);
        draw(bars, false);
    }
}

}  // namespace Artwork
