#include "clap/ClapPlugin.h"

#include <clap/ext/audio-ports.h>
#include <clap/ext/latency.h>
#include <clap/ext/note-ports.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/plugin-features.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "clap/ClapEvents.h"
#include "clap/ClapParams.h"
#include "clap/ClapRenderExt.h"
#include "clap/EditNotes.h"
#include "clap/EditorGui.h"
#include "driver/EffectDriver.h"
#include "driver/StateStream.h"
#include "limiter/LimiterParams.h"
#include "limiter/MeterBlock.h"
#include "limiter/ProductFacts.h"
#include "plugedit/MeterMailbox.h"

namespace ClapFace {

namespace {

const char* const features[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_LIMITER,
                                CLAP_PLUGIN_FEATURE_MASTERING, CLAP_PLUGIN_FEATURE_STEREO, nullptr};

// The rate an instance is made at, before the host activates it at its own.
constexpr double rateBeforeActivation = 44100.0;

struct Instance {
    clap_plugin_t plugin{};
    const clap_host_t* host = nullptr;
    const clap_host_latency_t* hostLatency = nullptr;
    const clap_host_params_t* hostParams = nullptr;
    const clap_host_thread_check_t* threadCheck = nullptr;
    std::unique_ptr<Driver::EffectDriver> driver;
    EventParts parts;
    EditNotes notes;  // from the editor, for the host
    PlugEdit::MeterMailbox meters{sizeof(MeterBlock)};
    std::unique_ptr<EditorGui> gui;
    bool active = false;
    std::uint32_t maxFrames = 0;
    int reportedLatency = -1;  // what the host was last told (-1: nothing yet)

    // Where the host can tell: false for a call CLAP keeps to the main thread that comes on another (the
    // audio thread must never rebuild the effect, load a state or open a window).
    bool onMainThread() const { return !threadCheck || threadCheck->is_main_thread(host); }

    // What the editor did, then the parameters the effect changed itself (a bound MIDI controller, a
    // loaded state), told to the host as gesture and value events.
    void reportEffectChanges(const clap_output_events_t* out)
    {
        if (!out)
            return;
        for (EditNote note; notes.pop(note);) {
            if (note.kind == EditNote::change) {
                clap_event_param_value_t e{};
                e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
                e.param_id = static_cast<clap_id>(note.index);
                e.note_id = -1;
                e.port_index = e.channel = e.key = -1;
                e.value = note.value;
                out->try_push(out, &e.header);
            } else {
                clap_event_param_gesture_t e{};
                const auto type =
                    note.kind == EditNote::gestureBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
                e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, static_cast<std::uint16_t>(type), 0};
                e.param_id = static_cast<clap_id>(note.index);
                out->try_push(out, &e.header);
            }
        }
        const std::uint32_t changed = driver->takeEffectChanges();
        for (int i = 0; i < LimiterParams::count; ++i) {
            if (!(changed & (1u << i)))
                continue;
            clap_event_param_value_t e{};
            e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
            e.param_id = static_cast<clap_id>(i);
            e.note_id = -1;
            e.port_index = e.channel = e.key = -1;
            e.value = driver->parameter(i);
            out->try_push(out, &e.header);
        }
    }

    template <class Sample> void run(Sample* const* in, Sample* const* out, const clap_process_t& process)
    {
        const Sample* inputs[2] = {in[0], in[1]};
        parts.begin(process.in_events, process.frames_count);
        std::uint32_t from = 0, to = 0;
        Driver::BlockEvents events;
        while (parts.next(from, to, events)) {
            const Sample* partIn[2] = {inputs[0] + from, inputs[1] + from};
            Sample* partOut[2] = {out[0] + from, out[1] + from};
            driver->process(partIn, partOut, to - from, events);
        }
    }
};

Instance& of(const clap_plugin_t* plugin) { return *static_cast<Instance*>(plugin->plugin_data); }

// --- the plug-in -------------------------------------------------------------------------------

bool CLAP_ABI init(const clap_plugin_t* plugin)
{
    Instance& self = of(plugin);
    if (self.host && self.host->get_extension) {
        self.hostLatency =
            static_cast<const clap_host_latency_t*>(self.host->get_extension(self.host, CLAP_EXT_LATENCY));
        self.hostParams = static_cast<const clap_host_params_t*>(self.host->get_extension(self.host, CLAP_EXT_PARAMS));
        self.threadCheck =
            static_cast<const clap_host_thread_check_t*>(self.host->get_extension(self.host, CLAP_EXT_THREAD_CHECK));
    }
    self.driver = Driver::EffectDriver::create(rateBeforeActivation);
    if (self.driver)
        self.driver->setMeterListener(&self.meters);
    return self.driver != nullptr;
}

void CLAP_ABI destroy(const clap_plugin_t* plugin)
{
    Instance* self = &of(plugin);
    self->gui.reset();
    delete self;
}

bool CLAP_ABI activate(const clap_plugin_t* plugin, double rate, std::uint32_t, std::uint32_t maxFrames)
{
    Instance& self = of(plugin);
    if (!self.driver || !self.onMainThread() || !self.driver->setRate(rate))
        return false;
    self.maxFrames = maxFrames;
    self.active = true;
    // The latency follows the rate; the host may ask for it now, and hears of a change at once.
    const int latency = self.driver->latency();
    if (self.reportedLatency >= 0 && latency != self.reportedLatency && self.hostLatency)
        self.hostLatency->changed(self.host);
    self.reportedLatency = latency;
    return true;
}

void CLAP_ABI deactivate(const clap_plugin_t* plugin) { of(plugin).active = false; }

bool CLAP_ABI startProcessing(const clap_plugin_t*) { return true; }
void CLAP_ABI stopProcessing(const clap_plugin_t*) {}

void CLAP_ABI reset(const clap_plugin_t* plugin) { of(plugin).driver->restart(); }

clap_process_status CLAP_ABI process(const clap_plugin_t* plugin, const clap_process_t* process)
{
    Instance& self = of(plugin);
    if (!process || process->audio_inputs_count < 1 || process->audio_outputs_count < 1 ||
        process->audio_inputs[0].channel_count < 2 || process->audio_outputs[0].channel_count < 2)
        return CLAP_PROCESS_ERROR;
    const clap_audio_buffer_t& in = process->audio_inputs[0];
    clap_audio_buffer_t& out = process->audio_outputs[0];
    // 64-bit where the host gives both sides in it; 32-bit otherwise.
    if (in.data64 && out.data64)
        self.run(in.data64, out.data64, *process);
    else if (in.data32 && out.data32)
        self.run(in.data32, out.data32, *process);
    else
        return CLAP_PROCESS_ERROR;
    self.reportEffectChanges(process->out_events);
    return CLAP_PROCESS_CONTINUE;
}

void CLAP_ABI onMainThread(const clap_plugin_t*) {}

// --- audio ports -------------------------------------------------------------------------------

std::uint32_t CLAP_ABI audioPortCount(const clap_plugin_t*, bool) { return 1; }

bool CLAP_ABI audioPortGet(const clap_plugin_t*, std::uint32_t index, bool isInput, clap_audio_port_info_t* info)
{
    if (index != 0 || !info)
        return false;
    *info = clap_audio_port_info_t{};
    info->id = 0;
    std::strcpy(info->name, isInput ? "Input" : "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = 0;
    return true;
}

const clap_plugin_audio_ports_t audioPorts = {audioPortCount, audioPortGet};

// --- note ports: controllers for MIDI learn, bound parameters and controller 120's reset --------

std::uint32_t CLAP_ABI notePortCount(const clap_plugin_t*, bool isInput) { return isInput ? 1 : 0; }

bool CLAP_ABI notePortGet(const clap_plugin_t*, std::uint32_t index, bool isInput, clap_note_port_info_t* info)
{
    if (index != 0 || !isInput || !info)
        return false;
    *info = clap_note_port_info_t{};
    info->id = 0;
    info->supported_dialects = CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = CLAP_NOTE_DIALECT_MIDI;
    std::strcpy(info->name, "MIDI controllers");
    return true;
}

const clap_plugin_note_ports_t notePorts = {notePortCount, notePortGet};

// --- parameters --------------------------------------------------------------------------------

std::uint32_t CLAP_ABI paramCount(const clap_plugin_t*) { return LimiterParams::count; }

bool CLAP_ABI paramInfo(const clap_plugin_t*, std::uint32_t index, clap_param_info_t* info)
{
    if (index >= static_cast<std::uint32_t>(LimiterParams::count) || !info)
        return false;
    parameterInfo(static_cast<int>(index), *info);
    return true;
}

bool CLAP_ABI paramValue(const clap_plugin_t* plugin, clap_id id, double* value)
{
    if (id >= static_cast<clap_id>(LimiterParams::count) || !value)
        return false;
    *value = of(plugin).driver->parameter(static_cast<int>(id));
    return true;
}

bool CLAP_ABI paramValueToText(const clap_plugin_t*, clap_id id, double value, char* text, std::uint32_t size)
{
    return id < static_cast<clap_id>(LimiterParams::count) && valueToText(static_cast<int>(id), value, text, size);
}

bool CLAP_ABI paramTextToValue(const clap_plugin_t*, clap_id id, const char* text, double* value)
{
    return id < static_cast<clap_id>(LimiterParams::count) && value && textToValue(static_cast<int>(id), text, *value);
}

// Changes outside processing: made at once (the driver takes them from any thread), MIDI ignored.
void CLAP_ABI paramFlush(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out)
{
    Instance& self = of(plugin);
    const std::uint32_t count = in ? in->size(in) : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap_event_header_t* header = in->get(in, i);
        if (!header || header->space_id != CLAP_CORE_EVENT_SPACE_ID || header->type != CLAP_EVENT_PARAM_VALUE ||
            header->size < sizeof(clap_event_param_value_t))
            continue;
        const auto& e = reinterpret_cast<const clap_event_param_value_t&>(*header);
        if (e.param_id < static_cast<clap_id>(LimiterParams::count) && e.value == e.value)
            self.driver->setParameter(static_cast<int>(e.param_id), static_cast<float>(e.value));
    }
    self.reportEffectChanges(out);
}

const clap_plugin_params_t params = {paramCount, paramInfo, paramValue, paramValueToText, paramTextToValue, paramFlush};

// --- state: the VST 2.4 bank chunk, so a project moves between formats ------------------------

bool CLAP_ABI stateSave(const clap_plugin_t* plugin, const clap_ostream_t* stream)
{
    if (!stream)
        return false;
    const std::vector<unsigned char> chunk = of(plugin).driver->saveState();
    for (std::size_t done = 0; done < chunk.size();) {
        const std::int64_t wrote = stream->write(stream, chunk.data() + done, chunk.size() - done);
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool CLAP_ABI stateLoad(const clap_plugin_t* plugin, const clap_istream_t* stream)
{
    if (!stream || !of(plugin).onMainThread())
        return false;
    std::vector<unsigned char> chunk;
    const auto read = [stream](unsigned char* buffer, std::int64_t size) {
        return stream->read(stream, buffer, static_cast<std::uint64_t>(size));
    };
    if (!Driver::readStateStream(read, chunk))
        return false;
    Instance& self = of(plugin);
    if (!self.driver->loadState(chunk.data(), chunk.size()))
        return false;
    // The host that can rescan hears of the new values now; otherwise as events from the next process.
    if (self.hostParams) {
        self.driver->takeEffectChanges();
        self.hostParams->rescan(self.host, CLAP_PARAM_RESCAN_VALUES);
    }
    return true;
}

const clap_plugin_state_t state = {stateSave, stateLoad};

// --- latency, render ---------------------------------------------------------------------------

std::uint32_t CLAP_ABI latencyGet(const clap_plugin_t* plugin)
{
    Instance& self = of(plugin);
    self.reportedLatency = self.driver->latency();
    return static_cast<std::uint32_t>(self.reportedLatency);
}

const clap_plugin_latency_t latency = {latencyGet};

// The effect sounds the same in real time and offline: nothing to change either way.
bool CLAP_ABI renderHasHardRealtimeRequirement(const clap_plugin_t*) { return false; }
bool CLAP_ABI renderSet(const clap_plugin_t*, clap_plugin_render_mode) { return true; }

const clap_plugin_render_t render = {renderHasHardRealtimeRequirement, renderSet};

// --- the editor, in the host's window (X11 on the host's timer, or Win32) -----------------------

bool CLAP_ABI guiIsApiSupported(const clap_plugin_t*, const char* api, bool floating)
{
    return api && std::strcmp(api, EditorGui::windowApi) == 0 && !floating;
}

bool CLAP_ABI guiPreferredApi(const clap_plugin_t*, const char** api, bool* floating)
{
    if (!api || !floating)
        return false;
    *api = EditorGui::windowApi;
    *floating = false;
    return true;
}

bool CLAP_ABI guiCreate(const clap_plugin_t* plugin, const char* api, bool floating)
{
    Instance& self = of(plugin);
    if (!guiIsApiSupported(plugin, api, floating) || self.gui || !self.onMainThread())
        return false;
    try {
        self.gui.reset(new EditorGui(*self.driver, self.notes, self.meters, self.host));
    } catch (...) {
        return false;
    }
    return true;
}

void CLAP_ABI guiDestroy(const clap_plugin_t* plugin) { of(plugin).gui.reset(); }

bool CLAP_ABI guiSetScale(const clap_plugin_t* plugin, double scale)
{
    Instance& self = of(plugin);
    return self.gui && self.gui->setScale(scale);
}

bool CLAP_ABI guiGetSize(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height)
{
    Instance& self = of(plugin);
    if (!self.gui || !width || !height)
        return false;
    self.gui->size(*width, *height);
    return true;
}

// The editor has one size (twice it at a scale of 2): a host's resize is answered with it.
bool CLAP_ABI guiCanResize(const clap_plugin_t*) { return false; }
bool CLAP_ABI guiResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; }
bool CLAP_ABI guiAdjustSize(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height)
{
    return guiGetSize(plugin, width, height);
}
bool CLAP_ABI guiSetSize(const clap_plugin_t* plugin, std::uint32_t width, std::uint32_t height)
{
    std::uint32_t w = 0, h = 0;
    return guiGetSize(plugin, &w, &h) && w == width && h == height;
}

bool CLAP_ABI guiSetParent(const clap_plugin_t* plugin, const clap_window_t* window)
{
    Instance& self = of(plugin);
    return self.gui && window && window->api && std::strcmp(window->api, EditorGui::windowApi) == 0 &&
           self.gui->setParent(*window);
}

bool CLAP_ABI guiSetTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void CLAP_ABI guiSuggestTitle(const clap_plugin_t*, const char*) {}
bool CLAP_ABI guiShow(const clap_plugin_t* plugin) { return of(plugin).gui != nullptr; }
bool CLAP_ABI guiHide(const clap_plugin_t* plugin) { return of(plugin).gui != nullptr; }

const clap_plugin_gui_t gui = {guiIsApiSupported, guiPreferredApi, guiCreate,       guiDestroy,    guiSetScale,
                               guiGetSize,        guiCanResize,    guiResizeHints,  guiAdjustSize, guiSetSize,
                               guiSetParent,      guiSetTransient, guiSuggestTitle, guiShow,       guiHide};

void CLAP_ABI onTimer(const clap_plugin_t* plugin, clap_id timer)
{
    Instance& self = of(plugin);
    if (self.gui)
        self.gui->onTimer(timer);
}

const clap_plugin_timer_support_t timerSupport = {onTimer};

const void* CLAP_ABI getExtension(const clap_plugin_t*, const char* id)
{
    if (!id)
        return nullptr;
    const std::pair<const char*, const void*> extensions[] = {
        {CLAP_EXT_AUDIO_PORTS, &audioPorts},
        {CLAP_EXT_NOTE_PORTS, &notePorts},
        {CLAP_EXT_PARAMS, &params},
        {CLAP_EXT_STATE, &state},
        {CLAP_EXT_LATENCY, &latency},
        {CLAP_EXT_RENDER, &render},
        {CLAP_EXT_GUI, &gui},
        {CLAP_EXT_TIMER_SUPPORT, &timerSupport},
    };
    for (const auto& [name, extension] : extensions)
        if (std::strcmp(id, name) == 0)
            return extension;
    return nullptr;
}

}  // namespace

const clap_plugin_descriptor_t descriptor = {
    CLAP_VERSION_INIT,
    ProductFacts::clapId,
    ProductFacts::name,
    ProductFacts::maker,
    ProductFacts::webAddress,
    "",
    "",
    ProductFacts::versionText,
    "Stereo look-ahead peak limiter",
    const_cast<const char**>(features),
};

const clap_plugin_t* createPlugin(const clap_host_t* host)
{
    auto* self = new (std::nothrow) Instance;
    if (!self)
        return nullptr;
    self->host = host;
    self->plugin.desc = &descriptor;
    self->plugin.plugin_data = self;
    self->plugin.init = init;
    self->plugin.destroy = destroy;
    self->plugin.activate = activate;
    self->plugin.deactivate = deactivate;
    self->plugin.start_processing = startProcessing;
    self->plugin.stop_processing = stopProcessing;
    self->plugin.reset = reset;
    self->plugin.process = process;
    self->plugin.get_extension = getExtension;
    self->plugin.on_main_thread = onMainThread;
    return &self->plugin;
}

}  // namespace ClapFace
