// The editor's drawing costs: one meter frame (two 160 x 260 canvases cleared, five stroked bars and
// marks, the window clip) and one knob picture (two arcs, nine dots, the film-strip cross-fade).
// Goals on the reference machine: under 100 us and under 150 us.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "plugedit/KnobPicture.h"
#include "plugedit/MeterPicture.h"

namespace {

void MeterFrame(benchmark::State& state)
{
    Pixa::Canvas meter(160, 260), scratch(160, 260);
    Pixa::CoverageBuffer coverage;
    coverage.create(160, 260);
    int frame = 0;
    for (auto _ : state) {
        // A moving programme: levels and reduction change every frame, as they do while playing.
        const float swing = 0.5f + 0.45f * std::sin(0.1f * static_cast<float>(frame++));
        MeterBlock block;
        block.outPeak[0] = swing;
        block.outPeak[1] = swing * 0.9f;
        block.outPower[0] = block.outPower[1] = swing * swing * 0.3f;
        block.minGain = 0.4f + 0.5f * swing;
        block.peakHold[0] = block.peakHold[1] = 0.97f;
        PlugEdit::drawMeterPicture(block, meter, scratch, coverage);
        benchmark::DoNotOptimize(meter.row(120));
    }
}
BENCHMARK(MeterFrame)->Unit(benchmark::kMicrosecond);

// A strip like the real one: an opaque disc per frame on transparent corners.
std::unique_ptr<Pixa::Canvas> discStrip()
{
    auto strip = std::make_unique<Pixa::Canvas>(40, 40 * 101);
    for (std::uint32_t y = 0; y < strip->getHeight(); ++y)
        for (std::uint32_t x = 0; x < 40; ++x) {
            const float dx = static_cast<float>(x) - 19.5f, dy = static_cast<float>(y % 40) - 19.5f;
            if (dx * dx + dy * dy < 18.0f * 18.0f)
                strip->row(y)[x] = 0xFF000000u | (y / 40) * 0x020202u;
        }
    return strip;
}

void KnobPicture(benchmark::State& state)
{
    const auto strip = discStrip();
    Pixa::Canvas canvas(80, 80);
    int step = 0;
    for (auto _ : state) {
        const float value = static_cast<float>(step++ % 997) / 996.0f;
        PlugEdit::drawKnobPicture(canvas, value, false, *strip);
        benchmark::DoNotOptimize(canvas.row(34));
    }
}
BENCHMARK(KnobPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
