#include "tools/render/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

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

int bytesPerSample(SampleFormat f) { return f == SampleFormat::pcm16 ? 2 : (f == SampleFormat::pcm24 ? 3 : 4); }

float decode(const unsigned char* p, SampleFormat f)
{
    switch (f) {
    case SampleFormat::pcm16:
        return static_cast<std::int16_t>(le16(p)) / 32768.0f;
    case SampleFormat::pcm24: {
        std::int32_t v = static_cast<std::int32_t>((p[0] << 8) | (p[1] << 16) | (std::uint32_t(p[2]) << 24)) >> 8;
        return static_cast<float>(v / 8388608.0);
    }
    case SampleFormat::float32: {
        const std::uint32_t bits = le32(p);
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    }
    return 0.0f;
}

void encode(std::vector<unsigned char>& out, float sample, SampleFormat f)
{
    if (f == SampleFormat::float32) {
        std::uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        put32(out, bits);
        return;
    }
    const double scale = f == SampleFormat::pcm16 ? 32768.0 : 8388608.0;
    const double v = std::round(static_cast<double>(sample) * scale);
    const auto q = static_cast<std::int32_t>(std::max(-scale, std::min(scale - 1.0, v)));
    out.push_back(q & 0xFF);
    out.push_back((q >> 8) & 0xFF);
    if (f == SampleFormat::pcm24)
        out.push_back((q >> 16) & 0xFF);
}

}  // namespace

const char* formatName(SampleFormat format)
{
    switch (format) {
    case SampleFormat::pcm16:
        return "16-bit PCM";
    case SampleFormat::pcm24:
        return "24-bit PCM";
    case SampleFormat::float32:
        return "32-bit float";
    }
    return "?";
}

bool readWav(const std::string& path, StereoAudio& audio, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
            if (channels == 1) {
                error = path + " is mono: Tarn is a stereo effect, give it a stereo file";
                return false;
            }
            if (channels != 2) {
                error = path + " has " + std::to_string(channels) + " channels: only stereo files are rendered";
                return false;
            }
            if (tag == formatPcm && bits == 16)
                audio.format = SampleFormat::pcm16;
            else if (tag == formatPcm && bits == 24)
                audio.format = SampleFormat::pcm24;
            else if (tag == formatFloat && bits == 32)
                audio.format = SampleFormat::float32;
            else {
                error = path + ": unsupported sample format (" + std::to_string(bits) +
                        "-bit, tag " + std::to_string(tag) + "); use 16- or 24-bit PCM or 32-bit float";
                return false;
            }
            if (rate == 0) {
                error = path + ": sample rate 0";
                return false;
            }
            const std::size_t frameBytes = 2 * static_cast<std::size_t>(bytesPerSample(audio.format));
            if (body + size > bytes.size() || size % frameBytes != 0) {
                error = path + " is truncated: its data chunk announces " + std::to_string(size) + " bytes, " +
                        std::to_string(bytes.size() > body ? bytes.size() - body : 0) + " are there";
                return false;
            }
            const std::size_t frames = size / frameBytes;
            audio.sampleRate = rate;
            audio.left.resize(frames);
            audio.right.resize(frames);
            const int step = bytesPerSample(audio.format);
            for (std::size_t i = 0; i < frames; ++i) {
                const unsigned char* p = bytes.data() + body + i * frameBytes;
                audio.left[i] = decode(p, audio.format);
                audio.right[i] = decode(p + step, audio.format);
            }
            return true;
        }
        at = body + size + (size & 1u);
    }
    error = path + (haveFormat ? " has no data chunk" : " has no format chunk");
    return false;
}

bool writeWav(const std::string& path, const StereoAudio& audio, std::string& error)
{
    const int step = bytesPerSample(audio.format);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(audio.frames() * 2 * step);
    std::vector<unsigned char> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, audio.format == SampleFormat::float32 ? formatFloat : formatPcm);
    put16(out, 2);
    const auto rate = static_cast<std::uint32_t>(audio.sampleRate);
    put32(out, rate);
    put32(out, rate * 2 * step);
    put16(out, 2 * step);
    put16(out, 8 * step);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataBytes);
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        encode(out, audio.left[i], audio.format);
        encode(out, audio.right[i], audio.format);
    }
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file || !file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()))) {
            std::remove(temporary.c_str());
            error = "cannot write " + path;
            return false;
        }
    }
    std::remove(path.c_str());
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace Render
