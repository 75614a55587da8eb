#include "tools/vsthost/PluginLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <vector>

namespace VstHost {

PluginLibrary::~PluginLibrary()
{
#if defined(_WIN32)
    if (handle)
        FreeLibrary(static_cast<HMODULE>(handle));
#else
    if (handle)
        dlclose(handle);
#endif
}

void* PluginLibrary::symbol(const char* name) const
{
    if (!handle)
        return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

bool PluginLibrary::load(const std::string& path)
{
    if (!open(path))
        return false;
    void* found = symbol("VSTPluginMain");
    if (!found)
        found = symbol("main");
    if (!found) {
        lastError = path + " has no VSTPluginMain or main entry point";
        return false;
    }
    entryPoint = reinterpret_cast<PluginEntry>(found);
    return true;
}

bool PluginLibrary::open(const std::string& path)
{
#if defined(_WIN32)
    handle = LoadLibraryA(path.c_str());
    if (!handle) {
        lastError = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
#else
    // A bare name is a file here, not a library for the loader to look for in its folders.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        lastError = why ? why : ("cannot load " + path);
        return false;
    }
#endif
    return true;
}

std::string programFolder()
{
    std::vector<char> buffer(4096);
#if defined(_WIN32)
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::string path(buffer.data(), n);
    const auto cut = path.find_last_of("\\/");
#else
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    std::string path(buffer.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
    const auto cut = path.find_last_of('/');
#endif
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string defaultPluginPath()
{
#if defined(_WIN32)
    return programFolder() + "Tarn.dll";
#else
    // Beside the program in a build folder; installed, the program is in bin/ and the plug-in in lib/vst/.
    const std::string beside = programFolder() + "Tarn.so";
    const std::string installed = programFolder() + "../lib/vst/Tarn.so";
    return access(beside.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0 ? installed : beside;
#endif
}

}  // namespace VstHost
