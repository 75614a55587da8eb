// CLAP's render extension, which the headers we build against do not carry: declared here as CLAP
// 1.1 publishes it ("clap.render": whether the plug-in needs real time, and the host saying whether
// it renders offline).
#pragma once

#include <clap/plugin.h>

static CLAP_CONSTEXPR const char CLAP_EXT_RENDER[] = "clap.render";

enum {
    CLAP_RENDER_REALTIME = 0,
    CLAP_RENDER_OFFLINE = 1,
};
typedef int32_t clap_plugin_render_mode;

typedef struct clap_plugin_render {
    bool(CLAP_ABI* has_hard_realtime_requirement)(const clap_plugin_t* plugin);
    bool(CLAP_ABI* set)(const clap_plugin_t* plugin, clap_plugin_render_mode mode);
} clap_plugin_render_t;
