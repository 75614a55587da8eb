// Audio files through libsndfile.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "tools/render/AudioFile.h"
#include "tools/render/TemporaryFile.h"

namespace Render {

static_assert(FileFormat::wav == SF_FORMAT_WAV && FileFormat::aiff == SF_FORMAT_AIFF && FileFormat::flac == SF_FORMAT_FLAC &&
              FileFormat::ogg == SF_FORMAT_OGG && FileFormat::containerMask == SF_FORMAT_TYPEMASK);
static_assert(FileFormat::pcm16 == SF_FORMAT_PCM_16 && FileFormat::pcm24 == SF_FORMAT_PCM_24 &&
              FileFormat::pcm32 == SF_FORMAT_PCM_32 && FileFormat::pcm8 == SF_FORMAT_PCM_S8 &&
              FileFormat::unsigned8 == SF_FORMAT_PCM_U8 && FileFormat::float32 == SF_FORMAT_FLOAT &&
              FileFormat::float64 == SF_FORMAT_DOUBLE && FileFormat::vorbis == SF_FORMAT_VORBIS &&
              FileFormat::encodingMask == SF_FORMAT_SUBMASK);

namespace {

constexpr sf_count_t chunkFrames = 1 << 16;

struct FileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, FileCloser>;

// A PCM sample at the top of a 32-bit word, which libsndfile shortens to the file's width without
// rounding: so the rounding and the clip are ours, the same as roundAsWritten's.
std::int32_t pcmWord(float sample, double step)
{
    const double highest = 1.0 / step - 1.0;
    const double q = std::clamp(std::nearbyint(sample / step), -1.0 / step, highest);
    return static_cast<std::int32_t>(q * (step * 2147483648.0));
}

bool writeFrames(SNDFILE* file, const StereoAudio& audio)
{
    const int channels = audio.fileChannels;
    const double step = quantizationStep(audio.format);
    std::vector<float> floats;
    std::vector<int> words;
    for (std::size_t at = 0; at < audio.frames(); at += chunkFrames) {
        const std::size_t n = std::min<std::size_t>(chunkFrames, audio.frames() - at);
        floats.resize(n * channels);
        for (std::size_t i = 0; i < n; ++i) {
            const float l = audio.left[at + i], r = audio.right[at + i];
            if (channels == 1) {
                floats[i] = 0.5f * (l + r);
            } else {
                floats[2 * i] = l;
                floats[2 * i + 1] = r;
            }
        }
        sf_count_t written;
        if (step > 0.0) {
            words.resize(floats.size());
            std::transform(floats.begin(), floats.end(), words.begin(), [step](float s) { return pcmWord(s, step); });
            written = sf_writef_int(file, words.data(), static_cast<sf_count_t>(n));
        } else {
            written = sf_writef_float(file, floats.data(), static_cast<sf_count_t>(n));
        }
        if (written != static_cast<sf_count_t>(n))
            return false;
    }
    return true;
}

// libsndfile reads a WAV or AIFF file whose data chunk announces more than the file holds as far as it
// goes, and only notes it in its log ("data : 893800 (should be 793800)"): a lost tail we refuse.
bool dataChunkShortened(SNDFILE* file)
{
    std::string log(8192, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    std::istringstream lines(log.c_str());
    for (std::string line; std::getline(lines, line);)
        if ((line.rfind("data :", 0) == 0 || line.rfind("SSND :", 0) == 0) && line.find("(should be") != std::string::npos)
            return true;
    return false;
}

}  // namespace

bool readAudio(const std::string& path, StereoAudio& audio, std::string& error)
{
    if (!std::ifstream(path, std::ios::binary)) {
        error = "cannot open " + path;
        return false;
    }
    SF_INFO info{};
    SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        error = path + " is not an audio file we can read (" + sf_strerror(nullptr) + ")";
        return false;
    }
    if (info.channels > 2) {
        error = path + " has " + std::to_string(info.channels) + " channels: only mono and stereo files are rendered";
        return false;
    }
    if (dataChunkShortened(file.get())) {
        error = path + " is truncated: its data chunk announces more audio than the file holds";
        return false;
    }
    if (info.frames <= 0) {
        error = path + " holds no audio";
        return false;
    }
    audio.sampleRate = info.samplerate;
    audio.format = info.format;
    audio.fileChannels = info.channels;
    audio.left.resize(static_cast<std::size_t>(info.frames));
    audio.right.resize(static_cast<std::size_t>(info.frames));
    std::vector<float> buffer(static_cast<std::size_t>(chunkFrames) * info.channels);
    sf_count_t done = 0;
    while (done < info.frames) {
        const sf_count_t got = sf_readf_float(file.get(), buffer.data(), std::min(chunkFrames, info.frames - done));
        if (got <= 0)
            break;
        for (sf_count_t i = 0; i < got; ++i) {
            audio.left[done + i] = buffer[i * info.channels];
            audio.right[done + i] = buffer[i * info.channels + info.channels - 1];
        }
        done += got;
    }
    if (done < info.frames || sf_error(file.get()) != SF_ERR_NO_ERROR) {
        error = path + " is truncated or damaged: " + std::to_string(done) + " of the " + std::to_string(info.frames) +
                " frames its header announces could be read";
        return false;
    }
    return true;
}

bool writeAudio(const std::string& path, const StereoAudio& audio, std::string& error)
{
    SF_INFO info{};
    info.samplerate = static_cast<int>(std::lround(audio.sampleRate));
    info.channels = audio.fileChannels;
    info.format = audio.format;
    if (!sf_format_check(&info)) {
        error = "cannot write " + formatName(audio.format) + " at " + std::to_string(info.samplerate) +
                " Hz: choose another format with --format (" + formatChoices() + ")";
        return false;
    }
    const std::string temporary = temporaryFor(path);
    bool written = false;
    {
        SoundFile file(sf_open(temporary.c_str(), SFM_WRITE, &info));
        if (!file) {
            error = "cannot write " + path + " (" + sf_strerror(nullptr) + ")";
            return false;
        }
        // Floats written into 32-bit PCM or a lossy encoding: clipped at full scale, never wrapped.
        sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
        written = writeFrames(file.get(), audio);
        written = sf_close(file.release()) == 0 && written;
    }
    return keepTemporary(path, written, error);
}

}  // namespace Render
