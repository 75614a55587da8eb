#include "limiter/Limiter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"

Limiter::Limiter(audioMasterCallback audioMaster, EditorFactory makeEditor) : Plug(audioMaster, LimiterParams::count)
{
    name = ProductFacts::name;
    vendor = ProductFacts::maker;
    setUniqueID(ProductFacts::uniqueId);
    cEffect.version = ProductFacts::version;
    layout = EditorLayout{160, 260, LimiterParams::count, 101, static_cast<std::int32_t>(sizeof(MeterBlock)),
                          0x6BADD3};
    // The editor exists from here on, or never: deleted with the effect. Its mailbox, if any, is where
    // the kernel's meters go.
    setEditor(makeEditor ? makeEditor(*this) : nullptr);
    mailbox = meterListener();
    kernel.setMeterSink(mailbox ? this : nullptr);
    for (int i = 0; i < LimiterParams::count; ++i) {
        const LimiterParams::Declaration& d = LimiterParams::declarations[i];
        params.declare(i, d.name, d.label, d.defaultValue);
    }
    loadDefaults();
}

Limiter::~Limiter() = default;

void Limiter::setup() { kernel.setup(getSampleRate()); }

void Limiter::reset() { kernel.reset(); }

bool Limiter::processBlock(bool paramsChanged, const PlugCore::TransportInfo& /*info*/, double** inputs,
                           double** outputs, VstInt32 frames)
{
    using namespace LimiterParams;
    const LimiterSettings settings{params[threshold].dspValue,  params[release].dspValue, params[makeup].dspValue,
                                   params[meterScale].dspValue, params[dither].dspValue,  getSampleRate()};
    kernel.process(settings, paramsChanged, inputs, outputs, frames);
    return true;
}

bool Limiter::offerMeters(const MeterBlock& block) { return mailbox->publishMeters(&block); }

void Limiter::getDisplayText(VstInt32 index, char* text, float value)
{
    const double shown = ParamUnits::displayValue(index, value);
    char formatted[32] = {};
    switch (index) {
    case LimiterParams::threshold:
    case LimiterParams::release:
        std::snprintf(formatted, sizeof formatted, "%.1f", shown);
        break;
    case LimiterParams::makeup:
        std::snprintf(formatted, sizeof formatted, "%d", static_cast<int>(shown));
        break;
    case LimiterParams::meterScale:
        std::snprintf(formatted, sizeof formatted, "%ddB", static_cast<int>(shown));
        break;
    case LimiterParams::dither:
        std::snprintf(formatted, sizeof formatted, "%d", static_cast<int>(shown));
        break;
    default:
        text[kVstMaxParamStrLen - 1] = 0;
        return;
    }
    std::memcpy(text, formatted, std::min<std::size_t>(std::strlen(formatted) + 1, kVstMaxParamStrLen));
    text[kVstMaxParamStrLen - 1] = 0;
}

AudioEffect* createLimiter(audioMasterCallback audioMaster, EditorFactory makeEditor)
{
    try {
        return new Limiter(audioMaster, makeEditor);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
