// Showing the editor's picture on X11: a 160 x 260 canvas put to a child window, flushed, and one round
// trip so the server has really drawn it; and an 80 x 80 knob area alone. Under an Xvfb of the
// benchmark's own. Goal: well under 1 ms per frame.
#include <benchmark/benchmark.h>

#include <string>

#include "tests/support/XvfbServer.h"
#include "tools/vsthost/HostWindowX11.h"
#include "x11wrap/ChildWindow.h"

namespace {

void present(benchmark::State& state, const X11Wrap::Area& area)
{
    std::string error;
    if (!TestSupport::sharedXvfb(error)) {
        state.SkipWithError(("skipped, no X server: " + error).c_str());
        return;
    }
    auto host = VstHost::X11HostWindow::create(160, 260);
    X11Wrap::ChildWindow window;
    if (!host || !window.open(host->window(), 0, 0, 160, 260)) {
        state.SkipWithError("skipped, the window cannot be opened");
        return;
    }
    Pixa::Canvas canvas(160, 260);
    for (std::uint32_t y = 0; y < 260; ++y)
        for (std::uint32_t x = 0; x < 160; ++x)
            canvas.row(y)[x] = 0xFF000000u | (x * 0x010203u + y * 0x030201u);
    std::uint32_t frame = 0;
    for (auto _ : state) {
        canvas.row(frame % 260)[frame % 160] ^= 0x00FFFFFFu;  // a picture that changes, as the meter's does
        ++frame;
        window.present(canvas, area);
        window.sync();
        window.dispatchEvents();
    }
}

void PresentEditorFrame(benchmark::State& state) { present(state, {0, 0, 160, 260}); }
BENCHMARK(PresentEditorFrame)->Unit(benchmark::kMicrosecond);

void PresentKnobArea(benchmark::State& state) { present(state, {40, 100, 80, 80}); }
BENCHMARK(PresentKnobArea)->Unit(benchmark::kMicrosecond);

}  // namespace
