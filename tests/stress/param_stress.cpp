// Built with ThreadSanitizer: one thread sets parameters while another processes audio. Every value the
// audio side sees only ever grows (sets are monotonic), and the last set always arrives: no change is lost.
// Then the window side re-arms MIDI learn while the audio side completes learns: no arm is ever lost.
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "limiter/Limiter.h"
#include "tests/support/ControllerEvents.h"

namespace {

// The audio thread sends controller 7 in every block; the other thread arms one parameter and, before
// that learn completes, moves the arm to the next. An arm stored while a learn completes must survive
// and be bound later.
int learnRace(Limiter& limiter)
{
    constexpr int rounds = 20000, block = 16;
    TestSupport::ControllerEvents cc(7);

    std::atomic<bool> done{false};
    int failures = 0;
    std::thread window([&] {
        for (int k = 0; k < rounds && !failures; ++k) {
            const int first = k % 5, second = (k + 1) % 5;
            limiter.unlearn(first);
            limiter.unlearn(second);
            limiter.armLearn(first);
            limiter.armLearn(second);
            while (limiter.learningParam() != -1)
                std::this_thread::yield();
            if (limiter.paramTable()[second].midiKey.load() == -1) {
                std::fprintf(stderr, "round %d: the arm of parameter %d was lost\n", k, second);
                ++failures;
            }
        }
        done = true;
    });
    std::vector<double> silence(block, 0.0), outL(block), outR(block);
    double* in[2] = {silence.data(), silence.data()};
    double* out[2] = {outL.data(), outR.data()};
    while (!done) {
        limiter.processEvents(cc.events());
        limiter.processDoubleReplacing(in, out, block);
    }
    window.join();
    std::printf("%d learn rounds; %d lost arms\n", rounds, failures);
    return failures;
}

}  // namespace

int main()
{
    constexpr int sets = 200000;
    constexpr int block = 64;
    std::unique_ptr<Limiter> limiter(new Limiter(nullptr));
    limiter->setSampleRate(44100.0f);
    limiter->setBlockSize(block);
    limiter->resume();
    PlugCore::ParamTable& table = limiter->paramTable();

    std::vector<double> left(block, 0.3), right(block, -0.3), outL(block), outR(block);
    double* in[2] = {left.data(), right.data()};
    double* out[2] = {outL.data(), outR.data()};
    // Every value starts at 0, below all the sets: a default (thresh is 1) seen before the setter's
    // first change would otherwise read as a value going back.
    for (int i = 0; i < 5; ++i)
        limiter->setParameter(i, 0.0f);
    limiter->processDoubleReplacing(in, out, block);

    std::atomic<bool> done{false};
    std::thread setter([&] {
        for (int k = 1; k <= sets; ++k)
            limiter->setParameter(k % 5, static_cast<float>(k) / sets);
        done = true;
    });

    float seen[5] = {0, 0, 0, 0, 0};
    int failures = 0, calls = 0;
    auto check = [&] {
        for (int i = 0; i < 5; ++i) {
            const float v = table[i].dspValue;
            if (v < seen[i]) {
                std::fprintf(stderr, "parameter %d went back from %g to %g\n", i, double(seen[i]), double(v));
                ++failures;
            }
            seen[i] = v;
        }
    };
    while (!done) {
        limiter->processDoubleReplacing(in, out, block);
        check();
        ++calls;
    }
    setter.join();
    limiter->processDoubleReplacing(in, out, block);
    check();
    for (int i = 0; i < 5; ++i) {
        int last = sets;
        while (last % 5 != i)
            --last;
        if (table[i].dspValue != static_cast<float>(last) / sets) {
            std::fprintf(stderr, "parameter %d ended at %g, not %g\n", i, double(table[i].dspValue),
                         double(static_cast<float>(last) / sets));
            ++failures;
        }
    }
    std::printf("%d process calls while %d sets ran; %d failures\n", calls, sets, failures);
    failures += learnRace(*limiter);
    return failures ? 1 : 0;
}
