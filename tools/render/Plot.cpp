#include "tools/render/Plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "pixa/CoverageBuffer.h"
#include "tools/render/PlotText.h"

namespace Render {

namespace {

using Pixa::Canvas;
using Pixa::Color;

// Rows y0..y1-1 of column x, cut to the canvas.
void fillColumn(Canvas& canvas, int x, int y0, int y1, Color color)
{
    if (x < 0 || x >= static_cast<int>(canvas.getWidth()))
        return;
    y0 = std::max(y0, 0);
    y1 = std::min(y1, static_cast<int>(canvas.getHeight()));
    for (int y = y0; y < y1; ++y)
        canvas.row(static_cast<std::uint32_t>(y))[x] = color;
}

void fillRect(Canvas& canvas, int x0, int y0, int x1, int y1, Color color)
{
    for (int x = std::max(x0, 0); x < std::min(x1, static_cast<int>(canvas.getWidth())); ++x)
        fillColumn(canvas, x, y0, y1, color);
}

void hline(Canvas& canvas, int x0, int x1, float y, Color color)
{
    const int row = static_cast<int>(std::floor(y));
    fillRect(canvas, x0, row, x1, row + 1, color);
}

// The row range a sample span covers in a lane: at least one row, so quiet passages still show.
void drawSpan(Canvas& canvas, const PlotLayout& layout, int channel, int x, SampleSpan span, Color color)
{
    const float top = layout.amplitudeY(channel, span.high), bottom = layout.amplitudeY(channel, span.low);
    const int y0 = static_cast<int>(std::floor(top));
    fillColumn(canvas, x, y0, std::max(y0 + 1, static_cast<int>(std::ceil(bottom))), color);
}

// The first of the steps that puts at most `most` intervals over the range.
double niceStep(double range, int most, std::initializer_list<double> steps)
{
    for (double step : steps)
        if (range / step <= most)
            return step;
    return *(steps.end() - 1);
}

std::string timeLabel(double seconds, double step, double total)
{
    char text[32];
    if (total >= 60.0 && step >= 1.0)
        std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(seconds) / 60, static_cast<int>(seconds) % 60);
    else
        std::snprintf(text, sizeof text, step < 1.0 ? "%.1f s" : "%.0f s", seconds);
    return text;
}

void drawAmplitudeAxis(Canvas& canvas, const PlotLayout& layout)
{
    for (int channel = 0; channel < 2; ++channel) {
        const float center = layout.laneCenter(channel);
        hline(canvas, layout.areaLeft, layout.areaRight, center, PlotColors::axis);
        float lastY = -1e9f;
        for (int db : {12, 6, 0, -6, -12, -20}) {
            const double amplitude = std::pow(10.0, db / 20.0);
            const float y = layout.amplitudeY(channel, amplitude);
            if (amplitude > layout.amplitudeScale || y - lastY < 14.0f || center - y < 12.0f)
                continue;
            lastY = y;
            for (float row : {y, layout.amplitudeY(channel, -amplitude)}) {
                hline(canvas, layout.areaLeft, layout.areaRight, row, db == 0 ? PlotColors::axis : PlotColors::grid);
                hline(canvas, layout.areaLeft - 5, layout.areaLeft, row, PlotColors::axis);
            }
            drawPlotText(canvas, (db > 0 ? "+" : "") + std::to_string(db), layout.areaLeft - 8.0f, y + 4.5f,
                         TextAlign::right, PlotColors::text, 12.0f);
        }
        drawPlotText(canvas, channel == 0 ? "left" : "right", layout.areaLeft + 6.0f,
                     layout.laneCenter(channel) - (layout.areaBottom - layout.areaTop) / 4.0f + 4.0f, TextAlign::left,
                     PlotColors::text, 12.0f);
    }
    drawPlotText(canvas, "dBFS", layout.areaLeft - 8.0f, layout.areaTop - 7.0f, TextAlign::right, PlotColors::text, 12.0f);
}

void drawReductionAxis(Canvas& canvas, const PlotLayout& layout)
{
    const double step = niceStep(layout.reductionRangeDb, 6, {1, 2, 3, 6, 12, 24});
    for (double db = 0.0; db <= layout.reductionRangeDb + 1e-9; db += step) {
        const float y = layout.reductionY(db);
        hline(canvas, layout.areaRight, layout.areaRight + 5, std::min(y, layout.areaBottom - 1.0f), PlotColors::reduction);
        drawPlotText(canvas, db == 0.0 ? "0" : "-" + std::to_string(static_cast<int>(db)), layout.areaRight + 8.0f,
                     std::min(y + 4.5f, layout.areaBottom + 0.0f), TextAlign::left, PlotColors::reduction, 12.0f);
    }
    drawPlotText(canvas, "reduction dB", layout.width - 4.0f, layout.areaTop - 7.0f, TextAlign::right,
                 PlotColors::reduction, 12.0f);
}

void drawTimeAxis(Canvas& canvas, const PlotLayout& layout)
{
    const double step = niceStep(layout.seconds, 12, {0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1800, 3600});
    for (double at = 0.0; at <= layout.seconds + 1e-9; at += step) {
        const int x = static_cast<int>(std::floor(layout.timeX(at)));
        if (x > layout.areaLeft && x < layout.areaRight)
            fillColumn(canvas, x, layout.areaTop, layout.areaBottom, PlotColors::grid);
        fillColumn(canvas, std::min(x, layout.areaRight - 1), layout.areaBottom, layout.areaBottom + 5, PlotColors::axis);
        drawPlotText(canvas, timeLabel(at, step, layout.seconds), static_cast<float>(x) + 0.5f,
                     layout.areaBottom + 19.0f, TextAlign::center, PlotColors::text, 12.0f);
    }
    drawPlotText(canvas, "time", (layout.areaLeft + layout.areaRight) / 2.0f, layout.height - 6.0f, TextAlign::center,
                 PlotColors::text, 12.0f);
}

// One stroke per segment: a whole polyline's outline folds over itself at sharp bends, and the
// rasterizer's even-odd rule would cut holes there.
void drawReductionCurve(Canvas& canvas, const PlotLayout& layout, const std::vector<PlotColumn>& columns,
                        std::optional<float> PlotColumn::*which, Color color)
{
    Pixa::CoverageBuffer coverage;
    coverage.create(static_cast<std::int32_t>(canvas.getWidth()), static_cast<std::int32_t>(canvas.getHeight()));
    const Pixa::SolidPaint paint(color);
    Pixa::Path segment, outline;
    Pixa::Point previous{};
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const Pixa::Point point{layout.areaLeft + c + 0.5f,
                                layout.reductionY((columns[c].*which).value_or(0.0f))};
        if (c > 0) {
            segment = {previous, point};
            outline.clear();
            Pixa::strokePath(outline, 2.0f, true, segment);
            coverage.addPolygon(outline);
            Pixa::fillCoverage(canvas, coverage, paint);
            coverage.clear();
        }
        previous = point;
    }
}

}  // namespace

float PlotLayout::laneCenter(int channel) const
{
    const float lane = (areaBottom - areaTop) / 2.0f;
    return areaTop + lane * (channel + 0.5f);
}

float PlotLayout::amplitudeY(int channel, double amplitude) const
{
    const float halfLane = (areaBottom - areaTop) / 4.0f;
    return laneCenter(channel) - static_cast<float>(amplitude / amplitudeScale) * halfLane;
}

float PlotLayout::reductionY(double db) const
{
    return areaTop + static_cast<float>(db / reductionRangeDb) * (areaBottom - areaTop);
}

float PlotLayout::timeX(double at) const
{
    return areaLeft + static_cast<float>(seconds > 0.0 ? at / seconds : 0.0) * columns();
}

PlotLayout planPlot(int width, int height, double seconds, double inputPeak, double reductionDb)
{
    PlotLayout layout;
    layout.width = width;
    layout.height = height;
    layout.areaLeft = 64;
    layout.areaRight = std::max(layout.areaLeft + 1, width - 72);
    layout.areaTop = 46;
    layout.areaBottom = std::max(layout.areaTop + 4, height - 44);
    layout.seconds = seconds;
    // A little room above the input's peak, and never less than full scale.
    layout.amplitudeScale = std::max(1.0, inputPeak) * 1.06;
    const double ranges[] = {3, 6, 9, 12, 18, 24, 36, 48, 72, 96};
    layout.reductionRangeDb = ranges[std::size(ranges) - 1];
    for (double range : ranges)
        if (reductionDb * 1.1 <= range) {
            layout.reductionRangeDb = range;
            break;
        }
    return layout;
}

ImageFile::Picture drawPlot(const PlotLayout& layout, const std::vector<PlotColumn>& columns,
                            std::optional<double> thresholdDb, const std::string& title)
{
    Canvas canvas(static_cast<std::uint32_t>(layout.width), static_cast<std::uint32_t>(layout.height));
    fillRect(canvas, 0, 0, layout.width, layout.height, PlotColors::background);
    fillRect(canvas, layout.areaLeft, layout.areaTop, layout.areaRight, layout.areaBottom, PlotColors::area);
    drawTimeAxis(canvas, layout);
    drawAmplitudeAxis(canvas, layout);

    const std::size_t shown = std::min<std::size_t>(columns.size(), static_cast<std::size_t>(layout.columns()));
    for (int channel = 0; channel < 2; ++channel)
        for (std::size_t c = 0; c < shown; ++c) {
            const int x = layout.areaLeft + static_cast<int>(c);
            drawSpan(canvas, layout, channel, x, columns[c].input[channel], PlotColors::input);
            drawSpan(canvas, layout, channel, x, columns[c].output[channel], PlotColors::output);
        }
    if (thresholdDb) {
        const double amplitude = std::pow(10.0, *thresholdDb / 20.0);
        for (int channel = 0; channel < 2; ++channel)
            for (double a : {amplitude, -amplitude})
                hline(canvas, layout.areaLeft, layout.areaRight, layout.amplitudeY(channel, a), PlotColors::threshold);
    }
    drawReductionAxis(canvas, layout);
    const std::vector<PlotColumn> drawn(columns.begin(), columns.begin() + static_cast<std::ptrdiff_t>(shown));
    const bool ceiling = std::any_of(drawn.begin(), drawn.end(), [](const PlotColumn& c) { return c.ceilingReductionDb; });
    drawReductionCurve(canvas, layout, drawn, &PlotColumn::reductionDb, PlotColors::reduction);
    if (ceiling)
        drawReductionCurve(canvas, layout, drawn, &PlotColumn::ceilingReductionDb, PlotColors::ceilingReduction);

    drawPlotText(canvas, title, layout.areaLeft, 19.0f, TextAlign::left, PlotColors::text, 14.0f);
    // The legend, right-aligned on the title's line: a swatch before each name.
    float x = static_cast<float>(layout.areaRight);
    const std::pair<const char*, Color> legend[] = {{"ceiling's reduction", PlotColors::ceilingReduction},
                                                    {"gain reduction", PlotColors::reduction},
                                                    {"threshold", PlotColors::threshold},
                                                    {"output", PlotColors::output},
                                                    {"input", PlotColors::input}};
    for (const auto& [name, color] : legend) {
        if (color == PlotColors::ceilingReduction && !ceiling)
            continue;
        drawPlotText(canvas, name, x, 19.0f, TextAlign::right, PlotColors::text, 12.0f);
        x -= std::ceil(plotTextWidth(name, 12.0f)) + 18.0f;
        fillRect(canvas, static_cast<int>(x), 10, static_cast<int>(x) + 12, 20, color);
        x -= 16.0f;
    }

    ImageFile::Picture picture;
    picture.width = canvas.getWidth();
    picture.height = canvas.getHeight();
    picture.pixels.reserve(static_cast<std::size_t>(picture.width) * picture.height);
    for (std::uint32_t y = 0; y < picture.height; ++y)
        picture.pixels.insert(picture.pixels.end(), canvas.row(y), canvas.row(y) + picture.width);
    return picture;
}

}  // namespace Render
