// Audio as the renderer holds it: two channels of floats at one rate, and how the file stored them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Render {

// A file's container and sample encoding as one word: the container in the high bits, the encoding
// in the low ones (the values libsndfile uses, so the native build hands them over unchanged).
namespace FileFormat {
constexpr int wav = 0x010000, aiff = 0x020000, wavex = 0x130000, flac = 0x170000, ogg = 0x200000;
constexpr int containerMask = 0x0FFF0000, encodingMask = 0x0000FFFF;
constexpr int pcm8 = 0x0001, unsigned8 = 0x0005, pcm16 = 0x0002, pcm24 = 0x0003, pcm32 = 0x0004, float32 = 0x0006, float64 = 0x0007;
constexpr int vorbis = 0x0060, opus = 0x0064, mpegFirst = 0x0080, mpegLast = 0x0082;
}  // namespace FileFormat

struct StereoAudio {
    double sampleRate = 44100.0;
    int format = FileFormat::wav | FileFormat::float32;
    // 1: a mono file, carried in both channels and written back as one.
    int fileChannels = 2;
    std::vector<float> left, right;
    std::size_t frames() const { return left.size(); }
};

// "24-bit PCM FLAC", for the report.
std::string formatName(int format);
// The names --format takes (wav16, flac24, float, ...), listed for the usage text.
const char* formatChoices();
// False when the name is none of formatChoices().
bool parseFormatName(const std::string& name, int& format);
// The step of the format's integer grid (2^-15 for 16 bits), 0 for float, lossy encodings and 32-bit
// PCM (finer than a float's mantissa).
double quantizationStep(int format);
// Vorbis, Opus and MPEG: what the file holds is not the samples handed to the encoder.
bool isLossy(int format);

// Turns the samples into what the file will hold, so what is measured is what is written: a mono file's
// two channels folded into one (both then hold it), PCM rounded to its grid and clipped at full scale.
void roundAsWritten(StereoAudio& audio);

}  // namespace Render
