// The effect's parameters: normalized values that any thread may set and the audio thread collects
// without a lock. A value is stored negated; the set sign bit is the mark "changed since collected".
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "plugcore/IParamNotify.h"

namespace PlugCore {

struct Param {
    float dspValue = 0.0f;                          // audio thread only
    std::atomic<std::uint32_t> value{0x80000000u};  // bits of -v; -0.0 is a pending 0
    float defaultValue = 0.0f;
    const char* name = nullptr;
    const char* label = nullptr;
    std::atomic<std::int32_t> midiKey{-1};
};

// 0 for anything not above 0 (NaN included), 1 for anything from 1 up.
float clampNormalized(float v);

class ParamTable {
public:
    explicit ParamTable(unsigned count);

    unsigned size() const { return count; }
    bool contains(int index) const { return index >= 0 && static_cast<unsigned>(index) < count; }

    void declare(int index, const char* name, const char* label, float defaultValue);
    void set(int index, float v, IParamNotify* listener);
    float get(int index) const;
    bool takeChanges();
    void bindKey(int index, std::int32_t key);
    void captureDefaults();

    // Valid only for contains(index).
    Param& operator[](int index) { return params[index]; }
    const Param& operator[](int index) const { return params[index]; }

private:
    std::unique_ptr<Param[]> params;
    unsigned count;
};

}  // namespace PlugCore
