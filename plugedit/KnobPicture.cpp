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

void drawKnobPicture(Pixa::Canvas& canvas, float shownValue, bool learning, const Pixa::Canvas& strip, int scale)
{
    const float value = shownValue > 0.0f ? (shownValue < 1.0f ? shownValue : 1.0f) : 0.0f;
    const auto s = static_cast<float>(scale);
    const float cx = KnobGeometry::cx * s, cy = KnobGeometry::cy * s;
    Pixa::CoverageBuffer coverage;
    coverage.create(static_cast<std::int32_t>(canvas.getWidth()), static_cast<std::int32_t>(canvas.getHeight()));

    Path track, valueArc, trackOutline, valueOutline;
    Pixa::appendArc(track, arcRadius * s, trackStart, trackEnd, cx, cy);
    Pixa::appendArc(valueArc, arcRadius * s, valueStart, value * sweep + trackStart, cx, cy);
    Pixa::strokePath(trackOutline, trackWidth * s, true, track);
    Pixa::strokePath(valueOutline, valueWidth * s, true, valueArc);

    const float top = cy - gradientReach * s, bottom = cy + gradientReach * s;
    const float direction = bottom - top;
    const float gradientScale = 255.0f / (direction * direction);
    const float hue = 0.4f - 0.4f * value;
    const Pixa::GradientPaint valueGradient(2.0f * cx, top, 0.0f, direction, Pixa::hsvToRgb(hue, 0.5f, 1.0f) | 0xFF000000u,
                                            Pixa::hsvToRgb(hue, 1.0f, 0.8f) | 0xFF000000u, gradientScale);
    const Pixa::GradientPaint trackGradient(2.0f * cx, top, 0.0f, direction, 0x7F09070Bu, 0x7F131018u, gradientScale);

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
        Pixa::appendArc(dot, dotRadius * s, 0.1f, 6.1831856f, cx + tickRadius * s * std::sin(a),
                        cy - tickRadius * s * std::cos(a));
        coverage.addPolygon(dot);
        fillAndClear(canvas, coverage, dotPaint);
    }

    const double position = static_cast<double>(value) * 100.0;
    const auto frame = static_cast<std::int32_t>(position);
    const double fraction = position - frame;
    const std::int32_t frameSize = 40 * scale, frameTop = static_cast<std::int32_t>(KnobGeometry::cy) * scale - 20 * scale;
    const Pixa::OffsetPaint first(strip, 0, frameSize * frame), second(strip, 0, frameSize * (frame + 1));
    const Pixa::AlphaPaint blend(first, second, static_cast<std::uint8_t>(fraction * 255.0));
    const Pixa::Paint& knob = frame < 100 ? static_cast<const Pixa::Paint&>(blend) : first;
    if (scale == 1)
        canvas.fillSquare40(knob, frameTop);
    else
        canvas.fillSquare(knob, 20 * scale, frameTop, frameSize);

    if (learning) {
        const float l = 10.5f * s, r = 69.5f * s, t = cy - 9.5f * s, b = cy + 9.5f * s;
        const Path badge{{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
        coverage.addPolygon(badge);
        fillAndClear(canvas, coverage, Pixa::SolidPaint(0xDD000000u));
        Path edge;
        Pixa::strokePath(edge, s, false, badge);
        coverage.addPolygon(edge);
        fillAndClear(canvas, coverage, Pixa::SolidPaint(0xFF000000u));
    }
}

}  // namespace PlugEdit
