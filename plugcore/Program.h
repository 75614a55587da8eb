#pragma once

#include <memory>

#include "host/vst24.h"

namespace PlugCore {

// A stored preset: its name (at most 23 characters and a terminator) and one value per parameter.
struct Program {
    char name[kVstMaxProgNameLen] = {};
    std::unique_ptr<float[]> values;
};

}  // namespace PlugCore
