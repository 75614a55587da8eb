// The library's exported entry points. On Windows the .def file adds `main` and `MAIN` as aliases; on
// Linux `main` is an alias with an assembler name, since C++ cannot declare a function `main` that
// returns a pointer.
#include "host/EffectEntry.h"

#if defined(_WIN32)
#define VST_EXPORT
#else
#define VST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster)
{
    return createEffectForHost(audioMaster, createEffectInstance);
}

#if !defined(_WIN32)
extern "C" VST_EXPORT AEffect* vstMainAlias(audioMasterCallback audioMaster) asm("main")
    __attribute__((alias("VSTPluginMain")));
#endif
