#include "tools/render/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace Render {

namespace {

constexpr std::size_t chunkFrames = 1 << 14;
constexpr int chunksInFlight = 4;

std::optional<double> finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> decibels(double level)
{
    return level > 0.0 ? std::optional<double>(20.0 * std::log10(level)) : std::nullopt;
}

float finiteOrSilence(float sample) { return std::isfinite(sample) ? sample : 0.0f; }

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

}  // namespace

struct LoudnessMeter::State {
    ebur128_state* s;
};

void LoudnessMeter::StateDeleter::operator()(State* state) const
{
    ebur128_destroy(&state->s);
    delete state;
}

LoudnessMeter::LoudnessMeter(double sampleRate, int fileChannels, bool aside)
    : sampleRate_(sampleRate), channels_(fileChannels == 1 ? 1u : 2u)
{
    const int modes = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_SAMPLE_PEAK;
    if (ebur128_state* s = ebur128_init(channels_, static_cast<unsigned long>(std::lround(sampleRate)), modes))
        state_.reset(new State{s});
    filling_.resize(chunkFrames * channels_);
    if (aside && state_) {
        for (int i = 1; i < chunksInFlight; ++i)
            empty_.emplace_back(chunkFrames * channels_);
        worker_ = std::thread([this] { work(); });
    }
}

LoudnessMeter::~LoudnessMeter() { finish(); }

void LoudnessMeter::add(const float* left, const float* right, std::size_t frames)
{
    if (!state_)
        return;
    for (std::size_t i = 0; i < frames; ++i) {
        const float l = finiteOrSilence(left[i]), r = finiteOrSilence(right[i]);
        if (channels_ == 1) {
            filling_[filled_] = 0.5f * (l + r);
        } else {
            filling_[2 * filled_] = l;
            filling_[2 * filled_ + 1] = r;
        }
        if (++filled_ == chunkFrames)
            handOver();
    }
    frames_ += frames;
}

void LoudnessMeter::handOver()
{
    if (!worker_.joinable()) {
        measure(filling_, filled_);
        filled_ = 0;
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !empty_.empty(); });
    std::vector<float> next = std::move(empty_.back());
    empty_.pop_back();
    full_.emplace_back(std::move(filling_), filled_);
    filling_ = std::move(next);
    filled_ = 0;
    changed_.notify_all();
}

void LoudnessMeter::measure(const std::vector<float>& chunk, std::size_t frames)
{
    const double start = threadSeconds();
    ebur128_add_frames_float(state_->s, chunk.data(), frames);
    seconds_ += threadSeconds() - start;
}

void LoudnessMeter::work()
{
    for (;;) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !full_.empty() || closing_; });
        if (full_.empty())
            return;
        auto [chunk, frames] = std::move(full_.front());
        full_.erase(full_.begin());
        lock.unlock();
        measure(chunk, frames);
        lock.lock();
        empty_.push_back(std::move(chunk));
        changed_.notify_all();
    }
}

LoudnessFigures LoudnessMeter::finish()
{
    if (finished_ || !state_)
        return figures_;
    finished_ = true;
    if (filled_ > 0 && worker_.joinable()) {
        handOver();
    } else if (filled_ > 0) {
        measure(filling_, filled_);
        filled_ = 0;
    }
    if (worker_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }

    double integrated = -HUGE_VAL, range = 0.0;
    if (ebur128_loudness_global(state_->s, &integrated) == EBUR128_SUCCESS)
        figures_.integratedLufs = finite(integrated);
    // Fewer than 3 s give no short-term loudness to spread: a range of 0 there would be a false figure.
    if (figures_.integratedLufs && static_cast<double>(frames_) >= 3.0 * sampleRate_ &&
        ebur128_loudness_range(state_->s, &range) == EBUR128_SUCCESS)
        figures_.loudnessRangeLu = finite(range);
    double highest = 0.0, samplePeak = 0.0;
    for (unsigned channel = 0; channel < channels_; ++channel) {
        double truePeak = 0.0, peak = 0.0;
        if (ebur128_true_peak(state_->s, channel, &truePeak) == EBUR128_SUCCESS)
            highest = std::max(highest, truePeak);
        if (ebur128_sample_peak(state_->s, channel, &peak) == EBUR128_SUCCESS)
            samplePeak = std::max(samplePeak, peak);
    }
    // The oversampled peak is never below the samples themselves.
    highest = std::max(highest, samplePeak);
    figures_.truePeakDbtp = decibels(highest);
    figures_.samplePeakDbfs = decibels(samplePeak);
    return figures_;
}

LoudnessFigures measureLoudness(const StereoAudio& audio)
{
    LoudnessMeter meter(audio.sampleRate, audio.fileChannels, false);
    meter.add(audio.left.data(), audio.right.data(), audio.frames());
    return meter.finish();
}

}  // namespace Render
