// The Windows build's own WAV files (no libsndfile there): 16- and 24-bit PCM and 32-bit float, mono
// or stereo. This build renders the editor's short pictures only, so files are read whole (sized by
// the bytes really there, never by a header) and written whole through OutputFile.
#include "tools/render/AudioFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/render/OutputFile.h"

namespace Render {

namespace {

constexpr std::uint16_t formatPcm = 1;
constexpr std::uint16_t formatFloat = 3;
constexpr std::uint16_t formatExtensible = 0xFFFE;

std::uint32_t le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void put16(std::vector<unsigned char>& out, std::uint32_t v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<unsigned char>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

int bytesPerSample(int f)
{
    const int encoding = f & FileFormat::encodingMask;
    return encoding == FileFormat::pcm16 ? 2 : (encoding == FileFormat::pcm24 ? 3 : 4);
}

float decode(const unsigned char* p, int f)
{
    switch (f & FileFormat::encodingMask) {
    case FileFormat::pcm16:
        return static_cast<std::int16_t>(le16(p)) / 32768.0f;
    case FileFormat::pcm24: {
        std::int32_t v = static_cast<std::int32_t>((p[0] << 8) | (p[1] << 16) | (std::uint32_t(p[2]) << 24)) >> 8;
        return static_cast<float>(v / 8388608.0);
    }
    default: {
        const std::uint32_t bits = le32(p);
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    }
    return 0.0f;
}

void encode(std::vector<unsigned char>& out, float sample, int f)
{
    const int encoding = f & FileFormat::encodingMask;
    if (encoding == FileFormat::float32) {
        std::uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        put32(out, bits);
        return;
    }
    const double scale = encoding == FileFormat::pcm16 ? 32768.0 : 8388608.0;
    const double v = std::nearbyint(static_cast<double>(sample) * scale);
    const auto q = static_cast<std::int32_t>(std::max(-scale, std::min(scale - 1.0, v)));
    out.push_back(q & 0xFF);
    out.push_back((q >> 8) & 0xFF);
    if (encoding == FileFormat::pcm24)
        out.push_back((q >> 16) & 0xFF);
}


bool parseWav(const std::vector<unsigned char>& bytes, const std::string& path, StereoAudio& audio, std::string& error)
{
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = path + " is not a WAV file";
        return false;
    }
    bool haveFormat = false;
    std::uint16_t channels = 0, tag = 0, bits = 0;
    std::uint32_t rate = 0;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const unsigned char* chunk = bytes.data() + at;
        const std::uint32_t size = le32(chunk + 4);
        const std::size_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || body + size > bytes.size()) {
                error = path + ": truncated format chunk";
                return false;
            }
            tag = le16(bytes.data() + body);
            channels = le16(bytes.data() + body + 2);
            rate = le32(bytes.data() + body + 4);
            bits = le16(bytes.data() + body + 14);
            if (tag == formatExtensible && size >= 26)
                tag = le16(bytes.data() + body + 24);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = path + ": data before the format chunk";
                return false;
            }
            if (channels != 1 && channels != 2) {
                error = path + " has " + std::to_string(channels) + " channels: only mono and stereo files are rendered";
                return false;
            }
            if (tag == formatPcm && bits == 16)
                audio.format = FileFormat::wav | FileFormat::pcm16;
            else if (tag == formatPcm && bits == 24)
                audio.format = FileFormat::wav | FileFormat::pcm24;
            else if (tag == formatFloat && bits == 32)
                audio.format = FileFormat::wav | FileFormat::float32;
            else {
                error = path + ": unsupported sample format (" + std::to_string(bits) +
                        "-bit, tag " + std::to_string(tag) + "); use 16- or 24-bit PCM or 32-bit float";
                return false;
            }
            if (rate == 0) {
                error = path + ": sample rate 0";
                return false;
            }
            const int step = bytesPerSample(audio.format);
            const std::size_t frameBytes = channels * static_cast<std::size_t>(step);
            if (body + size > bytes.size() || size % frameBytes != 0) {
                error = path + " is truncated: its data chunk announces " + std::to_string(size) + " bytes, " +
                        std::to_string(bytes.size() > body ? bytes.size() - body : 0) + " are there";
                return false;
            }
            const std::size_t frames = size / frameBytes;
            if (frames == 0) {
                error = path + " holds no audio";
                return false;
            }
            audio.sampleRate = rate;
            audio.fileChannels = channels;
            audio.left.resize(frames);
            audio.right.resize(frames);
            for (std::size_t i = 0; i < frames; ++i) {
                const unsigned char* p = bytes.data() + body + i * frameBytes;
                audio.left[i] = decode(p, audio.format);
                audio.right[i] = decode(p + (channels - 1) * step, audio.format);
            }
            return true;
        }
        at = body + size + (size & 1u);
    }
    error = path + (haveFormat ? " has no data chunk" : " has no format chunk");
    return false;
}

bool checkWritable(const StereoAudio& audio, std::string& error)
{
    const int encoding = audio.format & FileFormat::encodingMask;
    if ((audio.format & FileFormat::containerMask) != FileFormat::wav ||
        (encoding != FileFormat::pcm16 && encoding != FileFormat::pcm24 && encoding != FileFormat::float32)) {
        error = "the Windows build writes WAV only (wav16, wav24, float), not " + formatName(audio.format);
        return false;
    }
    return true;
}

bool writeWav(const std::string& path, const StereoAudio& audio, std::string& error)
{
    const int encoding = audio.format & FileFormat::encodingMask;
    if ((audio.format & FileFormat::containerMask) != FileFormat::wav ||
        (encoding != FileFormat::pcm16 && encoding != FileFormat::pcm24 && encoding != FileFormat::float32)) {
        error = "the Windows build writes WAV only (wav16, wav24, float), not " + formatName(audio.format);
        return false;
    }
    const int step = bytesPerSample(audio.format);
    const int channels = audio.fileChannels;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(audio.frames() * channels * step);
    std::vector<unsigned char> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, encoding == FileFormat::float32 ? formatFloat : formatPcm);
    put16(out, static_cast<std::uint16_t>(channels));
    const auto rate = static_cast<std::uint32_t>(audio.sampleRate);
    put32(out, rate);
    put32(out, rate * channels * step);
    put16(out, static_cast<std::uint16_t>(channels * step));
    put16(out, 8 * step);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataBytes);
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        if (channels == 1) {
            encode(out, 0.5f * (audio.left[i] + audio.right[i]), audio.format);
        } else {
            encode(out, audio.left[i], audio.format);
            encode(out, audio.right[i], audio.format);
        }
    }
    return writeWholeFile(path, out, error);
}

// Gathers the audio and writes the file whole when closed.
class WavWriter : public AudioWriter {
public:
    WavWriter(const std::string& path, const StereoAudio& shape) : path_(path), audio_(shape) {}
    bool write(const float* left, const float* right, std::size_t frames) override
    {
        audio_.left.insert(audio_.left.end(), left, left + frames);
        audio_.right.insert(audio_.right.end(), right, right + frames);
        return true;
    }
    bool close(std::string& error) override { return writeWav(path_, audio_, error); }

private:
    std::string path_;
    StereoAudio audio_;
};

}  // namespace

std::unique_ptr<AudioReader> openAudioBytes(const std::vector<unsigned char>& bytes, const std::string& name,
                                            std::string& error)
{
    StereoAudio audio;
    if (!parseWav(bytes, name, audio, error))
        return nullptr;
    return audioFromMemory(std::move(audio));
}

std::unique_ptr<AudioReader> openAudio(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return nullptr;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return openAudioBytes(bytes, path, error);
}

std::unique_ptr<AudioWriter> createAudio(const std::string& path, const StereoAudio& shape, std::string& error)
{
    if (!checkWritable(shape, error))
        return nullptr;
    StereoAudio empty = shape;
    empty.left.clear();
    empty.right.clear();
    return std::make_unique<WavWriter>(path, empty);
}

}  // namespace Render
