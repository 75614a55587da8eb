// Tarn.clap's one export: the entry, its factory and the one plug-in it makes.
#include <clap/entry.h>
#include <clap/plugin-factory.h>

#include <cstring>

#include "clap/ClapPlugin.h"

namespace {

bool CLAP_ABI entryInit(const char*) { return true; }
void CLAP_ABI entryDeinit() {}

std::uint32_t CLAP_ABI pluginCount(const clap_plugin_factory_t*) { return 1; }

const clap_plugin_descriptor_t* CLAP_ABI pluginDescriptor(const clap_plugin_factory_t*, std::uint32_t index)
{
    return index == 0 ? &ClapFace::descriptor : nullptr;
}

const clap_plugin_t* CLAP_ABI createPlugin(const clap_plugin_factory_t*, const clap_host_t* host, const char* id)
{
    if (!host || !id || std::strcmp(id, ClapFace::descriptor.id) != 0 || !clap_version_is_compatible(host->clap_version))
        return nullptr;
    return ClapFace::createPlugin(host);
}

const clap_plugin_factory_t factory = {pluginCount, pluginDescriptor, createPlugin};

const void* CLAP_ABI getFactory(const char* id)
{
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &factory : nullptr;
}

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION_INIT, entryInit, entryDeinit, getFactory};
