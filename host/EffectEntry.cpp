#include "host/EffectEntry.h"

AEffect* createEffectForHost(audioMasterCallback audioMaster, EffectFactory factory)
{
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        AudioEffect* effect = factory(audioMaster);
        return effect ? effect->getAeffect() : nullptr;
    } catch (...) {
        return nullptr;
    }
}
