// The largest absolute value a stereo signal reaches between its samples, as ITU-R BS.1770's true peak
// sees it: the band-limited signal is rebuilt at four times the rate by polyphase windowed-sinc
// interpolators, and the peak of each stretch between two samples is refined by a parabola through the
// interpolated points around it, so a peak that falls between those points is not missed by up to the
// 0.2 dB that four-times oversampling alone loses near the top of the band.
//
// Two interpolators read each point, and the larger magnitude counts. Signals with much energy near the
// top of the band (bright noise, aliased square waves) are read differently by different filters: a
// sharp one (32 taps a phase, Kaiser window) agrees within 0.1 dB with a 32-times reference, while the
// loudness meters' short four-times filters (12 taps a phase, Hann window, as libebur128 and the
// standard's example use) let the band's images through and read such signals up to 0.2 dB higher.
// Taking both, the stage's output passes both kinds of meter.
#pragma once

class InterSamplePeak {
public:
    static constexpr int oversampling = 4;
    static constexpr int sharpTaps = 32;
    static constexpr int meterTaps = 12;
    // A frame's peak is known this many frames after the frame went in.
    static constexpr int latency = sharpTaps / 2;

    InterSamplePeak();
    void reset();
    // The most frames one call takes.
    static constexpr int maxFrames = 256;
    // Takes up to maxFrames stereo frames; peaks[i] is the peak of both channels over the stretch that
    // begins `latency` frames before frame i (from that sample up to the next one).
    void process(const double* left, const double* right, int frames, double* peaks);

private:
    // The three phases between two samples are a windowed sinc shifted by a quarter, a half and three
    // quarters of a sample: the half is symmetric about the middle of the history, and the outer two
    // are each other's mirror. So each filter is kept as the even and odd parts of its first phase
    // and the even part of its middle one, applied to the sums and differences of mirrored frames: a
    // third fewer multiplications. Single precision: the detector only decides a gain, whose margin
    // is a thousand times larger than the rounding.
    // Each coefficient twice, once for each channel, as the sums read them.
    struct Filter {
        alignas(16) float even[sharpTaps], odd[sharpTaps], middle[sharpTaps];
    };
    static constexpr int meterFirst = (sharpTaps - meterTaps) / 2;
    Filter sharp, meter;
    // Frames as (left, right) pairs: the last `sharpTaps` of the previous call, then this call's. A call
    // writes all its frames before it reads any, so no read waits on a store still under way.
    alignas(16) float history[sharpTaps + maxFrames][2];
    // The last interpolated point of the previous stretch, per channel, for the parabola at its edge.
    float previousLast[2] = {0.0f, 0.0f};
};
