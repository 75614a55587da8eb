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
Pixa::GradientPaint meterGradient(Pixa::Color top, Pixa::Color bottom)
{
    return Pixa::GradientPaint(0.0f, meterTop, 0.0f, meterSpan, top, bottom, 255.0f / (meterSpan * meterSpan));
}

void addStroke(Pixa::CoverageBuffer& coverage, float x, float fromY, float toY, float width, bool round)
{
    Path line{{x, fromY}, {x, toY}}, outline;
    Pixa::strokePath(outline, width, round, line);
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
                      Pixa::CoverageBuffer& coverage)
{
    const bool wide = block.wideScale;
    for (int c = 0; c < 2; ++c) {
        block.outPeak[c] = meterPosition(block.outPeak[c], wide);
        block.peakHold[c] = meterPosition(block.peakHold[c], wide);
        block.outPower[c] = meterPosition(std::sqrt(block.outPower[c]), wide);
    }
    block.minGain = meterPosition(block.minGain, wide);
    // Every pixel to 0. Nothing is ever drawn outside the bar columns (scratch) and the meter window
    // (meter), so clearing those areas, with a margin, clears the whole canvases at a quarter of the cost.
    scratchCanvas.clearRect(96, 0, 145, static_cast<std::int32_t>(scratchCanvas.getHeight()));
    meterCanvas.clearRect(86, 16, 156, 226);
    const Pixa::GradientPaint levelGradient = meterGradient(0x00DDDD44u, 0x0044DD44u);
    const Pixa::GradientPaint reductionGradient = meterGradient(0x00FF4422u, 0x00FF0000u);

    addStroke(coverage, leftBar, barsStart, rowOf(block.outPeak[0]), 11.0f, false);
    addStroke(coverage, rightBar, barsStart, rowOf(block.outPeak[1]), 11.0f, false);
    fill(scratchCanvas, coverage, levelGradient);

    for (int c = 0; c < 2; ++c) {
        const float hold = meterBottom + std::trunc(-meterSpan * clampPosition(block.peakHold[c]));
        addStroke(coverage, c == 0 ? leftBar : rightBar, hold, hold - 1.0f, 11.0f, false);
    }
    fill(scratchCanvas, coverage, levelGradient);

    addStroke(coverage, reductionBar, 0.0f, rowOf(block.minGain), 8.0f, false);
    fill(scratchCanvas, coverage, reductionGradient);

    addStroke(coverage, leftBar, barsStart, rowOf(block.outPower[0]), 6.0f, true);
    addStroke(coverage, rightBar, barsStart, rowOf(block.outPower[1]), 6.0f, true);
    fill(scratchCanvas, coverage, Pixa::SolidPaint(0xE0000000u));

    coverage.addPolygon(Path{{90.5f, meterTop}, {150.5f, meterTop}, {150.5f, meterBottom}, {90.5f, meterBottom}});
    fill(meterCanvas, coverage, scratchCanvas);
}

}  // namespace PlugEdit
