// The eight programs: each keeps a name and a stored value per parameter.
#include <cstring>

#include "plugcore/Plug.h"

namespace PlugCore {

void Plug::storeProgram(VstInt32 index)
{
    for (unsigned i = 0; i < params.size(); ++i)
        programs[index].values[i] = params.get(static_cast<int>(i));
}

void Plug::setProgram(VstInt32 program)
{
    if (program < 0 || program >= programCount)
        return;
    storeProgram(curProgram);
    for (unsigned i = 0; i < params.size(); ++i)
        setParameter(static_cast<VstInt32>(i), programs[program].values[i]);
    curProgram = program;
}

void Plug::setProgramName(char* text)
{
    // At most 24 bytes are read from the host's text; the last stored byte is always the terminator.
    char* stored = programs[curProgram].name;
    const std::size_t n = strnlen(text, kVstMaxProgNameLen);
    std::memcpy(stored, text, n);
    std::memset(stored + n, 0, kVstMaxProgNameLen - n);
    stored[kVstMaxProgNameLen - 1] = 0;
}

void Plug::getProgramName(char* text) { std::strcpy(text, programs[curProgram].name); }

}  // namespace PlugCore
