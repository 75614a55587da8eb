// Loads a VST 2.4 plug-in library and finds its entry point.
#pragma once

#include <string>

#include "host/vst24.h"

namespace VstHost {

typedef AEffect*(VSTCALLBACK* PluginEntry)(audioMasterCallback audioMaster);

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // False with a reason in error() when the file cannot be loaded or has no entry point.
    bool load(const std::string& path);
    // Only loads the file (a plug-in of another format finds its own entry); false with a reason.
    bool open(const std::string& path);
    PluginEntry entry() const { return entryPoint; }
    const std::string& error() const { return lastError; }
    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;

private:
    void* handle = nullptr;
    PluginEntry entryPoint = nullptr;
    std::string lastError;
};

// The folder holding the running program, with a trailing separator.
std::string programFolder();

// The plug-in built alongside our tools (beside the program, or where an installation puts it).
std::string defaultPluginPath();

}  // namespace VstHost
