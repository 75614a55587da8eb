#include "vst3/Vst3Controller.h"

#include <travesty/bstream.h>
#include <travesty/edit_controller.h>
#include <travesty/message.h>
#include <travesty/unit.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"
#include "plugcore/ChunkFormat.h"
#include "vst3/SharedEffect.h"
#include "vst3/Vst3Com.h"
#include "vst3/Vst3Link.h"
#include "vst3/Vst3Params.h"
#include "vst3/Vst3State.h"
#include "vst3/Vst3Stream.h"
#include "vst3/Vst3View.h"

namespace Vst3Face {

namespace {

constexpr int lastProgram = Driver::EffectDriver::programs - 1;

struct Controller : ViewOwner {
    Face<Controller> controller{}, mapping{}, units{}, connection{};
    std::atomic<std::uint32_t> references{1};
    SharedEffect* shared = nullptr;  // the processor's effect, once linked
    v3_component_handler** handler_ = nullptr;
    v3_connection_point** peer = nullptr;
    // The values as the host last gave them (or the processor's, read when linked or given a state).
    double values[visibleIds] = {};
    // The programs' names while not linked: "Program N", or as a state given since named them.
    char namesUnlinked[lastProgram + 1][PlugCore::Chunk::programNameBytes] = {};

    Controller()
    {
        for (int i = 0; i < LimiterParams::count; ++i)
            values[i] = LimiterParams::declarations[i].defaultValue;
        for (int p = 0; p <= lastProgram; ++p)
            std::snprintf(namesUnlinked[p], sizeof namesUnlinked[p], "Program %d", p + 1);
    }
    ~Controller()
    {
        unlink();
        if (handler_)
            v3_cpp_obj_unref(handler_);
        if (peer)
            v3_cpp_obj_unref(peer);
    }
    v3_result query(const v3_tuid iid, void** object);
    void link(SharedEffect* effect);
    void unlink();
    // The processor's values become ours (after a link or a state).
    void readEffect();
    double programValue(int index) const { return lastProgram > 0 ? static_cast<double>(index) / lastProgram : 0.0; }
    int programIndex(double value) const
    {
        return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * lastProgram));
    }

    Driver::EffectDriver& effect() override { return shared->driver(); }
    PlugEdit::MeterMailbox& meters() override { return shared->meters(); }
    float value(int index) override
    {
        return index >= 0 && index < visibleIds ? static_cast<float>(values[index]) : 0.0f;
    }
    void beginEdit(int index) override
    {
        if (handler_)
            v3_cpp_obj(handler_)->begin_edit(handler_, static_cast<v3_param_id>(index));
    }
    void edit(int index, float value) override
    {
        if (index < 0 || index >= LimiterParams::count)
            return;
        values[index] = std::clamp(value, 0.0f, 1.0f);
        if (handler_)
            v3_cpp_obj(handler_)->perform_edit(handler_, static_cast<v3_param_id>(index), values[index]);
    }
    void endEdit(int index) override
    {
        if (handler_)
            v3_cpp_obj(handler_)->end_edit(handler_, static_cast<v3_param_id>(index));
    }
    void retain() override { references.fetch_add(1, std::memory_order_relaxed); }
    void release() override;
};

Controller& of(void* self) { return ownerOf<Controller>(self); }

v3_result Controller::query(const v3_tuid iid, void** object)
{
    if (!object)
        return V3_INVALID_ARG;
    void* found = nullptr;
    if (sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_base_iid) || sameId(iid, v3_edit_controller_iid))
        found = &controller;
    else if (sameId(iid, v3_midi_mapping_iid))
        found = &mapping;
    else if (sameId(iid, v3_unit_information_iid))
        found = &units;
    else if (sameId(iid, v3_connection_point_iid))
        found = &connection;
    return answerQuery(found, object, references);
}

void Controller::link(SharedEffect* effect)
{
    unlink();
    shared = effect;
    shared->setHandler(handler_);
    readEffect();
}

void Controller::unlink()
{
    if (!shared)
        return;
    shared->setHandler(nullptr);
    shared->release();
    shared = nullptr;
}

void Controller::readEffect()
{
    if (!shared)
        return;
    for (int i = 0; i < LimiterParams::count; ++i)
        values[i] = shared->driver().parameter(i);
    values[programId] = programValue(shared->driver().currentProgram());
}

// --- FUnknown, for every interface -----------------------------------------------------------------

constexpr v3_funknown unknown = Counted<Controller>::unknown;

void Controller::release() { Counted<Controller>::release(&controller); }

// --- IPluginBase -------------------------------------------------------------------------------------

v3_result V3_API initialize(void*, v3_funknown**) { return V3_OK; }
v3_result V3_API terminate(void*) { return V3_OK; }

// --- IEditController --------------------------------------------------------------------------------

// The host gives the controller the state it gave the processor: linked, the processor has loaded it
// already, and its values are read from there. Not linked (a host that keeps the halves apart, or that
// sets this before it connects them), the values are read from the state itself, as the effect reads it.
v3_result V3_API setComponentState(void* self, v3_bstream** stream)
{
    Controller& c = of(self);
    if (c.shared) {
        c.readEffect();
        return V3_OK;
    }
    if (!stream)
        return V3_INVALID_ARG;
    std::vector<unsigned char> state, chunk;
    if (!readWholeStream(stream, state) || !chunkOfState(state, chunk))
        return V3_FALSE;
    float current[LimiterParams::count];
    for (int i = 0; i < LimiterParams::count; ++i)
        current[i] = static_cast<float>(c.values[i]);
    int program = c.programIndex(c.values[programId]);
    if (!PlugCore::Chunk::readCurrent(chunk.data(), chunk.size(), ProductFacts::name, current, LimiterParams::count,
                                      program, lastProgram + 1, c.namesUnlinked))
        return V3_FALSE;
    for (int i = 0; i < LimiterParams::count; ++i)
        c.values[i] = current[i];
    c.values[programId] = c.programValue(program);
    return V3_OK;
}

// Everything is in the processor's state: the controller keeps nothing of its own.
v3_result V3_API setControllerState(void*, v3_bstream**) { return V3_OK; }
v3_result V3_API getControllerState(void*, v3_bstream**) { return V3_OK; }
int32_t V3_API controllerParameterCount(void*) { return parameterCount; }

v3_result V3_API parameterInfo(void*, int32_t index, v3_param_info* info)
{
    if (!info || index < 0 || index >= parameterCount)
        return V3_INVALID_ARG;
    *info = v3_param_info{};
    if (index < LimiterParams::count) {
        const LimiterParams::Declaration& d = LimiterParams::declarations[index];
        info->param_id = static_cast<v3_param_id>(index);
        putText(info->title, 128, d.title);
        putText(info->short_title, 128, d.name);
        putText(info->units, 128, LimiterParams::hostLabel(d));
        info->step_count = LimiterParams::isSwitch(index) ? 1 : 0;
        info->default_normalised_value = d.defaultValue;
        info->flags = V3_PARAM_CAN_AUTOMATE;
    } else if (index == static_cast<int32_t>(bypassId)) {
        info->param_id = bypassId;
        putText(info->title, 128, "Bypass");
        putText(info->short_title, 128, "Bypass");
        info->step_count = 1;
        info->flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_BYPASS;
    } else if (index == static_cast<int32_t>(programId)) {
        info->param_id = programId;
        putText(info->title, 128, "Program");
        putText(info->short_title, 128, "Program");
        info->step_count = lastProgram;
        info->flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_LIST | V3_PARAM_PROGRAM_CHANGE;
    } else {
        info->param_id = firstControllerId + static_cast<v3_param_id>(index - visibleIds);
        putText(info->title, 128, "MIDI controller");
        info->step_count = 127;
        info->flags = V3_PARAM_IS_HIDDEN | V3_PARAM_READ_ONLY;
    }
    return V3_OK;
}

// A program's name as the effect holds it (a loaded bank may have renamed it), or unlinked as the last
// state named it ("Program N" before any).
std::string programName(const Controller& c, int index)
{
    if (c.shared)
        return c.shared->driver().programName(index);
    return c.namesUnlinked[index];
}

v3_result V3_API stringForValue(void* self, v3_param_id id, double value, v3_str_128 output)
{
    if (!output || !(value == value))
        return V3_INVALID_ARG;
    const Controller& c = of(self);
    char text[32] = {};
    if (isLimiterParam(id)) {
        if (!ParamUnits::displayText(static_cast<int>(id), static_cast<float>(value), text, sizeof text))
            return V3_INVALID_ARG;
    } else if (id == bypassId) {
        std::strcpy(text, value >= 0.5 ? "on" : "off");
    } else if (id == programId) {
        putText(output, 128, programName(c, c.programIndex(value)).c_str());
        return V3_OK;
    } else {
        return V3_INVALID_ARG;
    }
    putText(output, 128, text);
    return V3_OK;
}

std::string narrow(const int16_t* input)
{
    std::string text;
    for (int i = 0; i < 127 && input[i]; ++i)
        text += input[i] > 0 && input[i] < 128 ? static_cast<char>(input[i]) : '?';
    return text;
}

bool sameLetters(const char* a, const char* b)
{
    for (; *a || *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return true;
}

// The texts stringForValue writes, read back: a number with the parameter's unit or none, "on" or
// "off", a program's name.
v3_result V3_API valueForString(void* self, v3_param_id id, int16_t* input, double* output)
{
    if (!input || !output)
        return V3_INVALID_ARG;
    const Controller& c = of(self);
    const std::string text = narrow(input);
    if (id == bypassId) {
        if (!sameLetters(text.c_str(), "on") && !sameLetters(text.c_str(), "off"))
            return V3_FALSE;
        *output = sameLetters(text.c_str(), "on") ? 1.0 : 0.0;
        return V3_OK;
    }
    if (id == programId) {
        for (int p = 0; p <= lastProgram; ++p)
            if (programName(c, p) == text) {
                *output = c.programValue(p);
                return V3_OK;
            }
        return V3_FALSE;
    }
    if (!isLimiterParam(id))
        return V3_INVALID_ARG;
    char* end = nullptr;
    const double shown = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(shown))
        return V3_FALSE;
    while (*end == ' ')
        ++end;
    if (*end && !sameLetters(end, LimiterParams::declarations[id].unit))
        return V3_FALSE;
    *output = ParamUnits::normalizedValue(static_cast<int>(id), shown);
    return V3_OK;
}

// Plain values are the display values (dB, ms, %, the meter range, bits), a program's number, the
// bypass's 0 or 1.
double V3_API toPlain(void* self, v3_param_id id, double normalized)
{
    if (isLimiterParam(id))
        return ParamUnits::displayValue(static_cast<int>(id), static_cast<float>(normalized));
    if (id == programId)
        return of(self).programIndex(normalized);
    return normalized;
}

double V3_API toNormalized(void* self, v3_param_id id, double plain)
{
    if (isLimiterParam(id))
        return ParamUnits::normalizedValue(static_cast<int>(id), plain);
    if (id == programId)
        return of(self).programValue(std::clamp(static_cast<int>(std::lround(plain)), 0, lastProgram));
    return std::clamp(plain, 0.0, 1.0);
}

double V3_API parameterNormalized(void* self, v3_param_id id)
{
    return id < static_cast<v3_param_id>(visibleIds) ? of(self).values[id] : 0.0;
}

// The host tells the controller a value (the processor has it, or gets it with the audio).
v3_result V3_API setParameterNormalized(void* self, v3_param_id id, double value)
{
    Controller& c = of(self);
    if (!(value == value))
        return V3_INVALID_ARG;
    if (isControllerParam(id))
        return V3_OK;  // a controller's position is the effect's to act on, not a value to keep
    if (id >= static_cast<v3_param_id>(visibleIds))
        return V3_INVALID_ARG;
    c.values[id] = std::clamp(value, 0.0, 1.0);
    return V3_OK;
}

v3_result V3_API setComponentHandler(void* self, v3_component_handler** handler)
{
    Controller& c = of(self);
    replaceHeld(c.handler_, handler);
    if (c.shared)
        c.shared->setHandler(handler);
    return V3_OK;
}

// The view needs the effect (meters, MIDI learn): none before the processor has linked.
v3_plugin_view** V3_API createView(void* self, const char* name)
{
    Controller& c = of(self);
    return c.shared && name && std::strcmp(name, "editor") == 0 ? Vst3Face::createView(c) : nullptr;
}

const v3_edit_controller_cpp controllerTable = {unknown,
                                                {initialize, terminate},
                                                {setComponentState, setControllerState, getControllerState,
                                                 controllerParameterCount, parameterInfo, stringForValue,
                                                 valueForString, toPlain, toNormalized, parameterNormalized,
                                                 setParameterNormalized, setComponentHandler, createView}};

// --- IMidiMapping: every controller on every channel of the MIDI bus has its hidden parameter -------

v3_result V3_API controllerAssignment(void*, int32_t bus, int16_t channel, int16_t controller, v3_param_id* id)
{
    if (bus != 0 || channel < 0 || channel > 15 || controller < 0 || controller > 127 || !id)
        return V3_FALSE;
    *id = controllerParam(channel, controller);
    return V3_OK;
}

const v3_midi_mapping_cpp mappingTable = {unknown, {controllerAssignment}};

// --- IUnitInfo: the root unit and its program list, the eight programs by name ---------------------

int32_t V3_API unitCount(void*) { return 1; }

v3_result V3_API unitInfo(void*, int32_t index, v3_unit_info* info)
{
    if (index != 0 || !info)
        return V3_INVALID_ARG;
    *info = v3_unit_info{};
    info->id = 0;
    info->parent_unit_id = -1;
    putText(info->name, 128, "Root");
    info->program_list_id = programListId;
    return V3_OK;
}

int32_t V3_API programListCount(void*) { return 1; }

v3_result V3_API programListInfo(void*, int32_t index, v3_program_list_info* info)
{
    if (index != 0 || !info)
        return V3_INVALID_ARG;
    *info = v3_program_list_info{};
    info->id = programListId;
    putText(info->name, 128, "Programs");
    info->programCount = Driver::EffectDriver::programs;
    return V3_OK;
}

v3_result V3_API programNameOf(void* self, int32_t list, int32_t index, v3_str_128 name)
{
    if (list != programListId || index < 0 || index > lastProgram || !name)
        return V3_INVALID_ARG;
    putText(name, 128, programName(of(self), index).c_str());
    return V3_OK;
}

v3_result V3_API programInfo(void*, int32_t, int32_t, const char*, v3_str_128) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API hasPitchNames(void*, int32_t, int32_t) { return V3_FALSE; }
v3_result V3_API pitchName(void*, int32_t, int32_t, int16_t, v3_str_128) { return V3_NOT_IMPLEMENTED; }
int32_t V3_API selectedUnit(void*) { return 0; }
v3_result V3_API selectUnit(void*, int32_t unit) { return unit == 0 ? V3_OK : V3_INVALID_ARG; }
v3_result V3_API unitByBus(void*, int32_t, int32_t, int32_t, int32_t, int32_t* unit)
{
    if (!unit)
        return V3_INVALID_ARG;
    *unit = 0;
    return V3_OK;
}
v3_result V3_API unitProgramData(void*, int32_t, int32_t, v3_bstream**) { return V3_NOT_IMPLEMENTED; }

const v3_unit_information_cpp unitTable = {unknown,
                                           {unitCount, unitInfo, programListCount, programListInfo, programNameOf,
                                            programInfo, hasPitchNames, pitchName, selectedUnit, selectUnit, unitByBus,
                                            unitProgramData}};

// --- IConnectionPoint: the processor says which effect it runs ------------------------------------

v3_result V3_API connect(void* self, v3_connection_point** other)
{
    Controller& c = of(self);
    if (!other)
        return V3_INVALID_ARG;
    if (c.peer)
        return V3_FALSE;  // one processor
    v3_cpp_obj_ref(other);
    c.peer = other;
    return V3_OK;
}

// The link stays while a view may still use the effect; it goes with the controller.
v3_result V3_API disconnect(void* self, v3_connection_point** other)
{
    Controller& c = of(self);
    if (!other || other != c.peer)
        return V3_INVALID_ARG;
    v3_cpp_obj_unref(c.peer);
    c.peer = nullptr;
    return V3_OK;
}

v3_result V3_API notify(void* self, v3_message** message)
{
    if (SharedEffect* effect = linkedEffect(message))
        of(self).link(effect);
    return V3_OK;
}

const v3_connection_point_cpp connectionTable = {unknown, {connect, disconnect, notify}};

}  // namespace

int createController(const unsigned char* iid, void** object)
{
    auto* c = new (std::nothrow) Controller;
    if (!c)
        return V3_NOMEM;
    c->controller = {&controllerTable, c};
    c->mapping = {&mappingTable, c};
    c->units = {&unitTable, c};
    c->connection = {&connectionTable, c};
    const v3_result result = c->query(iid, object);
    Counted<Controller>::release(&c->controller);  // the query's reference is the caller's
    return result;
}

}  // namespace Vst3Face
