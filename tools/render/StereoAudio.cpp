#include <algorithm>
#include <cmath>

#include "tools/render/StereoAudio.h"

namespace Render {

namespace {

struct NamedFormat {
    const char* name;
    int format;
};

constexpr NamedFormat namedFormats[] = {
    {"wav16", FileFormat::wav | FileFormat::pcm16},   {"wav24", FileFormat::wav | FileFormat::pcm24},
    {"float", FileFormat::wav | FileFormat::float32}, {"flac16", FileFormat::flac | FileFormat::pcm16},
    {"flac24", FileFormat::flac | FileFormat::pcm24}, {"aiff16", FileFormat::aiff | FileFormat::pcm16},
    {"aiff24", FileFormat::aiff | FileFormat::pcm24}, {"ogg", FileFormat::ogg | FileFormat::vorbis},
};

}  // namespace

std::string formatName(int format)
{
    std::string encoding;
    switch (format & FileFormat::encodingMask) {
    case FileFormat::pcm8: encoding = "8-bit PCM"; break;
    case FileFormat::unsigned8: encoding = "8-bit unsigned PCM"; break;
    case FileFormat::pcm16: encoding = "16-bit PCM"; break;
    case FileFormat::pcm24: encoding = "24-bit PCM"; break;
    case FileFormat::pcm32: encoding = "32-bit PCM"; break;
    case FileFormat::float32: encoding = "32-bit float"; break;
    case FileFormat::float64: encoding = "64-bit float"; break;
    case FileFormat::vorbis: encoding = "Vorbis"; break;
    case FileFormat::opus: encoding = "Opus"; break;
    default: encoding = "encoding " + std::to_string(format & FileFormat::encodingMask); break;
    }
    switch (format & FileFormat::containerMask) {
    case FileFormat::wav: return encoding + " WAV";
    case FileFormat::wavex: return encoding + " WAV (extensible)";
    case FileFormat::aiff: return encoding + " AIFF";
    case FileFormat::flac: return encoding + " FLAC";
    case FileFormat::ogg: return "Ogg " + encoding;
    default: return encoding + " (container " + std::to_string((format & FileFormat::containerMask) >> 16) + ")";
    }
}

const char* formatChoices() { return "wav16, wav24, float (32-bit WAV), flac16, flac24, aiff16, aiff24, ogg (Vorbis)"; }

bool parseFormatName(const std::string& name, int& format)
{
    for (const NamedFormat& f : namedFormats)
        if (name == f.name) {
            format = f.format;
            return true;
        }
    return false;
}

double quantizationStep(int format)
{
    switch (format & FileFormat::encodingMask) {
    case FileFormat::pcm8:
    case FileFormat::unsigned8: return 1.0 / 128.0;
    case FileFormat::pcm16: return 1.0 / 32768.0;
    case FileFormat::pcm24: return 1.0 / 8388608.0;
    default: return 0.0;  // 32-bit PCM is finer than a float's 24 bits of mantissa: nothing to round
    }
}

bool isLossy(int format)
{
    const int encoding = format & FileFormat::encodingMask;
    return encoding == FileFormat::vorbis || encoding == FileFormat::opus ||
           (encoding >= FileFormat::mpegFirst && encoding <= FileFormat::mpegLast);
}

void roundAsWritten(StereoAudio& audio)
{
    if (audio.fileChannels == 1)
        for (std::size_t i = 0; i < audio.frames(); ++i)
            audio.left[i] = audio.right[i] = 0.5f * (audio.left[i] + audio.right[i]);
    const double step = quantizationStep(audio.format);
    if (step == 0.0)
        return;
    const double scale = 1.0 / step, highest = 1.0 - step;
    for (std::vector<float>* channel : {&audio.left, &audio.right})
        for (float& sample : *channel)
            sample = static_cast<float>(std::clamp(std::nearbyint(sample * scale) * step, -1.0, highest));
}

}  // namespace Render
