// Built with ThreadSanitizer, under an Xvfb of its own: the audio thread processes loud audio (publishing
// meter blocks) and completes MIDI learns while the user-interface thread opens the X11 editor, drives it
// (drags, learns, switch clicks), lets it idle, remakes it at another scale and closes it again, many
// times.
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "limiter/Limiter.h"
#include "limiter/LimiterParams.h"
#include "plugedit/EditMenus.h"
#include "plugedit/EditMessages.h"
#include "plugedit/KnobDrag.h"
#include "tests/support/ControllerEvents.h"
#include "tests/support/XvfbServer.h"
#include "tools/vsthost/HostWindowX11.h"
#include "x11edit/VstEditor.h"

int main()
{
    std::string error;
    if (!TestSupport::sharedXvfb(error)) {
        std::printf("skipped: %s\n", error.c_str());
        return 0;
    }
    auto hostWindow = VstHost::X11HostWindow::create(160, 260);
    if (!hostWindow)
        return 1;
    std::unique_ptr<Limiter> limiter(new Limiter(nullptr, [](Limiter& self) {
        return editorCompanions(new X11Edit::VstEditor(self.editorLayout(), &self));
    }));
    limiter->setSampleRate(44100.0f);
    limiter->setBlockSize(64);
    limiter->resume();
    auto* editor = static_cast<X11Edit::VstEditor*>(limiter->getEditor());

    std::atomic<bool> done{false};
    std::atomic<long> blocks{0};
    std::thread audio([&] {
        TestSupport::ControllerEvents cc(7);
        std::vector<double> loud(64), outL(64), outR(64);
        double* in[2] = {loud.data(), loud.data()};
        double* out[2] = {outL.data(), outR.data()};
        for (long n = 0; !done; ++n) {
            for (std::size_t i = 0; i < loud.size(); ++i)
                loud[i] = (n + static_cast<long>(i)) % 2 ? 1.2 : -1.2;
            cc.setValue(static_cast<int>(n % 128));
            if (n % 7 == 0)
                limiter->processEvents(cc.events());
            limiter->processDoubleReplacing(in, out, 64);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });

    const void* parent = hostWindow->editorParent();
    int opened = 0;
    for (int round = 0; round < 60; ++round) {
        if (editor->open(const_cast<void*>(parent)))
            ++opened;
        const int index = round % 3 == 0 ? LimiterParams::threshold : LimiterParams::makeup;
        PlugEdit::OpsGestures gestures(*editor, index);
        PlugEdit::KnobDrag knob;
        knob.press(100, gestures);
        for (int step = 0; step < 5; ++step) {
            knob.moveTo(100 - step, step % 2 == 0, gestures);
            editor->idle();
        }
        if (round % 2)
            knob.rightPress(gestures);
        knob.dragEnded(gestures);
        PlugEdit::chooseKnobItem(PlugEdit::commandLearn, gestures);
        editor->idle();
        PlugEdit::OpsGestures scale(*editor, LimiterParams::meterScale);
        PlugEdit::clickSwitch(round % 2 == 0, scale);
        for (int i = 0; i < 5; ++i) {
            hostWindow->pumpEvents();
            editor->idle();
            std::this_thread::yield();
        }
        if (round % 4 == 3)
            PlugEdit::chooseKnobItem(PlugEdit::commandUnlearn, gestures);
        // A host's new scale remakes the open window at the other size while the audio thread publishes.
        editor->setContentScale(round % 2 ? 1.0f : 2.0f);
        editor->idle();
        editor->close();
    }
    done = true;
    audio.join();
    std::printf("%d editor openings against %ld audio blocks\n", opened, blocks.load());
    return opened == 60 ? 0 : 1;
}
