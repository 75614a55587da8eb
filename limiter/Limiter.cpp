#include "limiter/Limiter.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"

Limiter::Limiter(audioMasterCallback audioMaster, EditorFactory makeEditor) : Plug(audioMaster, LimiterParams::count)
{
    describe();
    attach(makeEditor ? makeEditor(*this) : Companions{});
}

Limiter::Limiter(audioMasterCallback audioMaster, const Companions& listeners) : Plug(audioMaster, LimiterParams::count)
{
    describe();
    attach(Companions{nullptr, listeners.params, listeners.meters});
}

// Who the effect is, and its editor's layout, which the editor reads as it is made.
void Limiter::describe()
{
    name = ProductFacts::name;
    vendor = ProductFacts::maker;
    setUniqueID(ProductFacts::uniqueId);
    cEffect.version = ProductFacts::version;
    layout = limiterEditorLayout;
}

// The rest of the construction, once the editor (or a driver's ears) exists.
void Limiter::attach(const Companions& companions)
{
    // The editor exists from here on, or never: deleted with the effect. The meter listener, if any, is
    // where the kernel's meters go.
    setEditor(companions.editor);
    setListeners(companions.params, companions.meters);
    mailbox = meterListener();
    kernel.setMeterSink(mailbox ? this : nullptr);
    for (int i = 0; i < LimiterParams::count; ++i) {
        const LimiterParams::Declaration& d = LimiterParams::declarations[i];
        params.declare(i, d.name, LimiterParams::hostLabel(d), d.defaultValue);
    }
    loadDefaults();
}

Limiter::~Limiter() = default;

void Limiter::setup() { kernel.setup(getSampleRate()); }

void Limiter::reset() { kernel.reset(); }

LimiterSettings Limiter::settings()
{
    using namespace LimiterParams;
    return LimiterSettings{params[threshold].dspValue,  params[release].dspValue, params[makeup].dspValue,
                           params[meterScale].dspValue, params[dither].dspValue,  getSampleRate()};
}

bool Limiter::processBlock(bool paramsChanged, const PlugCore::TransportInfo& /*info*/, double** inputs,
                           double** outputs, VstInt32 frames)
{
    kernel.process(settings(), paramsChanged, inputs, outputs, frames);
    return true;
}

bool Limiter::processBlockSingle(bool paramsChanged, const PlugCore::TransportInfo& /*info*/, float** inputs,
                                 float** outputs, VstInt32 frames)
{
    kernel.process(settings(), paramsChanged, inputs, outputs, frames);
    return true;
}

bool Limiter::offerMeters(const MeterBlock& block) { return mailbox->publishMeters(&block); }

// The text goes into the host's 8 bytes as far as it reaches (its terminator included); byte 7 is always
// cleared, so at most 7 characters survive, and for an unknown index it is all that is written.
void Limiter::getDisplayText(VstInt32 index, char* text, float value)
{
    char formatted[32] = {};
    if (ParamUnits::displayText(index, value, formatted, sizeof formatted))
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
