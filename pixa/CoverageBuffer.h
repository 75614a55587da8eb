// Anti-aliased coverage with 16 by 16 sub-positions per pixel: edges deposit signed differences that a
// running sum along each row turns into coverage (256 for a whole pixel), folded by the even-odd rule.
#pragma once

#include <cstdint>
#include <memory>

#include "pixa/Canvas.h"
#include "pixa/Path.h"

namespace Pixa {

// Cells of a row outside first..end-1 are 0; the empty span is first = width, end = 0.
struct RowSpan {
    std::uint32_t first, end;
};

class CoverageBuffer {
public:
    CoverageBuffer() = default;
    CoverageBuffer(const CoverageBuffer&) = delete;
    CoverageBuffer& operator=(const CoverageBuffer&) = delete;

    void create(std::int32_t width, std::int32_t height);
    // Zeroes the cells within each span and empties every span.
    void clear();
    void addLine(Point p, Point q);
    // The path as a closed polygon; fewer than two points add nothing.
    void addPolygon(const Path& path);

    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }
    std::int16_t cell(std::int32_t row, std::int32_t column) const { return cells[index(row, column)]; }
    const std::int16_t* rowCells(std::int32_t row) const { return cells.get() + index(row, 0); }
    const RowSpan& span(std::int32_t row) const { return spans[static_cast<std::size_t>(row)]; }

private:
    void deposit(std::int32_t row, std::int32_t x, std::int32_t amount);
    void addVerticalEdge(std::int32_t x, std::int32_t ys, std::int32_t ye, std::int32_t d);
    std::size_t index(std::int32_t row, std::int32_t column) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column);
    }

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::unique_ptr<RowSpan[]> spans;
    std::unique_ptr<std::int16_t[]> cells;
};

// Composites the paint onto the canvas through the coverage (even-odd); the buffer is left as it is.
void fillCoverage(Canvas& canvas, const CoverageBuffer& coverage, const Paint& paint);
// The same with one colour, its coverage (0..255) turned into alpha through a table of 256 entries
// (text's gamma or threshold).
void fillCoverage(Canvas& canvas, const CoverageBuffer& coverage, Color color, const std::uint8_t* alphaCurve);

}  // namespace Pixa
