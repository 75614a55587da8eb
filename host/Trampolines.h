// The descriptor's six function pointers: each finds the effect through the descriptor's object field.
#pragma once

#include "host/vst24.h"

void installTrampolines(AEffect& descriptor);
