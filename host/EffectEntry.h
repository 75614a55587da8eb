// What the exported entry point does, independent of which effect it creates, so a test effect can be
// created the same way the product is.
#pragma once

#include "host/AudioEffect.h"

using EffectFactory = AudioEffect* (*)(audioMasterCallback audioMaster);

// Asks the host's version first (0: an old host, nothing is created), then lets the factory build the
// effect. Returns the descriptor, or null; no exception leaves it.
AEffect* createEffectForHost(audioMasterCallback audioMaster, EffectFactory factory);

// The product's factory, defined by the effect this library is built for.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
