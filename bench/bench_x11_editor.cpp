// The limiter's X11 editor under an Xvfb of the benchmark's own, as a host drives it: one effEditIdle
// that finds a new meter block (events, take, redraw, present, and one round trip so the server has
// drawn it), and one after a knob's value changed, at the usual size and at twice it (the argument).
// Goal: under 1 ms each.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "limiter/Limiter.h"
#include "limiter/LimiterParams.h"
#include "tests/support/XvfbServer.h"
#include "tools/vsthost/HostWindowX11.h"
#include "x11edit/VstEditor.h"

namespace {

struct OpenEditor {
    std::unique_ptr<VstHost::X11HostWindow> host;
    std::unique_ptr<Limiter> limiter;
    X11Edit::VstEditor* editor = nullptr;

    bool open(benchmark::State& state)
    {
        std::string error;
        if (!TestSupport::sharedXvfb(error)) {
            state.SkipWithError(("skipped, no X server: " + error).c_str());
            return false;
        }
        const int scale = static_cast<int>(state.range(0));
        host = VstHost::X11HostWindow::create(160 * scale, 260 * scale);
        limiter.reset(new Limiter(nullptr, [](Limiter& self) {
            return editorCompanions(new X11Edit::VstEditor(self.editorLayout(), &self));
        }));
        editor = static_cast<X11Edit::VstEditor*>(limiter->getEditor());
        editor->setContentScale(static_cast<float>(scale));
        if (!host || !editor->open(host->editorParent())) {
            state.SkipWithError("skipped, the editor cannot be opened");
            return false;
        }
        return true;
    }
    // Loud audio, so the meter block has bars, peaks and reduction to draw.
    std::vector<unsigned char> loudMeterBlock()
    {
        limiter->setSampleRate(44100.0f);
        limiter->setBlockSize(512);
        limiter->resume();
        std::vector<double> in(512), outL(512), outR(512);
        for (std::size_t i = 0; i < in.size(); ++i)
            in[i] = i % 2 ? 1.5 : -1.5;
        double* ins[2] = {in.data(), in.data()};
        double* outs[2] = {outL.data(), outR.data()};
        std::vector<unsigned char> block(static_cast<std::size_t>(limiter->editorLayout().meterBytes));
        for (int n = 0; n < 20; ++n) {
            limiter->processDoubleReplacing(ins, outs, 512);
            editor->takeMeters(block.data());
        }
        return block;
    }
};

void EditorIdleWithNewMeterBlock(benchmark::State& state)
{
    OpenEditor e;
    if (!e.open(state))
        return;
    const std::vector<unsigned char> block = e.loudMeterBlock();
    for (auto _ : state) {
        e.editor->publishMeters(block.data());  // what the audio thread hands over between idle calls
        e.editor->idle();
        e.editor->openWindow()->sync();
    }
}
BENCHMARK(EditorIdleWithNewMeterBlock)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void EditorIdleAfterKnobMoved(benchmark::State& state)
{
    OpenEditor e;
    if (!e.open(state))
        return;
    int step = 0;
    for (auto _ : state) {
        e.editor->setParameter(LimiterParams::threshold, (step++ % 2) ? 0.25f : 0.75f);
        e.editor->idle();
        e.editor->openWindow()->sync();
    }
}
BENCHMARK(EditorIdleAfterKnobMoved)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
