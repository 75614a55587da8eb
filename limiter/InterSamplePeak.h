// The largest absolute value a stereo signal reaches between its samples, as ITU-R BS.1770's true peak
// sees it: the band-limited signal is rebuilt at four times the rate by polyphase windowed-sinc
// interpolators, and the peak of each stretch between two samples is refined by a parabola through the
// interpolated points around it, so a peak that falls between those points is not missed by up to the
// 0.2 dB that four-times oversampling alone loses near the top of the band.
//
// Three interpolators read each point, and the largest magnitude counts. Signals with much energy near
// the top of the band (bright noise, aliased square waves, clipped drums) are read differently by
// different filters, by a few tenths of a dB:
// - a sharp one (64 taps a phase, Kaiser window) keeps the band nearly to its top, as a fine
//   oversampling reference does (16 or 32 times, long filters);
// - the loudness meters' short four-times filter (12 taps a phase, Hann window, as libebur128 and the
//   standard's example build it) lets the band's images through and reads such signals higher;
// - so does the resampler ffmpeg's loudness meter rebuilds the signal with (a 33-tap Kaiser window,
//   beta 9, cut at 97 % of the band), differently again.
// Taking all three, the stage's output passes every kind of meter.
#pragma once

class InterSamplePeak {
public:
    static constexpr int oversampling = 4;
    // Frames each interpolator reads around a stretch. Every span is a multiple of 16, so the sums run
    // eight mirrored pairs of frames at a time at any vector width; taps outside a filter's own window
    // are zero.
    static constexpr int sharpTaps = 64;
    static constexpr int resamplerTaps = 48;
    static constexpr int meterTaps = 16;
    // A frame's peak is known this many frames after the frame went in.
    static constexpr int latency = sharpTaps / 2;
    // The most frames one call takes.
    static constexpr int maxFrames = 256;

    InterSamplePeak();
    // Clears the history. The first `leadIn` frames to come are not the signal's own (silence, or the
    // latency of something before this): its start, mirrored for ffmpeg's reading, comes after them.
    void reset(int leadIn = 0);
    // Takes up to maxFrames stereo frames; peaks[i] is the peak of both channels over the stretch that
    // begins `latency` frames before frame i (from that sample up to the next one). The same bits at
    // every vector width the processor offers.
    void process(const double* left, const double* right, int frames, double* peaks);

    // The three phases between two samples are a windowed sinc shifted by a quarter, a half and three
    // quarters of a sample: the half is symmetric about the middle of the history, and the outer two
    // are each other's mirror. So each filter is kept as the even and odd parts of its first phase
    // and the even part of its middle one, applied to the sums and differences of mirrored frames: a
    // third fewer multiplications. Single precision: the detector only decides a gain, whose margin
    // is a thousand times larger than the rounding.
    // Each coefficient twice, once for each channel, as the sums read them.
    template <int span> struct Filter {
        alignas(64) float even[span], odd[span], middle[span];
    };
    struct Filters {
        Filter<sharpTaps> sharp;
        Filter<resamplerTaps> resampler;
        Filter<meterTaps> meter;
    };
    // What a call carries to the next: the frames as (left, right) pairs, the last `sharpTaps` of the
    // previous call, then this call's; the last interpolated point of the previous stretch, per channel,
    // for the parabola at its edge; and how many frames have come in since the reset.
    //
    // The first stretches are also read as ffmpeg's resampler reads the start of a file: the frames
    // before the first mirrored about it, where the history has silence. So `start` keeps the first
    // frames, and the mirror of those after the first, with a parabola edge of its own.
    static constexpr int startStretches = sharpTaps / 2 - 1;  // those whose window reaches before frame 0
    struct History {
        alignas(64) float frames[sharpTaps + maxFrames][2];
        float previousLast[2];
        long long received;  // counted from the signal's first frame
        alignas(64) float start[startStretches + sharpTaps][2];  // frames -31 to 63
        float startPreviousLast[2];
    };
    // Limits the vector width the sums may use (4, 8 or 16 floats) below what the processor offers, so
    // tests can run every width on one machine.
    static void limitWidth(int floats);
    // The widest the sums use here.
    static int width();

private:
    Filters filters;
    History history;
};
