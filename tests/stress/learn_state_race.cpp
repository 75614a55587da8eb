// Built with ThreadSanitizer: the editor window starts, moves and ends MIDI learns while the audio
// thread completes learns through the editor's paramLearned. Every look at the learn state, on either
// side, must be under the editor's lock: the audio side must never see a new `learnActive` beside an
// old `learnIndex` and end the wrong control's learn.
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "host/AEffEditor.h"
#include "limiter/Limiter.h"
#include "plugedit/EditCore.h"
#include "plugedit/EditMessages.h"
#include "plugedit/PlugOps.h"

namespace {

// The editor's decisions with a window whose every control exists; it counts the learn endings posted.
class WindowlessEditor : public AEffEditor, public PlugEdit::EditCore {
public:
    explicit WindowlessEditor(PlugCore::Plug& plug)
        : AEffEditor(&plug), EditCore(0, std::make_unique<PlugEdit::PlugOps>(plug))
    {
    }
    std::atomic<int> endingsPosted{0};

protected:
    bool postToControl(int, unsigned message, std::uint32_t) override
    {
        if (message == PlugEdit::MSG_LEARN_END)
            endingsPosted.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    void tellControl(int, unsigned) override {}
};

}  // namespace

int main()
{
    constexpr int rounds = 200000;
    std::unique_ptr<Limiter> limiter(
        new Limiter(nullptr, [](Limiter& self) { return editorCompanions(new WindowlessEditor(self)); }));
    auto* editor = static_cast<WindowlessEditor*>(limiter->getEditor());

    std::atomic<bool> done{false};
    std::thread window([&] {
        for (int k = 0; k < rounds; ++k) {
            editor->startLearn(k % 5);
            editor->startLearn((k + 1) % 5);  // moved before it completed
            if (k % 3 == 0)
                editor->endLearn();
        }
        done = true;
    });
    int calls = 0;
    while (!done) {
        editor->paramLearned(calls % 5);
        ++calls;
    }
    window.join();
    std::printf("%d learn completions tried against %d window rounds; %d endings posted\n", calls, rounds,
                editor->endingsPosted.load());
    return 0;
}
