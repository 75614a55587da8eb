// qemu hands this library to each emulated program through QEMU_SET_ENV=LD_PRELOAD=...; the program
// itself must not pass LD_PRELOAD on, or every native program it starts (the wineserver, shell
// scripts) would be asked to load a 32-bit library and complain. QEMU_SET_ENV stays, so the 32-bit
// programs started later get the library again from qemu.
#include "shim.h"

static int isPreload(const char* entry)
{
    const char* name = "LD_PRELOAD=";
    while (*name)
        if (*entry++ != *name++)
            return 0;
    return 1;
}

__attribute__((constructor(101))) static void dropPreload(void)
{
    char** out = environ;
    for (char** in = environ; in && *in; ++in)
        if (!isPreload(*in))
            *out++ = *in;
    if (out)
        *out = 0;
}
