// The audio thread publishes meters, moves parameters and completes MIDI learns while the window side
// opens and closes the editor over and over, arming learns in between: nothing may crash, a learn
// is never left armed without a window, and the editor ends closed and consistent.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "plugedit/EditMessages.h"
#include "tests/support/EditorRig.h"

using namespace TestSupport;

TEST(EditorStress, AudioThreadWorksWhileTheWindowOpensAndCloses)
{
    EditorRig rig;
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        float left[64] = {}, right[64] = {};
        float* io[2] = {left, right};
        int k = 0;
        while (!done) {
            for (int i = 0; i < 64; ++i)
                left[i] = right[i] = (k + i) % 50 == 0 ? 1.5f : 0.01f;
            // Learnable controllers complete whatever learn is armed; the bound ones then move values.
            const auto event = VstHost::HostedEffect::midiEvent(k % 64, 0xB0, 20 + k % 4, k % 128);
            VstEvents list{};
            list.numEvents = 1;
            list.events[0] = reinterpret_cast<VstEvent*>(const_cast<VstMidiEvent*>(&event));
            rig.host->effect()->dispatcher(rig.host->effect(), effProcessEvents, 0, 0, &list, 0.0f);
            rig.host->effect()->processReplacing(rig.host->effect(), io, io, 64);
            if (k % 8 == 0)  // host automation now and then: each change posts a repaint to a knob
                rig.host->setParameter(k % 3, static_cast<float>(k % 100) / 100.0f);
            ++k;
            ++blocks;
            if (k % 4 == 0)
                Sleep(1);  // about the pace of a host's blocks, so the posted values do not flood the queue
        }
    });
    for (int round = 0; round < 20; ++round) {
        rig.open();
        rig.sendToWindow(PlugEdit::MSG_LEARN_START, round % 3);
        pumpMessages(round % 4 == 0 ? 15 : 0);
        rig.close();
        ASSERT_EQ(rig.editor().openWindow(), nullptr);
        // A learn armed by the window is abandoned with it, unless the audio thread completed it first.
        EXPECT_EQ(rig.limiter().learningParam(), -1) << "round " << round;
    }
    done = true;
    audio.join();
    EXPECT_GT(blocks.load(), 20);
}
