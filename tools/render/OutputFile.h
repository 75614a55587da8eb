// Every file the renderer writes (audio, picture, JSON, presets) goes where users of sox and ffmpeg
// expect: a new or regular file is written to a temporary file beside it and takes its name only once
// whole, so a failure leaves nothing (and never half a file under the name asked for); a symlink's
// target is written that way and the link stays; a character device or a FIFO (/dev/null, a pipe) is
// written directly and never replaced; a directory is refused. Failures name the file and the
// system's reason.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace Render {

struct OutputTarget {
    std::string path;     // the file really written: OUT itself, or the end of OUT's symlinks
    bool direct = false;  // a device or a FIFO, written in place
};

// False with a reason when OUT is (or links to) a directory or something else that is not a file.
bool resolveOutput(const std::string& out, OutputTarget& target, std::string& error);

// True when both paths name the same existing file, however they are spelt (symlinks, hard links,
// "." and "..").
bool sameFile(const std::string& a, const std::string& b);

// One file being written. Abandoned (the temporary removed) unless commit() succeeds.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool open(const std::string& out, std::string& error);
    // Keeps the first failure's reason for commit().
    bool write(const void* bytes, std::size_t size);
    bool seek(long long offset, int whence);
    long long tell();
    long long length();
    // Flushes and closes; a regular file then takes its name. False with the reason, leaving nothing.
    bool commit(std::string& error);
    // Closes and removes what was written (a device is only closed).
    void abandon();
    // "cannot write OUT: REASON" after a failed write, else empty.
    std::string failure() const;

private:
    void fail();

    std::string out_, written_;  // the name asked for, the name written (the temporary or the device)
    OutputTarget target_;
    std::FILE* file_ = nullptr;
    int firstError_ = 0;
};

bool writeWholeFile(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error);
bool writeWholeFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace Render
