// The effect the plug-in library creates.
#include "host/EffectEntry.h"
#include "limiter/Limiter.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) { return createLimiter(audioMaster); }
