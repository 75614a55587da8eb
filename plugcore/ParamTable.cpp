#include "plugcore/ParamTable.h"

#include <cmath>

#include "plugcore/FloatBits.h"

namespace PlugCore {

namespace {

constexpr std::uint32_t signBit = 0x80000000u;

}  // namespace

float clampNormalized(float v)
{
    if (!(v > 0.0f))
        return 0.0f;
    return v >= 1.0f ? 1.0f : v;
}

ParamTable::ParamTable(unsigned count) : params(new Param[count]), count(count) {}

void ParamTable::declare(int index, const char* name, const char* label, float defaultValue)
{
    if (!contains(index))
        return;
    Param& p = params[index];
    p.name = name;
    p.label = label;
    p.defaultValue = defaultValue;
    p.value.store(bitsOf(clampNormalized(defaultValue)) | signBit, std::memory_order_release);
}

void ParamTable::set(int index, float v, IParamNotify* listener)
{
    if (!contains(index))
        return;
    params[index].value.store(bitsOf(clampNormalized(v)) | signBit, std::memory_order_release);
    if (listener)
        listener->paramChanged(index, v);
}

float ParamTable::get(int index) const
{
    if (!contains(index))
        return 0.0f;
    return floatOf(params[index].value.load(std::memory_order_acquire) & ~signBit);
}

bool ParamTable::takeChanges()
{
    bool any = false;
    for (unsigned i = 0; i < count; ++i) {
        // One locked read-modify-write: a set landing before it is collected now, one landing after it
        // keeps its mark for the next call.
        const std::uint32_t old = params[i].value.fetch_and(~signBit, std::memory_order_acq_rel);
        if (old & signBit) {
            params[i].dspValue = floatOf(old & ~signBit);
            any = true;
        }
    }
    return any;
}

void ParamTable::bindKey(int index, std::int32_t key)
{
    for (unsigned i = 0; i < count; ++i)
        if (params[i].midiKey.load(std::memory_order_relaxed) == key)
            params[i].midiKey.store(-1, std::memory_order_relaxed);
    params[index].midiKey.store(key, std::memory_order_relaxed);
}

void ParamTable::captureDefaults()
{
    for (unsigned i = 0; i < count; ++i)
        params[i].defaultValue = get(static_cast<int>(i));
}

}  // namespace PlugCore
