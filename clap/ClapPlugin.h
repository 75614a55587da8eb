// One Tarn instance behind CLAP's plug-in interface: the driver of the very effect of the VST 2.4
// plug-in, made at init (so parameters and state work before activation) and set to the host's rate
// when activated.
#pragma once

#include <clap/plugin.h>

namespace ClapFace {

extern const clap_plugin_descriptor_t descriptor;

// A new instance for the host, or null when the memory cannot be had.
const clap_plugin_t* createPlugin(const clap_host_t* host);

}  // namespace ClapFace
