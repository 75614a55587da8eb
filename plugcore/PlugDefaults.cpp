// The user's personal defaults: a bank chunk in the application-data folder, read by every new
// instance and written on request. File errors are silent.
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "plugcore/Plug.h"

namespace PlugCore {

namespace {

constexpr std::size_t defaultsSizeLimit = 1u << 20;

std::string folderPath(const std::string& appData, const char* maker)
{
    return appData + Platform::pathSeparator() + maker;
}

}  // namespace

void Plug::loadDefaults()
{
    for (VstInt32 p = 0; p < programCount; ++p)
        storeProgram(p);
    std::string appData;
    if (!Platform::appDataFolder(appData))
        return;
    const std::string path = folderPath(appData, vendor) + Platform::pathSeparator() + name + ".defaults";
    std::vector<unsigned char> bytes;
    if (Platform::readWholeFile(path, defaultsSizeLimit, bytes) != Platform::ReadResult::ok)
        return;
    setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), false);
    params.captureDefaults();
}

void Plug::saveDefaults()
{
    const std::vector<unsigned char> bank = writeChunk(false);
    std::string appData;
    if (!Platform::appDataFolder(appData))
        return;
    const std::string folder = folderPath(appData, vendor);
    Platform::createFolder(folder);
    if (!Platform::writeWholeFile(folder + Platform::pathSeparator() + name + ".defaults", bank.data(), bank.size()))
        return;
    params.captureDefaults();
}

}  // namespace PlugCore
