#include "tools/render/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace Render {

namespace fs = std::filesystem;

namespace {

std::string reason(int code) { return code ? std::strerror(code) : "unknown error"; }

// Follows OUT's symlinks to the path they end at, which may not exist yet (a dangling link is written
// through, as `cp` and sox do).
bool followLinks(const fs::path& out, fs::path& end, std::string& error)
{
    end = out;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code code;
        if (!fs::is_symlink(fs::symlink_status(end, code)))
            return true;
        const fs::path next = fs::read_symlink(end, code);
        if (code) {
            error = "cannot follow the link " + out.string() + ": " + code.message();
            return false;
        }
        end = next.is_absolute() ? next : end.parent_path() / next;
    }
    error = "cannot follow the link " + out.string() + ": too many levels of symbolic links";
    return false;
}

}  // namespace

bool resolveOutput(const std::string& out, OutputTarget& target, std::string& error)
{
    fs::path end;
    if (out.empty()) {
        error = "an empty output name";
        return false;
    }
    if (!followLinks(out, end, error))
        return false;
    target = {end.string(), false};
    std::error_code code;
    const fs::file_status status = fs::status(end, code);
    switch (status.type()) {
    case fs::file_type::not_found:
    case fs::file_type::regular:
        return true;
    case fs::file_type::character:
    case fs::file_type::fifo:
        target.direct = true;
        return true;
    case fs::file_type::directory:
        error = out + " is a directory: name a file";
        return false;
    default:
        error = "cannot write " + out + ": " + (code ? code.message() : "it is neither a file, a device nor a pipe");
        return false;
    }
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code code;
    return fs::equivalent(a, b, code) && !code;
}

OutputFile::~OutputFile() { abandon(); }

bool OutputFile::open(const std::string& out, std::string& error)
{
    abandon();
    out_ = out;
    if (!resolveOutput(out, target_, error))
        return false;
    written_ = target_.direct ? target_.path : target_.path + ".part";
    file_ = std::fopen(written_.c_str(), "wb");
    if (!file_) {
        error = "cannot write " + out + ": " + reason(errno);
        return false;
    }
    firstError_ = 0;
    return true;
}

void OutputFile::fail()
{
    if (!firstError_)
        firstError_ = errno ? errno : EIO;
}

bool OutputFile::write(const void* bytes, std::size_t size)
{
    if (!file_ || firstError_)
        return false;
    errno = 0;
    if (size && std::fwrite(bytes, 1, size, file_) != size) {
        fail();
        return false;
    }
    return true;
}

bool OutputFile::seek(long long offset, int whence)
{
#ifdef _WIN32
    return file_ && _fseeki64(file_, offset, whence) == 0;
#else
    return file_ && fseeko(file_, static_cast<off_t>(offset), whence) == 0;
#endif
}

long long OutputFile::tell()
{
#ifdef _WIN32
    return file_ ? _ftelli64(file_) : -1;
#else
    return file_ ? static_cast<long long>(ftello(file_)) : -1;
#endif
}

long long OutputFile::length()
{
    const long long here = tell();
    if (here < 0 || !seek(0, SEEK_END))
        return -1;
    const long long end = tell();
    seek(here, SEEK_SET);
    return end;
}

bool OutputFile::commit(std::string& error)
{
    if (!file_) {
        error = "cannot write " + out_ + ": it was never opened";
        return false;
    }
    errno = 0;
    if (std::fflush(file_) != 0)
        fail();
    errno = 0;
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0)
        fail();
    if (!firstError_ && !target_.direct) {
#ifdef _WIN32
        std::remove(target_.path.c_str());  // Windows renames onto no existing file
#endif
        errno = 0;
        if (std::rename(written_.c_str(), target_.path.c_str()) != 0)
            fail();
    }
    if (firstError_) {
        error = "cannot write " + out_ + ": " + reason(firstError_);
        abandon();
        return false;
    }
    written_.clear();
    return true;
}

std::string OutputFile::failure() const
{
    return firstError_ ? "cannot write " + out_ + ": " + reason(firstError_) : std::string();
}

void OutputFile::abandon()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    if (!written_.empty() && !target_.direct)
        std::remove(written_.c_str());
    written_.clear();
}

bool writeWholeFile(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error)
{
    OutputFile file;
    if (!file.open(path, error))
        return false;
    file.write(bytes.data(), bytes.size());
    return file.commit(error);
}

bool writeWholeFile(const std::string& path, const std::string& text, std::string& error)
{
    return writeWholeFile(path, std::vector<unsigned char>(text.begin(), text.end()), error);
}

}  // namespace Render
