// Loudness and peaks of a file's audio, all measured with libebur128 (native build only): integrated
// loudness and loudness range (EBU R128), true peak (ITU-R BS.1770 oversampling) and sample peak.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "tools/render/StereoAudio.h"

namespace Render {

// Empty where the audio is too short or too quiet to have a figure (silence has no loudness or peak;
// the loudness range needs 3 s).
struct LoudnessFigures {
    std::optional<double> integratedLufs, loudnessRangeLu, truePeakDbtp, samplePeakDbfs;
};

// Audio added block by block. Aside, the measuring runs on a thread of its own, off the render's way,
// fed through a few fixed chunks (memory does not grow with the file); the renderer's thread waits
// only when the measuring falls that far behind.
class LoudnessMeter {
public:
    // One channel for a mono file (the two channels' mean), else two.
    LoudnessMeter(double sampleRate, int fileChannels, bool aside);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Non-finite samples are measured as silence.
    void add(const float* left, const float* right, std::size_t frames);
    LoudnessFigures finish();
    // Processor time the measuring took.
    double seconds() const { return seconds_; }

private:
    void handOver();
    void measure(const std::vector<float>& chunk, std::size_t frames);
    void work();

    struct State;  // libebur128's, kept out of this header
    struct StateDeleter {
        void operator()(State* state) const;
    };
    std::unique_ptr<State, StateDeleter> state_;
    double sampleRate_;
    unsigned channels_;
    std::size_t frames_ = 0;
    double seconds_ = 0.0;
    bool finished_ = false;
    LoudnessFigures figures_;

    std::vector<float> filling_;
    std::size_t filled_ = 0;
    // Aside: full chunks waiting, empty ones to fill, guarded by mutex_.
    std::vector<std::pair<std::vector<float>, std::size_t>> full_;
    std::vector<std::vector<float>> empty_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closing_ = false;
    std::thread worker_;
};

// The audio as its file holds it: one channel for a mono file.
LoudnessFigures measureLoudness(const StereoAudio& audio);

}  // namespace Render
