#include "tools/render/TemporaryFile.h"

#include <cstdio>

namespace Render {

std::string temporaryFor(const std::string& path) { return path + ".part"; }

bool keepTemporary(const std::string& path, bool written, std::string& error)
{
    const std::string temporary = temporaryFor(path);
#ifdef _WIN32
    if (written)
        std::remove(path.c_str());  // Windows renames onto no existing file
#endif
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace Render
