#include "plugedit/KnobPicture.h"

#include <cmath>

#include "pixa/CoverageBuffer.h"

namespace PlugEdit {

namespace {

using Pixa::Path;

constexpr float arcRadius = 16.0f;
constexpr float trackStart = -2.4434609f, trackEnd = 2.4434609f, valueStart = -2.7434609f, sweep = 4.8869219f;
constexpr float trackWidth = 6.6666665f, valueWidth = 6.9166665f;
constexpr float gradientReach = 26.666666f;
constexpr float tickRadius = 21.333334f, tickStep = 0.61086524f, dotRadius = 1.0666666f;

void fillAndClear(Pixa::Canvas& canvas, Pixa::CoverageBuffer& coverage, const Pixa::Paint& paint)
{
    Pixa::fillCoverage(canvas, coverage, paint);
    coverage.clear();
}

}  // namespace

void drawKnobPicture(Pixa::Canvas& canvas, float shownValue, bool learning, const Pixa::Canvas& strip)
{
    const float value = shownValue > 0.0f ? (shownValue < 1.0f ? shownValue : 1.0f) : 0.0f;
    const float cx = KnobGeometry::cx, cy = KnobGeometry::cy;
    Pixa::CoverageBuffer coverage;
    coverage.create(static_cast<std::int32_t>(canvas.getWidth()), static_cast<std::int32_t>(canvas.getHeight()));

    Path track, valueArc, trackOutline, valueOutline;
    Pixa::appendArc(track, arcRadius, trackStart, trackEnd, cx, cy);
    Pixa::appendArc(valueArc, arcRadius, valueStart, value * sweep + trackStart, cx, cy);
    Pixa::strokePath(trackOutline, trackWidth, true, track);
    Pixa::strokePath(valueOutline, valueWidth, true, valueArc);

    const float top = cy - gradientReach, bottom = cy + gradientReach;
    const float direction = bottom - top;
    const float scale = 255.0f / (direction * direction);
    const float hue = 0.4f - 0.4f * value;
    const Pixa::GradientPaint valueGradient(2.0f * cx, top, 0.0f, direction, Pixa::hsvToRgb(hue, 0.5f, 1.0f) | 0xFF000000u,
                                            Pixa::hsvToRgb(hue, 1.0f, 0.8f) | 0xFF000000u, scale);
    const Pixa::GradientPaint trackGradient(2.0f * cx, top, 0.0f, direction, 0x7F09070Bu, 0x7F131018u, scale);

    // The value arc coloured inside the track shape only: through a picture of both gradients.
    Pixa::Canvas arcs(canvas.getWidth(), canvas.getHeight());
    arcs.fillPaint(trackGradient);
    coverage.addPolygon(valueOutline);
    fillAndClear(arcs, coverage, valueGradient);
    coverage.addPolygon(trackOutline);
    canvas.clear();
    fillAndClear(canvas, coverage, arcs);

    const Pixa::SolidPaint dotPaint(0xFF888888u);
    for (int i = 0; i < 9; ++i) {
        const float a = static_cast<float>(i) * tickStep + trackStart;
        Path dot;
        Pixa::appendArc(dot, dotRadius, 0.1f, 6.1831856f, cx + tickRadius * std::sin(a), cy - tickRadius * std::cos(a));
        coverage.addPolygon(dot);
        fillAndClear(canvas, coverage, dotPaint);
    }

    const double position = static_cast<double>(value) * 100.0;
    const auto frame = static_cast<std::int32_t>(position);
    const double fraction = position - frame;
    const std::int32_t top40 = static_cast<std::int32_t>(cy) - 20;
    if (frame < 100) {
        const Pixa::OffsetPaint first(strip, 0, 40 * frame), second(strip, 0, 40 * (frame + 1));
        canvas.fillSquare40(Pixa::AlphaPaint(first, second, static_cast<std::uint8_t>(fraction * 255.0)), top40);
    } else {
        canvas.fillSquare40(Pixa::OffsetPaint(strip, 0, 40 * frame), top40);
    }

    if (learning) {
        const Path badge{{10.5f, cy - 9.5f}, {69.5f, cy - 9.5f}, {69.5f, cy + 9.5f}, {10.5f, cy + 9.5f}, {10.5f, cy - 9.5f}};
        coverage.addPolygon(badge);
        fillAndClear(canvas, coverage, Pixa::SolidPaint(0xDD000000u));
        Path edge;
        Pixa::strokePath(edge, 1.0f, false, badge);
        coverage.addPolygon(edge);
        fillAndClear(canvas, coverage, Pixa::SolidPaint(0xFF000000u));
    }
}

}  // namespace PlugEdit
