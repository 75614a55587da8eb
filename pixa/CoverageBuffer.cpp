#include "pixa/CoverageBuffer.h"

#include <algorithm>
#include <cstdlib>

namespace Pixa {

namespace {

// Sixteenths of a pixel, truncated toward zero; absurd coordinates (NaN, far beyond any canvas) are
// held to a million pixels so the conversion and the edge walk stay defined.
std::int32_t sixteenths(float v)
{
    constexpr float limit = 16.0f * (1 << 20);
    const float scaled = v * 16.0f;
    if (!(scaled > -limit))
        return scaled != scaled ? 0 : -static_cast<std::int32_t>(limit);
    return scaled < limit ? static_cast<std::int32_t>(scaled) : static_cast<std::int32_t>(limit);
}

}  // namespace

void CoverageBuffer::create(std::int32_t newWidth, std::int32_t newHeight)
{
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    cells.reset(new std::int16_t[static_cast<std::size_t>(width) * static_cast<std::size_t>(height)]);
    spans.reset(new RowSpan[static_cast<std::size_t>(height)]);
    for (std::int32_t r = 0; r < height; ++r)
        spans[static_cast<std::size_t>(r)] = {0, static_cast<std::uint32_t>(width)};
    clear();
}

void CoverageBuffer::clear()
{
    for (std::int32_t r = 0; r < height; ++r) {
        RowSpan& s = spans[static_cast<std::size_t>(r)];
        if (s.first < s.end)
            std::fill(cells.get() + index(r, static_cast<std::int32_t>(s.first)),
                      cells.get() + index(r, static_cast<std::int32_t>(s.end)), std::int16_t(0));
        s = {static_cast<std::uint32_t>(width), 0};
    }
}

void CoverageBuffer::addLine(Point p, Point q)
{
    std::int32_t xs = sixteenths(p.x), ys = sixteenths(p.y);
    std::int32_t xe = sixteenths(q.x), ye = sixteenths(q.y);
    std::int32_t d = 1;
    if (ye < ys) {
        d = -1;
        std::swap(xs, xe);
        std::swap(ys, ye);
    }

    const std::int32_t spanFirst = std::max(std::min(xs, xe) >> 4, 0);
    const std::int32_t spanEnd = std::min(std::max((std::max(xs, xe) >> 4) + 2, 0), width);
    const std::int32_t lastRow = std::min(std::max((ye >> 4) + 1, 0), height);
    for (std::int32_t r = std::max(ys >> 4, 0); r < lastRow; ++r) {
        RowSpan& s = spans[static_cast<std::size_t>(r)];
        s.first = std::min(s.first, static_cast<std::uint32_t>(spanFirst));
        s.end = std::max(s.end, static_cast<std::uint32_t>(spanEnd));
    }

    const std::int32_t dy = ye - ys, dx = xe - xs;
    if (dy <= 0)
        return;
    if (dx == 0) {
        addVerticalEdge(xs, ys, ye, d);
        return;
    }
    const std::int32_t step = dx > 0 ? 1 : -1;
    const std::int32_t adx = std::abs(dx);
    // After k sub-scanlines x = xs + step * floor(k * adx / dy): whole steps of adx / dy each time,
    // plus one more whenever the remainders add up to dy.
    const std::int32_t wholeSteps = step * (adx / dy), remainder = adx % dy;
    std::int32_t x = xs, y = ys, err = 0;
    for (std::int32_t k = 0; k < dy; ++k) {
        ++y;
        const std::int32_t row = y >> 4;
        if (row >= 0 && row < height)
            deposit(row, x, d);
        x += wholeSteps;
        err += remainder;
        if (err >= dy) {
            x += step;
            err -= dy;
        }
    }
}

void CoverageBuffer::deposit(std::int32_t row, std::int32_t x, std::int32_t amount)
{
    const std::int32_t col = x >> 4, f = x & 15;
    const std::int32_t left = std::max(col, 0), right = std::max(col + 1, 0);
    std::int16_t* line = cells.get() + index(row, 0);
    if (left < width)
        line[left] = static_cast<std::int16_t>(line[left] + amount * (16 - f));
    if (right < width)
        line[right] = static_cast<std::int16_t>(line[right] + amount * f);
}

// The same sums as the sub-scanline walk, one deposit per row: a vertical edge keeps its x, so the
// sub-scanlines ys + 1 .. ye of each row add alike.
void CoverageBuffer::addVerticalEdge(std::int32_t x, std::int32_t ys, std::int32_t ye, std::int32_t d)
{
    const std::int32_t first = std::max((ys + 1) >> 4, 0);
    const std::int32_t last = std::min(ye >> 4, height - 1);
    for (std::int32_t row = first; row <= last; ++row) {
        const std::int32_t from = std::max(ys + 1, row * 16), to = std::min(ye, row * 16 + 15);
        deposit(row, x, d * (to - from + 1));
    }
}

void CoverageBuffer::addPolygon(const Path& path)
{
    if (path.size() < 2)
        return;
    for (auto previous = path.begin(), at = previous + 1; at != path.end(); previous = at++)
        addLine(*at, *previous);
    addLine(path.front(), path.back());
}

namespace {

// The fill loop, generic over how a colour is looked up (so the library's own paints skip the virtual
// call; every lookup answers exactly what colorAt would) and over how the even-odd coverage (0..255)
// becomes the alpha the colour is laid down with.
template <typename ColorLookup, typename AlphaOfCoverage>
void fillRows(Canvas& canvas, const CoverageBuffer& coverage, const ColorLookup& colorAt, const AlphaOfCoverage& alphaFor)
{
    const auto rows = std::min(canvas.getHeight(), static_cast<std::uint32_t>(coverage.getHeight()));
    const auto columns = std::min(canvas.getWidth(), static_cast<std::uint32_t>(coverage.getWidth()));
    for (std::uint32_t y = 0; y < rows; ++y) {
        const RowSpan span = coverage.span(static_cast<std::int32_t>(y));
        const std::uint32_t end = std::min(columns, span.end);
        const std::int16_t* const cells = coverage.rowCells(static_cast<std::int32_t>(y));
        Color* const line = canvas.row(y);
        std::int32_t sum = 0;
        for (std::uint32_t x = span.first; x < end; ++x) {
            sum += cells[x];
            if ((sum & 0x1FF) == 0)
                continue;
            std::int32_t covered = sum & 0xFF;
            if (sum & 0x100)
                covered = 255 - covered;
            const std::uint8_t a = alphaFor(covered);
            if (a == 0)
                continue;
            if (a == 255) {
                // Whole pixels for as long as the cells stay 0: the paint goes on unscaled.
                for (;; ++x) {
                    if (const Color c = colorAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)))
                        line[x] = blendOver(c, line[x]);
                    if (x + 1 >= end || cells[x + 1] != 0)
                        break;
                }
                continue;
            }
            Color c = colorAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
            if (c == 0)
                continue;
            c = scaleColor(c, a);
            line[x] = addColors(c, scaleColor(line[x], static_cast<std::uint8_t>(255 - alphaOf(c))));
        }
    }
}

}  // namespace

void fillCoverage(Canvas& canvas, const CoverageBuffer& coverage, const Paint& paint)
{
    const auto asCovered = [](std::int32_t covered) { return static_cast<std::uint8_t>(covered); };
    if (const auto* solid = dynamic_cast<const SolidPaint*>(&paint)) {
        const Color color = solid->color;
        fillRows(canvas, coverage, [color](std::int32_t, std::int32_t) { return color; }, asCovered);
    } else if (const auto* gradient = dynamic_cast<const GradientPaint*>(&paint)) {
        fillRows(
            canvas, coverage,
            [gradient](std::int32_t x, std::int32_t y) { return gradient->GradientPaint::colorAt(x, y); }, asCovered);
    } else if (const auto* source = dynamic_cast<const Canvas*>(&paint)) {
        fillRows(
            canvas, coverage, [source](std::int32_t x, std::int32_t y) { return source->Canvas::colorAt(x, y); },
            asCovered);
    } else {
        fillRows(canvas, coverage, [&paint](std::int32_t x, std::int32_t y) { return paint.colorAt(x, y); }, asCovered);
    }
}

void fillCoverage(Canvas& canvas, const CoverageBuffer& coverage, Color color, const std::uint8_t* alphaCurve)
{
    fillRows(
        canvas, coverage, [color](std::int32_t, std::int32_t) { return color; },
        [alphaCurve](std::int32_t covered) { return alphaCurve[covered]; });
}

}  // namespace Pixa
