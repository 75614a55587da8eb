#include "tools/pluginhost/ClapInstance.h"

#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/ext/timer-support.h>

#include <algorithm>
#include <cstring>

namespace PluginHost {

namespace {

union AnyEvent {
    clap_event_header_t header;
    clap_event_param_value_t param;
    clap_event_midi_t midi;
};

// Events in frame order as CLAP's input list.
struct InputList {
    std::vector<AnyEvent> events;
    clap_input_events_t list{this, size, get};

    static std::uint32_t CLAP_ABI size(const clap_input_events_t* l)
    {
        return static_cast<std::uint32_t>(static_cast<InputList*>(l->ctx)->events.size());
    }
    static const clap_event_header_t* CLAP_ABI get(const clap_input_events_t* l, std::uint32_t i)
    {
        auto& events = static_cast<InputList*>(l->ctx)->events;
        return i < events.size() ? &events[i].header : nullptr;
    }
    void addParameter(std::uint32_t frame, int index, double value)
    {
        AnyEvent e{};
        e.param.header = {sizeof(clap_event_param_value_t), frame, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
        e.param.param_id = static_cast<clap_id>(index);
        e.param.note_id = -1;
        e.param.port_index = e.param.channel = e.param.key = -1;
        e.param.value = value;
        events.push_back(e);
    }
    void addMidi(const MidiAt& m)
    {
        AnyEvent e{};
        e.midi.header = {sizeof(clap_event_midi_t), m.frame, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
        e.midi.port_index = 0;
        std::memcpy(e.midi.data, m.bytes, 3);
        events.push_back(e);
    }
};

struct OutputList {
    std::vector<ReportedEvent>& into;
    clap_output_events_t list{this, tryPush};

    static bool CLAP_ABI tryPush(const clap_output_events_t* l, const clap_event_header_t* e)
    {
        if (!e || e->space_id != CLAP_CORE_EVENT_SPACE_ID)
            return true;
        auto& into = static_cast<OutputList*>(l->ctx)->into;
        if (e->type == CLAP_EVENT_PARAM_VALUE && e->size >= sizeof(clap_event_param_value_t)) {
            const auto& p = reinterpret_cast<const clap_event_param_value_t&>(*e);
            into.push_back({ReportedEvent::change, static_cast<int>(p.param_id), p.value});
        } else if ((e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || e->type == CLAP_EVENT_PARAM_GESTURE_END) &&
                   e->size >= sizeof(clap_event_param_gesture_t)) {
            const auto& g = reinterpret_cast<const clap_event_param_gesture_t&>(*e);
            into.push_back(
                {e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ? ReportedEvent::gestureBegin : ReportedEvent::gestureEnd,
                 static_cast<int>(g.param_id), 0.0});
        }
        return true;
    }
};

struct ByteSink {
    std::vector<unsigned char> bytes;
    clap_ostream_t stream{this, write};
    static std::int64_t CLAP_ABI write(const clap_ostream_t* s, const void* data, std::uint64_t size)
    {
        auto& bytes = static_cast<ByteSink*>(s->ctx)->bytes;
        const auto* p = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), p, p + size);
        return static_cast<std::int64_t>(size);
    }
};

struct ByteSource {
    const std::vector<unsigned char>& bytes;
    std::size_t at = 0;
    clap_istream_t stream{this, read};
    static std::int64_t CLAP_ABI read(const clap_istream_t* s, void* data, std::uint64_t size)
    {
        auto& self = *static_cast<ByteSource*>(s->ctx);
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), self.bytes.size() - self.at);
        std::memcpy(data, self.bytes.data() + self.at, n);
        self.at += n;
        return static_cast<std::int64_t>(n);
    }
};

}  // namespace

// What this host offers a plug-in: hearing of latency and parameter changes, and which thread runs.
struct ClapHostExtensions {
    static ClapInstance& of(const clap_host_t* host) { return *static_cast<ClapInstance*>(host->host_data); }
    static void CLAP_ABI latencyChanged(const clap_host_t* host) { ++of(host).latencyChanged_; }
    static void CLAP_ABI rescan(const clap_host_t*, clap_param_rescan_flags) {}
    static void CLAP_ABI clear(const clap_host_t*, clap_id, clap_param_clear_flags) {}
    static void CLAP_ABI requestFlush(const clap_host_t*) {}
    static void CLAP_ABI markDirty(const clap_host_t*) {}
    static bool CLAP_ABI isMainThread(const clap_host_t* host) { return !of(host).inProcess_; }
    static bool CLAP_ABI isAudioThread(const clap_host_t* host) { return of(host).inProcess_; }
    static bool CLAP_ABI registerTimer(const clap_host_t* host, std::uint32_t period, clap_id* id)
    {
        ClapInstance& self = of(host);
        if (!id)
            return false;
        *id = self.nextTimer_++;
        self.timers_.push_back({*id, period});
        return true;
    }
    static bool CLAP_ABI unregisterTimer(const clap_host_t* host, clap_id id)
    {
        auto& timers = of(host).timers_;
        const auto before = timers.size();
        timers.erase(
            std::remove_if(timers.begin(), timers.end(), [id](const ClapInstance::Timer& t) { return t.id == id; }),
            timers.end());
        return timers.size() != before;
    }
    // The window is the caller's and keeps its size: a request is noted, not carried out.
    static void CLAP_ABI resizeHintsChanged(const clap_host_t*) {}
    static bool CLAP_ABI requestResize(const clap_host_t*, std::uint32_t, std::uint32_t) { return false; }
    static bool CLAP_ABI requestShow(const clap_host_t*) { return false; }
    static bool CLAP_ABI requestHide(const clap_host_t*) { return false; }
    static void CLAP_ABI closed(const clap_host_t*, bool) {}

    static constexpr clap_host_latency_t latency{latencyChanged};
    static constexpr clap_host_timer_support_t timerSupport{registerTimer, unregisterTimer};
    static constexpr clap_host_gui_t gui{resizeHintsChanged, requestResize, requestShow, requestHide, closed};
    static constexpr clap_host_params_t params{rescan, clear, requestFlush};
    static constexpr clap_host_state_t state{markDirty};
    static constexpr clap_host_thread_check_t threadCheck{isMainThread, isAudioThread};
};

ClapInstance::ClapInstance()
{
    host_.clap_version = CLAP_VERSION;
    host_.host_data = this;
    host_.name = "tarn-render";
    host_.vendor = "Quellbrook";
    host_.url = "";
    host_.version = "1";
    host_.get_extension = hostExtension;
    host_.request_restart = requestRestart;
    host_.request_process = requestProcess;
    host_.request_callback = requestCallback;
}

const void* CLAP_ABI ClapInstance::hostExtension(const clap_host_t*, const char* id)
{
    if (!id)
        return nullptr;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0)
        return &ClapHostExtensions::latency;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
        return &ClapHostExtensions::params;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0)
        return &ClapHostExtensions::state;
    if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0)
        return &ClapHostExtensions::threadCheck;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
        return &ClapHostExtensions::timerSupport;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0)
        return &ClapHostExtensions::gui;
    return nullptr;
}

std::unique_ptr<ClapInstance> ClapInstance::create(const clap_plugin_factory_t& factory, std::string& error)
{
    const clap_plugin_descriptor_t* desc =
        factory.get_plugin_count(&factory) > 0 ? factory.get_plugin_descriptor(&factory, 0) : nullptr;
    if (!desc || !desc->id) {
        error = "the CLAP file offers no plug-in";
        return nullptr;
    }
    std::unique_ptr<ClapInstance> instance(new ClapInstance);
    instance->plugin_ = factory.create_plugin(&factory, &instance->host_, desc->id);
    if (!instance->plugin_) {
        error = "the CLAP plug-in " + std::string(desc->id) + " was not created";
        return nullptr;
    }
    if (!instance->plugin_->init(instance->plugin_)) {
        error = "the CLAP plug-in " + std::string(desc->id) + " did not initialise";
        instance->plugin_->destroy(instance->plugin_);
        instance->plugin_ = nullptr;
        return nullptr;
    }
    return instance;
}

ClapInstance::~ClapInstance()
{
    if (!plugin_)
        return;
    closeEditor();
    if (processing_)
        plugin_->stop_processing(plugin_);
    if (active_)
        plugin_->deactivate(plugin_);
    plugin_->destroy(plugin_);
}

const void* ClapInstance::extension(const char* id) const { return plugin_->get_extension(plugin_, id); }

bool ClapInstance::start(double sampleRate, int maxFrames, bool, std::string& error)
{
    // Started again (another rate): deactivated first, as hosts do.
    if (processing_)
        plugin_->stop_processing(plugin_);
    if (active_)
        plugin_->deactivate(plugin_);
    processing_ = active_ = false;
    if (!plugin_->activate(plugin_, sampleRate, 1, static_cast<std::uint32_t>(std::max(maxFrames, 1)))) {
        error = "the CLAP plug-in refused to run at " + std::to_string(static_cast<int>(sampleRate)) + " Hz";
        return false;
    }
    active_ = true;
    return true;
}

int ClapInstance::latency()
{
    const auto* l = static_cast<const clap_plugin_latency_t*>(extension(CLAP_EXT_LATENCY));
    return l ? static_cast<int>(l->get(plugin_)) : 0;
}

template <class Sample> void ClapInstance::run(Sample** in, Sample** out, int frames, const std::vector<MidiAt>& midi,
                                               const std::vector<ParameterAt>& changes)
{
    if (!processing_) {
        plugin_->start_processing(plugin_);
        processing_ = true;
    }
    InputList events;
    std::size_t m = 0, c = 0;
    while (m < midi.size() || c < changes.size()) {
        if (c < changes.size() && (m == midi.size() || changes[c].frame <= midi[m].frame)) {
            events.addParameter(changes[c].frame, changes[c].index, changes[c].value);
            ++c;
        } else {
            events.addMidi(midi[m++]);
        }
    }
    OutputList reported{reported_};
    clap_audio_buffer_t input{}, output{};
    input.channel_count = output.channel_count = 2;
    if constexpr (sizeof(Sample) == sizeof(double)) {
        input.data64 = in;
        output.data64 = out;
    } else {
        input.data32 = in;
        output.data32 = out;
    }
    clap_process_t process{};
    process.steady_time = -1;
    process.frames_count = static_cast<std::uint32_t>(frames);
    process.audio_inputs = &input;
    process.audio_outputs = &output;
    process.audio_inputs_count = process.audio_outputs_count = 1;
    process.in_events = &events.list;
    process.out_events = &reported.list;
    inProcess_ = true;
    plugin_->process(plugin_, &process);
    inProcess_ = false;
}

void ClapInstance::process(float** in, float** out, int frames, const std::vector<MidiAt>& midi)
{
    run(in, out, frames, midi, {});
}

void ClapInstance::process(double** in, double** out, int frames, const std::vector<MidiAt>& midi)
{
    run(in, out, frames, midi, {});
}

void ClapInstance::process(float** in, float** out, int frames, const std::vector<MidiAt>& midi,
                           const std::vector<ParameterAt>& changes)
{
    run(in, out, frames, midi, changes);
}

void ClapInstance::process(double** in, double** out, int frames, const std::vector<MidiAt>& midi,
                           const std::vector<ParameterAt>& changes)
{
    run(in, out, frames, midi, changes);
}

int ClapInstance::parameterCount()
{
    const auto* p = static_cast<const clap_plugin_params_t*>(extension(CLAP_EXT_PARAMS));
    return p ? static_cast<int>(p->count(plugin_)) : 0;
}

float ClapInstance::parameter(int index)
{
    const auto* p = static_cast<const clap_plugin_params_t*>(extension(CLAP_EXT_PARAMS));
    clap_param_info_t info{};
    double value = 0.0;
    if (!p || !p->get_info(plugin_, static_cast<std::uint32_t>(index), &info) ||
        !p->get_value(plugin_, info.id, &value))
        return 0.0f;
    return static_cast<float>(value);
}

void ClapInstance::setParameter(int index, float value)
{
    const auto* p = static_cast<const clap_plugin_params_t*>(extension(CLAP_EXT_PARAMS));
    clap_param_info_t info{};
    if (!p || !p->get_info(plugin_, static_cast<std::uint32_t>(index), &info))
        return;
    InputList events;
    events.addParameter(0, static_cast<int>(info.id), value);
    OutputList reported{reported_};
    p->flush(plugin_, &events.list, &reported.list);
}

std::string ClapInstance::parameterName(int index)
{
    const auto* p = static_cast<const clap_plugin_params_t*>(extension(CLAP_EXT_PARAMS));
    clap_param_info_t info{};
    if (!p || !p->get_info(plugin_, static_cast<std::uint32_t>(index), &info))
        return {};
    info.name[sizeof info.name - 1] = 0;
    return info.name;
}

std::string ClapInstance::valueText(int index)
{
    const auto* p = static_cast<const clap_plugin_params_t*>(extension(CLAP_EXT_PARAMS));
    clap_param_info_t info{};
    double value = 0.0;
    char text[256] = {};
    if (!p || !p->get_info(plugin_, static_cast<std::uint32_t>(index), &info) ||
        !p->get_value(plugin_, info.id, &value) || !p->value_to_text(plugin_, info.id, value, text, sizeof text))
        return {};
    text[sizeof text - 1] = 0;
    return text;
}

// CLAP's text carries the unit: "-6.0 dB" shows as "-6.0" with the label "dB"; a text without a
// space has no label of its own.
std::string ClapInstance::parameterDisplay(int index)
{
    const std::string text = valueText(index);
    const auto space = text.rfind(' ');
    return space == std::string::npos ? text : text.substr(0, space);
}

std::string ClapInstance::parameterLabel(int index)
{
    const std::string text = valueText(index);
    const auto space = text.rfind(' ');
    return space == std::string::npos ? std::string() : text.substr(space + 1);
}

// CLAP saves the whole bank: a program alone cannot be asked for (none is given, rather than the bank
// under a program's name).
std::vector<unsigned char> ClapInstance::saveChunk(bool program)
{
    const auto* s = static_cast<const clap_plugin_state_t*>(extension(CLAP_EXT_STATE));
    ByteSink sink;
    if (program || !s || !s->save(plugin_, &sink.stream))
        return {};
    return sink.bytes;
}

// The state saved is the whole bank (a program alone cannot be asked for), but a program's chunk is
// taken as the plug-in's state reader takes it.
bool ClapInstance::loadChunk(bool, const std::vector<unsigned char>& chunk)
{
    const auto* s = static_cast<const clap_plugin_state_t*>(extension(CLAP_EXT_STATE));
    ByteSource source{chunk};
    return s && s->load(plugin_, &source.stream);
}

// A CLAP plug-in has no VST 2.4 identity to tell: unknown (0), so preset files are not matched by it
// and the plug-in's own state reader decides.
PresetIdentity ClapInstance::presetIdentity() { return {}; }

// The platform's window: openEditor's parent carries an X11 window id, or an HWND on Windows.
#ifdef _WIN32
constexpr const char* editorWindowApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* editorWindowApi = CLAP_WINDOW_API_X11;
#endif

bool ClapInstance::editorSize(float scale, int& width, int& height)
{
    const auto* gui = static_cast<const clap_plugin_gui_t*>(extension(CLAP_EXT_GUI));
    if (!gui || !gui->is_api_supported(plugin_, editorWindowApi, false))
        return false;
    if (!editorCreated_) {
        if (!gui->create(plugin_, editorWindowApi, false))
            return false;
        editorCreated_ = true;
    }
    if (scale > 0.0f)
        gui->set_scale(plugin_, scale);
    std::uint32_t w = 0, h = 0;
    if (!gui->get_size(plugin_, &w, &h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ClapInstance::openEditor(void* parent)
{
    int width = 0, height = 0;
    const auto* gui = static_cast<const clap_plugin_gui_t*>(extension(CLAP_EXT_GUI));
    if (!gui || (!editorCreated_ && !editorSize(0.0f, width, height)))
        return false;
    clap_window_t window{};
    window.api = editorWindowApi;
#ifdef _WIN32
    window.win32 = parent;
#else
    window.x11 = static_cast<clap_xwnd>(reinterpret_cast<std::uintptr_t>(parent));
#endif
    return gui->set_parent(plugin_, &window) && gui->show(plugin_);
}

// The host's turn between audio blocks: every timer fires (this host is driven by its caller's pace,
// which is the timers' period or slower), and what the editor noted for the host is flushed.
void ClapInstance::idleEditor()
{
    const auto* timer = static_cast<const clap_plugin_timer_support_t*>(extension(CLAP_EXT_TIMER_SUPPORT));
    if (timer)
        for (const Timer t : std::vector<Timer>(timers_))
            timer->on_timer(plugin_, t.id);
    flush();
}

void ClapInstance::closeEditor()
{
    const auto* gui = static_cast<const clap_plugin_gui_t*>(extension(CLAP_EXT_GUI));
    if (gui && editorCreated_)
        gui->destroy(plugin_);
    editorCreated_ = false;
}

void ClapInstance::flush()
{
    const auto* p = static_cast<const clap_plugin_params_t*>(extension(CLAP_EXT_PARAMS));
    if (!p)
        return;
    InputList none;
    OutputList reported{reported_};
    p->flush(plugin_, &none.list, &reported.list);
}

void ClapInstance::describe(std::ostream& out)
{
    const clap_plugin_descriptor_t& d = *plugin_->desc;
    out << "id:          " << (d.id ? d.id : "") << "\n"
        << "name:        " << (d.name ? d.name : "") << "\n"
        << "vendor:      " << (d.vendor ? d.vendor : "") << "\n"
        << "version:     " << (d.version ? d.version : "") << "\n"
        << "features:   ";
    for (const char* const* f = d.features; f && *f; ++f)
        out << " " << *f;
    out << "\n";
    const auto* ports = static_cast<const clap_plugin_audio_ports_t*>(extension(CLAP_EXT_AUDIO_PORTS));
    for (bool input : {true, false})
        for (std::uint32_t i = 0; ports && i < ports->count(plugin_, input); ++i) {
            clap_audio_port_info_t info{};
            if (ports->get(plugin_, i, input, &info))
                out << "  " << (input ? "input " : "output ") << i << ": " << info.name << " (" << info.channel_count
                    << " channels" << (info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS ? ", 64-bit" : "") << ")\n";
        }
    for (int i = 0; i < parameterCount(); ++i)
        out << "  parameter " << i << ": " << parameterName(i) << " = " << valueText(i) << "\n";
    out << "latency:     " << latency() << " samples\n";
}

std::vector<ParameterAt> ClapInstance::takeReportedChanges()
{
    std::vector<ParameterAt> values;
    for (const ReportedEvent& e : takeReportedEvents())
        if (e.kind == ReportedEvent::change)
            values.push_back({0, e.index, e.value});
    return values;
}

std::vector<ReportedEvent> ClapInstance::takeReportedEvents()
{
    std::vector<ReportedEvent> taken;
    taken.swap(reported_);
    return taken;
}

std::unique_ptr<ClapFile> ClapFile::open(const std::string& path, std::string& error)
{
    std::unique_ptr<ClapFile> file(new ClapFile);
    if (!file->library_.open(path)) {
        error = file->library_.error();
        return nullptr;
    }
    const auto* entry = static_cast<const clap_plugin_entry_t*>(file->library_.symbol("clap_entry"));
    if (!entry || !clap_version_is_compatible(entry->clap_version)) {
        error = path + " has no clap_entry of a CLAP version we know";
        return nullptr;
    }
    if (!entry->init(path.c_str())) {
        error = path + ": the CLAP entry did not initialise";
        return nullptr;
    }
    file->entry_ = entry;
    file->factory_ = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (!file->factory_) {
        error = path + " has no CLAP plug-in factory";
        return nullptr;
    }
    return file;
}

ClapFile::~ClapFile()
{
    if (entry_)
        entry_->deinit();
}

std::unique_ptr<ClapInstance> ClapFile::instantiateClap(std::string& error)
{
    return ClapInstance::create(*factory_, error);
}

std::unique_ptr<HostedPlugin> ClapFile::instantiate(std::string& error) { return instantiateClap(error); }

}  // namespace PluginHost
