// tarn-render: runs a VST 2.4 plug-in (Tarn by default) the way a host does.
#include <cstring>
#include <iostream>
#include <string>

#include "tools/render/DescriptorReport.h"
#include "tools/vsthost/HostedEffect.h"

namespace {

int usage(std::ostream& out, int status)
{
    out << "usage: tarn-render [--plugin PATH] --info\n"
           "  --info          print the plug-in's descriptor and answers\n"
           "  --plugin PATH   the VST 2.4 plug-in to load (default: the Tarn built alongside)\n";
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string pluginPath = VstHost::defaultPluginPath();
    bool info = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--plugin" && i + 1 < argc)
            pluginPath = argv[++i];
        else if (arg == "--info")
            info = true;
        else if (arg == "--help" || arg == "-h")
            return usage(std::cout, 0);
        else
            return usage(std::cerr, 2);
    }
    if (!info)
        return usage(std::cerr, 2);

    VstHost::PluginLibrary library;
    if (!library.load(pluginPath)) {
        std::cerr << "tarn-render: " << library.error() << "\n";
        return 1;
    }
    auto host = VstHost::HostedEffect::create(library.entry());
    if (!host) {
        std::cerr << "tarn-render: the plug-in created no effect\n";
        return 1;
    }
    host->start(44100.0f, 512);
    std::cout << "plug-in:     " << pluginPath << "\n";
    printDescriptorReport(*host, std::cout);
    return 0;
}
