#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/Platform.h"

namespace Platform {

void showMessageBox(const char* text, const char* caption, MessageStyle /*style*/)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

bool appDataFolder(std::string& path)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) {
        path = config;
        return true;
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return false;
    path = std::string(home) + "/.config";
    return true;
}

char pathSeparator() { return '/'; }

bool createFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) == 0)
        return true;
    struct stat info {};
    return errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

ReadResult readWholeFile(const std::string& path, std::size_t sizeLimit, std::vector<unsigned char>& bytes)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return ReadResult::missing;
    if (static_cast<unsigned long long>(info.st_size) >= sizeLimit)
        return ReadResult::tooLarge;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return ReadResult::missing;
    bytes.resize(static_cast<std::size_t>(info.st_size));
    const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got != bytes.size())
        return ReadResult::failed;
    return ReadResult::ok;
}

bool writeWholeFile(const std::string& path, const void* bytes, std::size_t count)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = count == 0 || std::fwrite(bytes, 1, count, file) == count;
    return std::fclose(file) == 0 && written;
}

}  // namespace Platform
