// The editor's texts drawn with the built-in font: a knob's value (9 px, and 12 px bold while it is
// dragged) in the knob's 80 x 80 canvas, and a switch's two-coloured caption. Goal: well under 100 us
// each.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "pixa/TextLayout.h"
#include "plugedit/font/BuiltinFont.h"

namespace {

void KnobValueText(benchmark::State& state)
{
    const bool bold = state.range(0) != 0;
    Pixa::Canvas canvas(80, 80);
    Pixa::TextPainter painter;
    const Pixa::TextStyle style{&PlugEdit::builtinFont(bold), bold ? PlugEdit::boldTextSize : PlugEdit::smallTextSize,
                                0xFFFFFFFFu};
    int step = 0;
    char value[32];
    for (auto _ : state) {
        std::snprintf(value, sizeof value, "%.1f dB", -0.1 * (step++ % 200));
        Pixa::drawTextInRect(painter, canvas, value, {0, 56, 80, 80},
                             Pixa::textSingleLine | Pixa::textBottom | Pixa::textCenter, style);
        benchmark::DoNotOptimize(canvas.row(70));
    }
}
BENCHMARK(KnobValueText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void SwitchCaptionText(benchmark::State& state)
{
    Pixa::Canvas canvas(80, 12);
    Pixa::TextPainter painter;
    const Pixa::Font& font = PlugEdit::builtinFont(false);
    const Pixa::TextStyle accent{&font, PlugEdit::smallTextSize, Pixa::colorFromColorRef(0x6BADD3)};
    const Pixa::TextStyle white{&font, PlugEdit::smallTextSize, 0xFFFFFFFFu};
    const Pixa::PixelRect r{0, 0, 80, 12};
    for (auto _ : state) {
        // Measured whole, then the name and the state drawn in their colours, as the switch does it.
        Pixa::PixelRect m = Pixa::measureTextRect("display: 20dB", r, Pixa::textSingleLine, accent);
        const std::int32_t shift = (r.right - m.right) / 2;
        m.left += shift;
        m.right += shift;
        Pixa::drawTextInRect(painter, canvas, "display:", m, Pixa::textSingleLine | Pixa::textBottom, accent);
        Pixa::drawTextInRect(painter, canvas, "20dB", m, Pixa::textSingleLine | Pixa::textBottom | Pixa::textRight,
                             white);
        benchmark::DoNotOptimize(canvas.row(6));
    }
}
BENCHMARK(SwitchCaptionText)->Unit(benchmark::kMicrosecond);

}  // namespace
