// Audio files through libsndfile, whose virtual I/O reads and writes through our own file handles: the
// same reading path serves files and bytes in memory (the fuzzer's), and a failed write keeps the
// system's reason.
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

#include "tools/render/AudioFile.h"
#include "tools/render/OutputFile.h"

namespace Render {

static_assert(FileFormat::wav == SF_FORMAT_WAV && FileFormat::aiff == SF_FORMAT_AIFF && FileFormat::flac == SF_FORMAT_FLAC &&
              FileFormat::ogg == SF_FORMAT_OGG && FileFormat::containerMask == SF_FORMAT_TYPEMASK);
static_assert(FileFormat::pcm16 == SF_FORMAT_PCM_16 && FileFormat::pcm24 == SF_FORMAT_PCM_24 &&
              FileFormat::pcm32 == SF_FORMAT_PCM_32 && FileFormat::pcm8 == SF_FORMAT_PCM_S8 &&
              FileFormat::unsigned8 == SF_FORMAT_PCM_U8 && FileFormat::float32 == SF_FORMAT_FLOAT &&
              FileFormat::float64 == SF_FORMAT_DOUBLE && FileFormat::vorbis == SF_FORMAT_VORBIS &&
              FileFormat::encodingMask == SF_FORMAT_SUBMASK);

namespace {

constexpr std::size_t chunkFrames = 1 << 12;

// Where a reader's bytes come from.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual sf_count_t length() = 0;
    virtual sf_count_t seek(sf_count_t offset, int whence) = 0;
    virtual sf_count_t read(void* into, sf_count_t count) = 0;
    virtual sf_count_t tell() = 0;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    ~FileSource() override { std::fclose(file_); }
    sf_count_t length() override
    {
        const sf_count_t here = tell();
        if (fseeko(file_, 0, SEEK_END) != 0)
            return -1;
        const sf_count_t end = tell();
        fseeko(file_, static_cast<off_t>(here), SEEK_SET);
        return end;
    }
    sf_count_t seek(sf_count_t offset, int whence) override
    {
        return fseeko(file_, static_cast<off_t>(offset), whence) == 0 ? tell() : -1;
    }
    sf_count_t read(void* into, sf_count_t count) override
    {
        return count > 0 ? static_cast<sf_count_t>(std::fread(into, 1, static_cast<std::size_t>(count), file_)) : 0;
    }
    sf_count_t tell() override { return static_cast<sf_count_t>(ftello(file_)); }

private:
    std::FILE* file_;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
    sf_count_t length() override { return static_cast<sf_count_t>(bytes_.size()); }
    sf_count_t seek(sf_count_t offset, int whence) override
    {
        const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? at_ : length();
        if (offset > length() - base || base + offset < 0)  // written so no sum overflows
            return -1;
        return at_ = base + offset;
    }
    sf_count_t read(void* into, sf_count_t count) override
    {
        const sf_count_t n = std::clamp<sf_count_t>(count, 0, length() - at_);
        if (n > 0)  // an empty file has no bytes to point at
            std::memcpy(into, bytes_.data() + at_, static_cast<std::size_t>(n));
        at_ += n;
        return n;
    }
    sf_count_t tell() override { return at_; }

private:
    std::vector<unsigned char> bytes_;
    sf_count_t at_ = 0;
};

SF_VIRTUAL_IO sourceIo()
{
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* s) { return static_cast<ByteSource*>(s)->length(); };
    io.seek = [](sf_count_t offset, int whence, void* s) { return static_cast<ByteSource*>(s)->seek(offset, whence); };
    io.read = [](void* into, sf_count_t count, void* s) { return static_cast<ByteSource*>(s)->read(into, count); };
    io.write = [](const void*, sf_count_t, void*) -> sf_count_t { return 0; };
    io.tell = [](void* s) { return static_cast<ByteSource*>(s)->tell(); };
    return io;
}

SF_VIRTUAL_IO outputIo()
{
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* f) -> sf_count_t { return static_cast<OutputFile*>(f)->length(); };
    io.seek = [](sf_count_t offset, int whence, void* f) -> sf_count_t {
        auto* file = static_cast<OutputFile*>(f);
        return file->seek(offset, whence) ? file->tell() : -1;
    };
    io.read = [](void*, sf_count_t, void*) -> sf_count_t { return 0; };
    io.write = [](const void* bytes, sf_count_t count, void* f) -> sf_count_t {
        return static_cast<OutputFile*>(f)->write(bytes, static_cast<std::size_t>(count)) ? count : 0;
    };
    io.tell = [](void* f) -> sf_count_t { return static_cast<OutputFile*>(f)->tell(); };
    return io;
}

std::string logOf(SNDFILE* file)
{
    std::string log(16384, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    return log.c_str();
}

// libsndfile reads a file whose container or data chunk announces more than the file holds as far as
// it goes, and only notes it in its log ("data : 893800 (should be 793800)", "riff : ...", "SSND : ...",
// "Data Size : ..."): a lost tail we refuse. One byte over is a missing pad byte, not a lost tail.
bool announcesMoreThanThere(SNDFILE* file)
{
    std::istringstream lines(logOf(file));
    for (std::string line; std::getline(lines, line);) {
        const auto start = line.find_first_not_of(' ');
        const std::string field = start == std::string::npos ? line : line.substr(start);
        const bool sizeField = field.rfind("data", 0) == 0 || field.rfind("SSND", 0) == 0 ||
                               field.rfind("Data Size", 0) == 0 || field.rfind("riff", 0) == 0 ||
                               field.rfind("RIFF", 0) == 0 || field.rfind("FORM", 0) == 0;
        const auto colon = field.find(':'), should = field.find("(should be");
        if (!sizeField || colon == std::string::npos || should == std::string::npos)
            continue;
        const unsigned long long announced = std::strtoull(field.c_str() + colon + 1, nullptr, 10);
        const unsigned long long there = std::strtoull(field.c_str() + should + 10, nullptr, 10);
        if (announced > there + 1)
            return true;
    }
    return false;
}

// An Ogg stream cut off before its end: its last page is not whole, or lacks the end-of-stream flag
// (libsndfile reads such a stream as far as it goes without a word).
bool oggCutShort(ByteSource& source)
{
    const sf_count_t length = source.length();
    const sf_count_t tail = std::min<sf_count_t>(length, 65536 + 282);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::max<sf_count_t>(tail, 0)));
    if (tail <= 0 || source.seek(length - tail, SEEK_SET) < 0 || source.read(bytes.data(), tail) != tail) {
        source.seek(0, SEEK_SET);
        return true;
    }
    source.seek(0, SEEK_SET);
    for (std::size_t at = bytes.size() >= 27 ? bytes.size() - 27 + 1 : 0; at-- > 0;) {
        if (std::memcmp(bytes.data() + at, "OggS", 4) != 0)
            continue;
        const std::size_t segments = bytes[at + 26];
        if (at + 27 + segments > bytes.size())
            return true;
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i)
            body += bytes[at + 27 + i];
        const bool whole = at + 27 + segments + body == bytes.size();
        return !whole || !(bytes[at + 5] & 0x04);
    }
    return true;
}

class SndfileReader : public AudioReader {
public:
    SndfileReader(std::unique_ptr<ByteSource> source, std::string name)
        : source_(std::move(source)), name_(std::move(name)), io_(sourceIo())
    {
    }
    ~SndfileReader() override
    {
        if (file_)
            sf_close(file_);
    }

    bool open(std::string& error)
    {
        SF_INFO info{};
        file_ = sf_open_virtual(&io_, SFM_READ, &info, source_.get());
        if (file_ && (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG) {
            // libsndfile has read the headers already: its place in the source is kept.
            const sf_count_t at = source_->tell();
            const bool cut = oggCutShort(*source_);
            source_->seek(at, SEEK_SET);
            if (cut) {
                error = name_ + " is truncated: its Ogg stream ends without its last page";
                return false;
            }
        }
        if (!file_) {
            error = name_ + " is not an audio file we can read (" + sf_strerror(nullptr) + ")";
            return false;
        }
        if (info.channels < 1 || info.channels > 2) {
            error = name_ + " has " + std::to_string(info.channels) + " channels: only mono and stereo files are rendered";
            return false;
        }
        if (info.samplerate < 1 || info.samplerate > 1536000) {
            error = name_ + " claims a sample rate of " + std::to_string(info.samplerate) + " Hz";
            return false;
        }
        if (announcesMoreThanThere(file_)) {
            error = name_ + " is truncated: its data chunk announces more audio than the file holds";
            return false;
        }
        shape_.sampleRate = info.samplerate;
        shape_.format = info.format;
        shape_.fileChannels = info.channels;
        announced_ = info.frames > 0 && info.frames < SF_COUNT_MAX ? info.frames : -1;
        buffer_.resize(chunkFrames * static_cast<std::size_t>(info.channels));
        return true;
    }

    std::size_t read(float* left, float* right, std::size_t frames) override
    {
        const std::size_t channels = static_cast<std::size_t>(shape_.fileChannels);
        std::size_t done = 0;
        while (done < frames && !ended_) {
            const std::size_t want = std::min(chunkFrames, frames - done);
            const sf_count_t got = sf_readf_float(file_, buffer_.data(), static_cast<sf_count_t>(want));
            if (got <= 0) {
                ended_ = true;
                break;
            }
            for (std::size_t i = 0; i < static_cast<std::size_t>(got); ++i) {
                left[done + i] = buffer_[i * channels];
                right[done + i] = buffer_[i * channels + channels - 1];
            }
            done += static_cast<std::size_t>(got);
        }
        read_ += done;
        return done;
    }

    bool finish(std::string& error) override
    {
        if (sf_error(file_) != SF_ERR_NO_ERROR) {
            error = name_ + " is truncated or damaged: " + sf_strerror(file_) + " (after " + std::to_string(read_) + " frames)";
            return false;
        }
        if (announced_ > 0 && static_cast<std::int64_t>(read_) < announced_) {
            error = name_ + " is truncated or damaged: " + std::to_string(read_) + " of the " +
                    std::to_string(announced_) + " frames its header announces could be read";
            return false;
        }
        if (read_ == 0) {
            error = name_ + " holds no audio";
            return false;
        }
        return true;
    }

private:
    std::unique_ptr<ByteSource> source_;
    std::string name_;
    SF_VIRTUAL_IO io_;
    SNDFILE* file_ = nullptr;
    std::vector<float> buffer_;
    std::size_t read_ = 0;
    bool ended_ = false;
};

std::unique_ptr<AudioReader> openSource(std::unique_ptr<ByteSource> source, const std::string& name, std::string& error)
{
    auto reader = std::make_unique<SndfileReader>(std::move(source), name);
    if (!reader->open(error))
        return nullptr;
    return reader;
}

// A PCM sample at the top of a 32-bit word, which libsndfile shortens to the file's width without
// rounding: so the rounding and the clip are ours, the same as roundAsWritten's.
std::int32_t pcmWord(float sample, double step)
{
    const double highest = 1.0 / step - 1.0;
    const double q = std::clamp(std::nearbyint(sample / step), -1.0 / step, highest);
    return static_cast<std::int32_t>(q * (step * 2147483648.0));
}

class SndfileWriter : public AudioWriter {
public:
    bool open(const std::string& path, const StereoAudio& shape, std::string& error)
    {
        SF_INFO info{};
        info.samplerate = static_cast<int>(std::lround(shape.sampleRate));
        info.channels = shape.fileChannels;
        info.format = shape.format;
        if (!sf_format_check(&info)) {
            error = "cannot write " + formatName(shape.format) + " at " + std::to_string(info.samplerate) +
                    " Hz: choose another format with --format (" + formatChoices() + ")";
            return false;
        }
        path_ = path;
        channels_ = shape.fileChannels;
        step_ = quantizationStep(shape.format);
        if (!out_.open(path, error))
            return false;
        io_ = outputIo();
        file_ = sf_open_virtual(&io_, SFM_WRITE, &info, &out_);
        if (!file_) {
            error = out_.failure();
            if (error.empty())
                error = "cannot write " + path + " (" + sf_strerror(nullptr) + ")";
            out_.abandon();
            return false;
        }
        // Floats written into 32-bit PCM or a lossy encoding: clipped at full scale, never wrapped.
        sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        floats_.resize(chunkFrames * static_cast<std::size_t>(channels_));
        words_.resize(floats_.size());
        return true;
    }

    ~SndfileWriter() override
    {
        if (file_)
            sf_close(file_);
    }

    bool write(const float* left, const float* right, std::size_t frames) override
    {
        for (std::size_t at = 0; at < frames && ok_; at += chunkFrames) {
            const std::size_t n = std::min(chunkFrames, frames - at);
            for (std::size_t i = 0; i < n; ++i) {
                const float l = left[at + i], r = right[at + i];
                if (channels_ == 1) {
                    floats_[i] = 0.5f * (l + r);
                } else {
                    floats_[2 * i] = l;
                    floats_[2 * i + 1] = r;
                }
            }
            sf_count_t written;
            if (step_ > 0.0) {
                const double step = step_;
                std::transform(floats_.begin(), floats_.begin() + static_cast<std::ptrdiff_t>(n * channels_),
                               words_.begin(), [step](float s) { return pcmWord(s, step); });
                written = sf_writef_int(file_, words_.data(), static_cast<sf_count_t>(n));
            } else {
                written = sf_writef_float(file_, floats_.data(), static_cast<sf_count_t>(n));
            }
            ok_ = written == static_cast<sf_count_t>(n);
        }
        return ok_;
    }

    bool close(std::string& error) override
    {
        const int closed = sf_close(file_);
        file_ = nullptr;
        if (ok_ && closed == 0)
            return out_.commit(error);
        // The system's reason first: it says why the encoder failed.
        error = out_.failure();
        if (error.empty())
            error = "cannot write " + path_ + " (" + sf_error_number(closed) + ")";
        out_.abandon();
        return false;
    }

private:
    std::string path_;
    OutputFile out_;
    SF_VIRTUAL_IO io_{};
    SNDFILE* file_ = nullptr;
    int channels_ = 2;
    double step_ = 0.0;
    bool ok_ = true;
    std::vector<float> floats_;
    std::vector<int> words_;
};

}  // namespace

std::unique_ptr<AudioReader> openAudio(const std::string& path, std::string& error)
{
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = "cannot open " + path + ": it is a directory";
        return nullptr;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return openSource(std::make_unique<FileSource>(file), path, error);
}

std::unique_ptr<AudioReader> openAudioBytes(const std::vector<unsigned char>& bytes, const std::string& name,
                                            std::string& error)
{
    return openSource(std::make_unique<MemorySource>(bytes), name, error);
}

std::unique_ptr<AudioWriter> createAudio(const std::string& path, const StereoAudio& shape, std::string& error)
{
    auto writer = std::make_unique<SndfileWriter>();
    if (!writer->open(path, shape, error))
        return nullptr;
    return writer;
}

}  // namespace Render
