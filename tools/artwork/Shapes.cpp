#include "tools/artwork/Shapes.h"

#include <cmath>
#include <vector>

namespace Artwork {

using Pixa::Path;
using Pixa::Point;

Pen::Pen(Pixa::Canvas& canvas) : canvas(canvas)
{
    coverage.create(static_cast<std::int32_t>(canvas.getWidth()), static_cast<std::int32_t>(canvas.getHeight()));
}

void Pen::fillPolygon(const Path& polygon, const Pixa::Paint& paint)
{
    coverage.addPolygon(polygon);
    Pixa::fillCoverage(canvas, coverage, paint);
    coverage.clear();
}

void Pen::fillDisc(float cx, float cy, float radius, const Pixa::Paint& paint)
{
    Path disc;
    Pixa::appendArc(disc, radius, 0.0f, 2.0f * 3.14159265358979f, cx, cy);
    fillPolygon(disc, paint);
}

void Pen::fillRect(float x0, float y0, float x1, float y1, const Pixa::Paint& paint)
{
    fillPolygon(Path{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, paint);
}

void Pen::stroke(const Path& line, float width, bool roundCaps, const Pixa::Paint& paint)
{
    Path outline;
    Pixa::strokePath(outline, width, roundCaps, line);
    fillPolygon(outline, paint);
}

void Pen::strokeCircle(float cx, float cy, float radius, float width, const Pixa::Paint& paint)
{
    // A ring: the outer and inner discs cancel inside under the even-odd rule.
    Path outer, inner;
    Pixa::appendArc(outer, radius + width / 2, 0.0f, 2.0f * 3.14159265358979f, cx, cy);
    Pixa::appendArc(inner, radius - width / 2, 0.0f, 2.0f * 3.14159265358979f, cx, cy);
    coverage.addPolygon(outer);
    coverage.addPolygon(inner);
    Pixa::fillCoverage(canvas, coverage, paint);
    coverage.clear();
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

}  // namespace

void drawWord(Pen& pen, const char* word, float x, float y, float scale, float width, const Pixa::Paint& paint)
{
    for (; *word; ++word, x += 14.0f * scale) {
        for (const auto& line : glyph(*word)) {
            Path path;
            for (const Point& p : line)
                path.push_back({x + p.x * scale, y + p.y * scale});
            pen.stroke(path, width, true, paint);
        }
    }
}

}  // namespace Artwork
