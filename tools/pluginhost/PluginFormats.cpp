// Which format a plug-in file is in, by its name, as hosts tell them apart.
#include "tools/pluginhost/HostedPlugin.h"
#include "tools/pluginhost/Vst2Plugin.h"

namespace PluginHost {

std::unique_ptr<PluginFile> openPluginFile(const std::string& path, std::string& error)
{
    return Vst2File::open(path, error);
}

}  // namespace PluginHost
