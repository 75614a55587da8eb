// The user's personal defaults.
#include "plugcore/Plug.h"

namespace PlugCore {

void Plug::loadDefaults()
{
    for (VstInt32 p = 0; p < programCount; ++p)
        storeProgram(p);
}

void Plug::saveDefaults() {}

}  // namespace PlugCore
