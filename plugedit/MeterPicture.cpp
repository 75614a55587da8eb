#include "plugedit/MeterPicture.h"

#include <algorithm>
#include <cmath>

namespace PlugEdit {

namespace {

using Pixa::Path;

constexpr float meterTop = 21.0f, meterBottom = 220.0f, meterSpan = 199.0f;
constexpr float leftBar = 110.5f, rightBar = 130.5f, reductionBar = 120.5f;
constexpr float barsStart = 240.0f;  // below the window, so the start cap is cut away

float clampPosition(float p) { return std::min(std::max(p, -0.05f), 1.0f); }
float rowOf(float p) { return meterBottom - meterSpan * clampPosition(p); }

// Level paints add light (alpha 0) to the ground beneath; yellow at the top, green at the bottom.
Pixa::GradientPaint meterGradient(Pixa::Color top, Pixa::Color bottom, float s)
{
    return Pixa::GradientPaint(0.0f, meterTop * s, 0.0f, meterSpan * s, top, bottom,
                               255.0f / (meterSpan * s * meterSpan * s));
}

// A vertical stroke given in the editor's units, drawn at the scale.
void addStroke(Pixa::CoverageBuffer& coverage, float s, float x, float fromY, float toY, float width, bool round)
{
    Path line{{x * s, fromY * s}, {x * s, toY * s}}, outline;
    Pixa::strokePath(outline, width * s, round, line);
    coverage.addPolygon(outline);
}

void fill(Pixa::Canvas& canvas, Pixa::CoverageBuffer& coverage, const Pixa::Paint& paint)
{
    Pixa::fillCoverage(canvas, coverage, paint);
    coverage.clear();
}

}  // namespace

float meterPosition(float value, bool wideScale)
{
    return wideScale ? 1.0f + 0.5f * std::log10(std::max(value, 0.001f)) : 1.0f + std::log10(std::max(value, 0.01f));
}

void drawMeterPicture(MeterBlock& block, Pixa::Canvas& meterCanvas, Pixa::Canvas& scratchCanvas,
                      Pixa::CoverageBuffer& coverage, int scale)
{
    const auto s = static_cast<float>(scale);
    const bool wide = block.wideScale;
    for (int c = 0; c < 2; ++c) {
        block.outPeak[c] = meterPosition(block.outPeak[c], wide);
        block.peakHold[c] = meterPosition(block.peakHold[c], wide);
        block.outPower[c] = meterPosition(std::sqrt(block.outPower[c]), wide);
    }
    block.minGain = meterPosition(block.minGain, wide);
    // Every pixel to 0. Nothing is ever drawn outside the bar columns (scratch) and the meter window
    // (meter), so clearing those areas, with a margin, clears the whole canvases at a quarter of the cost.
    scratchCanvas.clearRect(96 * scale, 0, 145 * scale, static_cast<std::int32_t>(scratchCanvas.getHeight()));
    meterCanvas.clearRect(86 * scale, 16 * scale, 156 * scale, 226 * scale);
    const Pixa::GradientPaint levelGradient = meterGradient(0x00DDDD44u, 0x0044DD44u, s);
    const Pixa::GradientPaint reductionGradient = meterGradient(0x00FF4422u, 0x00FF0000u, s);

    addStroke(coverage, s, leftBar, barsStart, rowOf(block.outPeak[0]), 11.0f, false);
    addStroke(coverage, s, rightBar, barsStart, rowOf(block.outPeak[1]), 11.0f, false);
    fill(scratchCanvas, coverage, levelGradient);

    for (int c = 0; c < 2; ++c) {
        const float hold = meterBottom + std::trunc(-meterSpan * clampPosition(block.peakHold[c]));
        addStroke(coverage, s, c == 0 ? leftBar : rightBar, hold, hold - 1.0f, 11.0f, false);
    }
    fill(scratchCanvas, coverage, levelGradient);

    addStroke(coverage, s, reductionBar, 0.0f, rowOf(block.minGain), 8.0f, false);
    fill(scratchCanvas, coverage, reductionGradient);

    addStroke(coverage, s, leftBar, barsStart, rowOf(block.outPower[0]), 6.0f, true);
    addStroke(coverage, s, rightBar, barsStart, rowOf(block.outPower[1]), 6.0f, true);
    fill(scratchCanvas, coverage, Pixa::SolidPaint(0xE0000000u));

    const float left = 90.5f * s, right = 150.5f * s, top = meterTop * s, bottom = meterBottom * s;
    coverage.addPolygon(Path{{left, top}, {right, top}, {right, bottom}, {left, bottom}});
    fill(meterCanvas, coverage, scratchCanvas);
}

}  // namespace PlugEdit
