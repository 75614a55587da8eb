#include "vst3/SharedEffect.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

namespace Vst3Face {

namespace {

// Made at 44.1 kHz; the processor sets the host's rate in setupProcessing.
constexpr double rateBeforeSetup = 44100.0;

// The effects alive in this process. Made, found and released on the hosts' control threads only.
std::mutex& registryLock()
{
    static std::mutex lock;
    return lock;
}
std::vector<SharedEffect*>& registry()
{
    static std::vector<SharedEffect*> effects;
    return effects;
}
std::uint64_t lastToken = 0;

}  // namespace

SharedEffect* SharedEffect::create()
{
    auto* effect = new (std::nothrow) SharedEffect;
    if (!effect)
        return nullptr;
    effect->driver_ = Driver::EffectDriver::create(rateBeforeSetup);
    if (!effect->driver_) {
        delete effect;
        return nullptr;
    }
    effect->driver_->setMeterListener(&effect->mailbox);
    try {
        std::lock_guard<std::mutex> hold(registryLock());
        effect->token_ = ++lastToken;
        registry().push_back(effect);
    } catch (...) {
        delete effect;
        return nullptr;
    }
    return effect;
}

SharedEffect* SharedEffect::find(std::uint64_t token)
{
    std::lock_guard<std::mutex> hold(registryLock());
    for (SharedEffect* effect : registry()) {
        if (effect->token_ != token)
            continue;
        // One whose last reference is going (it leaves the registry as it goes) is not found.
        std::uint32_t held = effect->references.load(std::memory_order_relaxed);
        while (held != 0 && !effect->references.compare_exchange_weak(held, held + 1, std::memory_order_relaxed)) {
        }
        return held != 0 ? effect : nullptr;
    }
    return nullptr;
}

void SharedEffect::release()
{
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

SharedEffect::~SharedEffect()
{
    if (token_ != 0) {
        std::lock_guard<std::mutex> hold(registryLock());
        auto& effects = registry();
        effects.erase(std::remove(effects.begin(), effects.end(), this), effects.end());
    }
    if (driver_)
        driver_->setMeterListener(nullptr);
}

void SharedEffect::restartHost(int32_t flags)
{
    if (v3_component_handler** handler = handler_.load())
        v3_cpp_obj(handler)->restart_component(handler, flags);
}

}  // namespace Vst3Face
