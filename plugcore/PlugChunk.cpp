// The state as a chunk for the host.
#include "plugcore/Plug.h"

namespace PlugCore {

VstInt32 Plug::getChunk(void** data, bool /*isPreset*/)
{
    chunkText.clear();
    *data = chunkText.data();
    return 0;
}

VstInt32 Plug::setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) { return 0; }

}  // namespace PlugCore
