// Which format a plug-in file is in, by its name, as hosts tell them apart.
#include "tools/pluginhost/HostedPlugin.h"
#include "tools/pluginhost/ClapInstance.h"
#include "tools/pluginhost/Vst3Instance.h"
#include "tools/pluginhost/Vst2Plugin.h"

namespace PluginHost {

namespace {

bool endsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::unique_ptr<PluginFile> openPluginFile(const std::string& path, std::string& error)
{
    if (endsWith(path, ".clap"))
        return ClapFile::open(path, error);
    if (endsWith(path, ".vst3") || endsWith(path, ".vst3/"))
        return Vst3File::open(path, error);
    return Vst2File::open(path, error);
}

}  // namespace PluginHost
