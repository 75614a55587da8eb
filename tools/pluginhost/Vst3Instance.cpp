#include "tools/pluginhost/Vst3Instance.h"

#include <travesty/bstream.h>
#include <travesty/unit.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace PluginHost {

namespace {

std::string narrow(const int16_t* text, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i < size && text[i]; ++i)
        out += text[i] > 0 && text[i] < 128 ? static_cast<char>(text[i]) : '?';
    return out;
}

bool same(const v3_tuid a, const v3_tuid b) { return std::memcmp(a, b, sizeof(v3_tuid)) == 0; }

// Host-side objects live as long as the call that hands them over: their references are not counted.
uint32_t V3_API notCounted(void*) { return 1; }

// The interface pointer a host-side object hands over: the address of its table's field.
template <class Interface, class Table> Interface** asInterface(Table*& field)
{
    return static_cast<Interface**>(static_cast<void*>(&field));
}

struct StreamTable : v3_funknown {
    v3_bstream stream;
};

// A stream over bytes in memory, for getState and setState.
struct MemoryStream {
    const StreamTable* table;
    std::vector<unsigned char> bytes;
    std::size_t at = 0;

    static MemoryStream& of(void* self) { return *static_cast<MemoryStream*>(self); }
    static v3_result V3_API query(void* self, const v3_tuid iid, void** object)
    {
        const bool ours = same(iid, v3_funknown_iid) || same(iid, v3_bstream_iid);
        *object = ours ? self : nullptr;
        return ours ? V3_OK : V3_NO_INTERFACE;
    }
    static v3_result V3_API read(void* self, void* buffer, int32_t size, int32_t* got)
    {
        MemoryStream& s = of(self);
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(size, 0)), s.bytes.size() - s.at);
        std::memcpy(buffer, s.bytes.data() + s.at, n);
        s.at += n;
        if (got)
            *got = static_cast<int32_t>(n);
        return V3_OK;
    }
    static v3_result V3_API write(void* self, void* buffer, int32_t size, int32_t* wrote)
    {
        MemoryStream& s = of(self);
        const auto* p = static_cast<const unsigned char*>(buffer);
        s.bytes.insert(s.bytes.end(), p, p + std::max(size, 0));
        if (wrote)
            *wrote = std::max(size, 0);
        return V3_OK;
    }
    static v3_result V3_API seek(void* self, int64_t position, int32_t mode, int64_t* result)
    {
        MemoryStream& s = of(self);
        const int64_t base = mode == V3_SEEK_SET   ? 0
                             : mode == V3_SEEK_CUR ? static_cast<int64_t>(s.at)
                                                   : static_cast<int64_t>(s.bytes.size());
        s.at = static_cast<std::size_t>(std::clamp<int64_t>(base + position, 0, static_cast<int64_t>(s.bytes.size())));
        if (result)
            *result = static_cast<int64_t>(s.at);
        return V3_OK;
    }
    static v3_result V3_API tell(void* self, int64_t* position)
    {
        if (position)
            *position = static_cast<int64_t>(of(self).at);
        return V3_OK;
    }
};
const StreamTable streamTable = {{MemoryStream::query, notCounted, notCounted},
                                 {MemoryStream::read, MemoryStream::write, MemoryStream::seek, MemoryStream::tell}};

// One parameter's points for a process call.
struct Queue {
    const v3_param_value_queue_cpp* table;
    v3_param_id id = 0;
    std::vector<std::pair<int32_t, double>> points;

    static Queue& of(void* self) { return *static_cast<Queue*>(self); }
    static v3_result V3_API query(void* self, const v3_tuid iid, void** object)
    {
        const bool ours = same(iid, v3_funknown_iid) || same(iid, v3_param_value_queue_iid);
        *object = ours ? self : nullptr;
        return ours ? V3_OK : V3_NO_INTERFACE;
    }
    static v3_param_id V3_API paramId(void* self) { return of(self).id; }
    static int32_t V3_API pointCount(void* self) { return static_cast<int32_t>(of(self).points.size()); }
    static v3_result V3_API point(void* self, int32_t index, int32_t* offset, double* value)
    {
        Queue& q = of(self);
        if (index < 0 || static_cast<std::size_t>(index) >= q.points.size())
            return V3_INVALID_ARG;
        *offset = q.points[index].first;
        *value = q.points[index].second;
        return V3_OK;
    }
    static v3_result V3_API addPoint(void* self, int32_t offset, double value, int32_t* index)
    {
        Queue& q = of(self);
        q.points.emplace_back(offset, value);
        if (index)
            *index = static_cast<int32_t>(q.points.size() - 1);
        return V3_OK;
    }
};
const v3_param_value_queue_cpp queueTable = {{Queue::query, notCounted, notCounted},
                                             {Queue::paramId, Queue::pointCount, Queue::point, Queue::addPoint}};

// The parameter changes of one process call, in or out.
struct Changes {
    const v3_param_changes_cpp* table;
    std::vector<std::unique_ptr<Queue>> queues;

    static Changes& of(void* self) { return *static_cast<Changes*>(self); }
    static v3_result V3_API query(void* self, const v3_tuid iid, void** object)
    {
        const bool ours = same(iid, v3_funknown_iid) || same(iid, v3_param_changes_iid);
        *object = ours ? self : nullptr;
        return ours ? V3_OK : V3_NO_INTERFACE;
    }
    static int32_t V3_API count(void* self) { return static_cast<int32_t>(of(self).queues.size()); }
    static v3_param_value_queue** V3_API data(void* self, int32_t index)
    {
        Changes& c = of(self);
        if (index < 0 || static_cast<std::size_t>(index) >= c.queues.size())
            return nullptr;
        return asInterface<v3_param_value_queue>(c.queues[index]->table);
    }
    static v3_param_value_queue** V3_API add(void* self, v3_param_id* id, int32_t* index)
    {
        Changes& c = of(self);
        for (std::size_t i = 0; i < c.queues.size(); ++i)
            if (c.queues[i]->id == *id) {
                if (index)
                    *index = static_cast<int32_t>(i);
                return asInterface<v3_param_value_queue>(c.queues[i]->table);
            }
        c.queues.push_back(std::make_unique<Queue>(Queue{&queueTable, *id, {}}));
        if (index)
            *index = static_cast<int32_t>(c.queues.size() - 1);
        return asInterface<v3_param_value_queue>(c.queues.back()->table);
    }
};
const v3_param_changes_cpp changesTable = {{Changes::query, notCounted, notCounted},
                                           {Changes::count, Changes::data, Changes::add}};

struct HandlerTable : v3_funknown {
    v3_component_handler handler;
};

}  // namespace

// What the plug-in tells its host: edits (noted), restarts (their flags gathered).
struct Vst3Instance::Handler {
    const HandlerTable* table;
    Vst3Instance* owner;

    static Handler& of(void* self) { return *static_cast<Handler*>(self); }
    static v3_result V3_API query(void* self, const v3_tuid iid, void** object)
    {
        const bool ours = same(iid, v3_funknown_iid) || same(iid, v3_component_handler_iid);
        *object = ours ? self : nullptr;
        return ours ? V3_OK : V3_NO_INTERFACE;
    }
    static v3_result V3_API begin(void* self, v3_param_id id)
    {
        of(self).owner->edits_.push_back({'b', id, 0.0});
        return V3_OK;
    }
    static v3_result V3_API end(void* self, v3_param_id id)
    {
        of(self).owner->edits_.push_back({'e', id, 0.0});
        return V3_OK;
    }
    static v3_result V3_API perform(void* self, v3_param_id id, double value)
    {
        of(self).owner->reported_.push_back({0, id, value});
        of(self).owner->edits_.push_back({'p', id, value});
        return V3_OK;
    }
    static v3_result V3_API restart(void* self, int32_t flags)
    {
        of(self).owner->restartFlags_ |= flags;
        return V3_OK;
    }
};

namespace {
const HandlerTable handlerTable = {{Vst3Instance::Handler::query, notCounted, notCounted},
                                   {Vst3Instance::Handler::begin, Vst3Instance::Handler::perform,
                                    Vst3Instance::Handler::end, Vst3Instance::Handler::restart}};

struct FrameTable : v3_funknown {
    v3_plugin_frame frame;
};
struct LoopTable : v3_funknown {
    v3_run_loop loop;
};
}  // namespace

std::unique_ptr<Vst3Instance> Vst3Instance::create(v3_plugin_factory** factory, const v3_tuid classId,
                                                   std::string& error)
{
    std::unique_ptr<Vst3Instance> instance(new Vst3Instance);
    std::memcpy(instance->classId_, classId, sizeof(v3_tuid));
    void* made = nullptr;
    if (v3_cpp_obj(factory)->create_instance(factory, classId, v3_component_iid, &made) != V3_OK || !made) {
        error = "the VST3 factory made no component";
        return nullptr;
    }
    instance->component_ = static_cast<v3_component**>(made);
    if (v3_cpp_obj_initialize(instance->component_, nullptr) != V3_OK) {
        error = "the VST3 component did not initialise";
        return nullptr;
    }
    void* processor = nullptr;
    v3_cpp_obj_query_interface(instance->component_, v3_audio_processor_iid,
                               reinterpret_cast<v3_audio_processor***>(&processor));
    instance->processor_ = static_cast<v3_audio_processor**>(processor);
    if (!instance->processor_) {
        error = "the VST3 component is no audio processor";
        return nullptr;
    }
    if (!instance->makeController(factory, error))
        return nullptr;
    instance->handler_.reset(new Handler{&handlerTable, instance.get()});
    v3_cpp_obj(instance->controller_)
        ->set_component_handler(instance->controller_, asInterface<v3_component_handler>(instance->handler_->table));
    const int32_t count = v3_cpp_obj(instance->controller_)->get_parameter_count(instance->controller_);
    for (int32_t i = 0; i < count; ++i) {
        v3_param_info p{};
        if (v3_cpp_obj(instance->controller_)->get_parameter_info(instance->controller_, i, &p) != V3_OK)
            continue;
        if (p.flags & V3_PARAM_PROGRAM_CHANGE)
            instance->programParam_ = static_cast<std::int64_t>(p.param_id);
        else if (!(p.flags & V3_PARAM_IS_HIDDEN))
            instance->visible_.push_back(p.param_id);
    }
    return instance;
}

// The edit controller: a class of its own, made, initialised and connected to the component both
// ways as hosts do, or the component itself where it has no controller class.
bool Vst3Instance::makeController(v3_plugin_factory** factory, std::string& error)
{
    v3_tuid controllerClass{};
    void* made = nullptr;
    if (v3_cpp_obj(component_)->get_controller_class_id(component_, controllerClass) == V3_OK) {
        if (v3_cpp_obj(factory)->create_instance(factory, controllerClass, v3_edit_controller_iid, &made) != V3_OK ||
            !made) {
            error = "the VST3 factory made no edit controller of the component's controller class";
            return false;
        }
        controller_ = static_cast<v3_edit_controller**>(made);
        ownController_ = true;
        if (v3_cpp_obj_initialize(controller_, nullptr) != V3_OK) {
            error = "the VST3 edit controller did not initialise";
            return false;
        }
        void* a = nullptr;
        void* b = nullptr;
        v3_cpp_obj_query_interface(component_, v3_connection_point_iid, reinterpret_cast<v3_connection_point***>(&a));
        v3_cpp_obj_query_interface(controller_, v3_connection_point_iid, reinterpret_cast<v3_connection_point***>(&b));
        componentPoint_ = static_cast<v3_connection_point**>(a);
        controllerPoint_ = static_cast<v3_connection_point**>(b);
        if (componentPoint_ && controllerPoint_) {
            v3_cpp_obj(componentPoint_)->connect(componentPoint_, controllerPoint_);
            v3_cpp_obj(controllerPoint_)->connect(controllerPoint_, componentPoint_);
        }
        return true;
    }
    v3_cpp_obj_query_interface(component_, v3_edit_controller_iid, reinterpret_cast<v3_edit_controller***>(&made));
    controller_ = static_cast<v3_edit_controller**>(made);
    if (!controller_) {
        error = "the VST3 component names no edit controller and is none itself";
        return false;
    }
    return true;
}

// The plug-in frame we hand a view, which is also its run loop: timers kept, fired at idleEditor;
// event handlers noted (the X11 editor reads its connection at each timer tick).
struct Vst3Instance::Frame {
    const FrameTable* frameTable;
    Frame* self;  // the loop interface's owner, found the same way
    const LoopTable* loopTable;
    Frame* self2;
    std::vector<v3_timer_handler**> timers;

    static Frame& ofFrame(void* p) { return *static_cast<Frame*>(p); }
    static Frame& ofLoop(void* p) { return **reinterpret_cast<Frame**>(static_cast<char*>(p) + sizeof(void*)); }
    static v3_result V3_API query(void* p, const v3_tuid iid, void** object, Frame& f)
    {
        if (same(iid, v3_funknown_iid) || same(iid, v3_plugin_frame_iid))
            *object = &f.frameTable;
        else if (same(iid, v3_run_loop_iid))
            *object = &f.loopTable;
        else
            *object = nullptr;
        (void)p;
        return *object ? V3_OK : V3_NO_INTERFACE;
    }
    static v3_result V3_API frameQuery(void* p, const v3_tuid iid, void** object)
    {
        return query(p, iid, object, ofFrame(p));
    }
    static v3_result V3_API loopQuery(void* p, const v3_tuid iid, void** object)
    {
        return query(p, iid, object, ofLoop(p));
    }
    static v3_result V3_API resize(void*, v3_plugin_view**, v3_view_rect*) { return V3_OK; }
    static v3_result V3_API addHandler(void*, v3_event_handler**, int) { return V3_OK; }
    static v3_result V3_API removeHandler(void*, v3_event_handler**) { return V3_OK; }
    static v3_result V3_API addTimer(void* p, v3_timer_handler** timer, uint64_t)
    {
        ofLoop(p).timers.push_back(timer);
        return V3_OK;
    }
    static v3_result V3_API removeTimer(void* p, v3_timer_handler** timer)
    {
        auto& timers = ofLoop(p).timers;
        timers.erase(std::remove(timers.begin(), timers.end(), timer), timers.end());
        return V3_OK;
    }
};

namespace {
const FrameTable frameTable = {{Vst3Instance::Frame::frameQuery, notCounted, notCounted},
                               {Vst3Instance::Frame::resize}};
const LoopTable loopTable = {{Vst3Instance::Frame::loopQuery, notCounted, notCounted},
                             {Vst3Instance::Frame::addHandler, Vst3Instance::Frame::removeHandler,
                              Vst3Instance::Frame::addTimer, Vst3Instance::Frame::removeTimer}};
}  // namespace

// The platform's window: openEditor's parent carries an X11 window id, or an HWND on Windows.
#ifdef _WIN32
constexpr const char* editorPlatform = "HWND";
#else
constexpr const char* editorPlatform = "X11EmbedWindowID";
#endif

bool Vst3Instance::editorSize(float scale, int& width, int& height)
{
    if (!view_) {
        view_ = v3_cpp_obj(controller_)->create_view(controller_, "editor");
        if (!view_)
            return false;
        if (v3_cpp_obj(view_)->is_platform_type_supported(view_, editorPlatform) != V3_TRUE) {
            closeEditor();
            return false;
        }
    }
    if (scale > 0.0f) {
        void* scaling = nullptr;
        if (v3_cpp_obj_query_interface(view_, v3_plugin_view_content_scale_iid,
                                       reinterpret_cast<v3_plugin_view_content_scale***>(&scaling)) == V3_OK &&
            scaling) {
            auto** s = static_cast<v3_plugin_view_content_scale**>(scaling);
            v3_cpp_obj(s)->set_content_scale_factor(s, scale);
            v3_cpp_obj_unref(s);
        }
    }
    v3_view_rect rect{};
    if (v3_cpp_obj(view_)->get_size(view_, &rect) != V3_OK)
        return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    return true;
}

bool Vst3Instance::openEditor(void* parent)
{
    int width = 0, height = 0;
    if (!view_ && !editorSize(0.0f, width, height))
        return false;
    frame_.reset(new Frame{&frameTable, nullptr, &loopTable, nullptr, {}});
    frame_->self = frame_->self2 = frame_.get();
    v3_cpp_obj(view_)->set_frame(view_, asInterface<v3_plugin_frame>(frame_->frameTable));
    return v3_cpp_obj(view_)->attached(view_, parent, editorPlatform) == V3_OK;
}

void Vst3Instance::idleEditor()
{
    if (!frame_)
        return;
    for (v3_timer_handler** timer : std::vector<v3_timer_handler**>(frame_->timers))
        v3_cpp_obj(timer)->on_timer(timer);
}

void Vst3Instance::closeEditor()
{
    if (!view_)
        return;
    v3_cpp_obj(view_)->removed(view_);
    v3_cpp_obj(view_)->set_frame(view_, nullptr);
    v3_cpp_obj_unref(view_);
    view_ = nullptr;
    frame_.reset();
}

std::vector<Vst3Instance::Edit> Vst3Instance::takeEdits()
{
    std::vector<Edit> taken;
    taken.swap(edits_);
    return taken;
}

Vst3Instance::~Vst3Instance()
{
    closeEditor();
    if (processor_ && active_) {
        v3_cpp_obj(processor_)->set_processing(processor_, false);
        v3_cpp_obj(component_)->set_active(component_, false);
    }
    if (componentPoint_ && controllerPoint_) {
        v3_cpp_obj(componentPoint_)->disconnect(componentPoint_, controllerPoint_);
        v3_cpp_obj(controllerPoint_)->disconnect(controllerPoint_, componentPoint_);
    }
    for (v3_connection_point** point : {componentPoint_, controllerPoint_})
        if (point)
            v3_cpp_obj_unref(point);
    if (controller_) {
        v3_cpp_obj(controller_)->set_component_handler(controller_, nullptr);
        if (ownController_)
            v3_cpp_obj_terminate(controller_);
        v3_cpp_obj_unref(controller_);
    }
    if (processor_)
        v3_cpp_obj_unref(processor_);
    if (component_) {
        v3_cpp_obj_terminate(component_);
        v3_cpp_obj_unref(component_);
    }
}

bool Vst3Instance::start(double sampleRate, int maxFrames, bool doublePrecision, std::string& error)
{
    if (active_) {
        v3_cpp_obj(processor_)->set_processing(processor_, false);
        v3_cpp_obj(component_)->set_active(component_, false);
        active_ = false;
    }
    doubles_ = doublePrecision;
    v3_speaker_arrangement stereo = V3_SPEAKER_L | V3_SPEAKER_R;
    v3_speaker_arrangement in = stereo, out = stereo;
    v3_process_setup setup{V3_OFFLINE, doublePrecision ? V3_SAMPLE_64 : V3_SAMPLE_32, std::max(maxFrames, 1),
                           sampleRate};
    if (v3_cpp_obj(processor_)->set_bus_arrangements(processor_, &in, 1, &out, 1) != V3_OK ||
        v3_cpp_obj(processor_)->can_process_sample_size(processor_, setup.symbolic_sample_size) != V3_OK ||
        v3_cpp_obj(processor_)->setup_processing(processor_, &setup) != V3_OK) {
        error = "the VST3 plug-in refused stereo at " + std::to_string(static_cast<int>(sampleRate)) + " Hz";
        return false;
    }
    v3_cpp_obj(component_)->set_active(component_, true);
    v3_cpp_obj(processor_)->set_processing(processor_, true);
    active_ = true;
    return true;
}

int Vst3Instance::latency() { return static_cast<int>(v3_cpp_obj(processor_)->get_latency_samples(processor_)); }

template <class Sample> void Vst3Instance::run(Sample** in, Sample** out, int frames, std::vector<Vst3Change> changes)
{
    changes.insert(changes.begin(), pending_.begin(), pending_.end());
    pending_.clear();
    Changes input{&changesTable, {}}, output{&changesTable, {}};
    for (const Vst3Change& c : changes) {
        v3_param_id id = c.id;
        int32_t index = 0;
        v3_param_value_queue** queue = Changes::add(&input, &id, &index);
        Queue::addPoint(queue, static_cast<int32_t>(c.frame), c.value, &index);
    }
    v3_audio_bus_buffers inputs{}, outputs{};
    inputs.num_channels = outputs.num_channels = 2;
    if constexpr (sizeof(Sample) == sizeof(double)) {
        inputs.channel_buffers_64 = in;
        outputs.channel_buffers_64 = out;
    } else {
        inputs.channel_buffers_32 = in;
        outputs.channel_buffers_32 = out;
    }
    v3_process_data data{};
    data.process_mode = V3_OFFLINE;
    data.symbolic_sample_size = sizeof(Sample) == sizeof(double) ? V3_SAMPLE_64 : V3_SAMPLE_32;
    data.nframes = frames;
    data.num_input_buses = data.num_output_buses = 1;
    data.inputs = &inputs;
    data.outputs = &outputs;
    data.input_params = asInterface<v3_param_changes>(input.table);
    data.output_params = asInterface<v3_param_changes>(output.table);
    v3_cpp_obj(processor_)->process(processor_, &data);
    // The controller shows what was played and what the processor changed itself, as hosts tell it.
    for (const auto& q : input.queues)
        v3_cpp_obj(controller_)->set_parameter_normalised(controller_, q->id, q->points.back().second);
    for (const auto& q : output.queues) {
        for (const auto& [offset, value] : q->points)
            reported_.push_back({static_cast<std::uint32_t>(offset), q->id, value});
        if (!q->points.empty())
            v3_cpp_obj(controller_)->set_parameter_normalised(controller_, q->id, q->points.back().second);
    }
}

void Vst3Instance::process(float** in, float** out, int frames, const std::vector<MidiAt>& midi)
{
    std::vector<Vst3Change> changes;
    for (const MidiAt& m : midi)  // controllers reach a VST3 plug-in as the parameters it maps them to
        if ((m.bytes[0] & 0xF0) == 0xB0)
            changes.push_back(
                {m.frame, 0x10000u + (m.bytes[0] & 0x0Fu) * 128u + (m.bytes[1] & 0x7Fu), (m.bytes[2] & 0x7F) / 127.0});
    run(in, out, frames, changes);
}

void Vst3Instance::process(double** in, double** out, int frames, const std::vector<MidiAt>& midi)
{
    std::vector<Vst3Change> changes;
    for (const MidiAt& m : midi)
        if ((m.bytes[0] & 0xF0) == 0xB0)
            changes.push_back(
                {m.frame, 0x10000u + (m.bytes[0] & 0x0Fu) * 128u + (m.bytes[1] & 0x7Fu), (m.bytes[2] & 0x7F) / 127.0});
    run(in, out, frames, changes);
}

void Vst3Instance::process(float** in, float** out, int frames, const std::vector<Vst3Change>& changes)
{
    run(in, out, frames, changes);
}

void Vst3Instance::process(double** in, double** out, int frames, const std::vector<Vst3Change>& changes)
{
    run(in, out, frames, changes);
}

v3_param_info Vst3Instance::info(int index)
{
    v3_param_info p{};
    const int32_t count = v3_cpp_obj(controller_)->get_parameter_count(controller_);
    for (int32_t i = 0; i < count && index >= 0 && static_cast<std::size_t>(index) < visible_.size(); ++i)
        if (v3_cpp_obj(controller_)->get_parameter_info(controller_, i, &p) == V3_OK && p.param_id == visible_[index])
            return p;
    return v3_param_info{};
}

float Vst3Instance::parameter(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= visible_.size())
        return 0.0f;
    return static_cast<float>(v3_cpp_obj(controller_)->get_parameter_normalised(controller_, visible_[index]));
}

// As a host sets a value: the controller at once, the processor with the next process call.
void Vst3Instance::setParameter(int index, float value)
{
    if (index < 0 || static_cast<std::size_t>(index) >= visible_.size())
        return;
    v3_cpp_obj(controller_)->set_parameter_normalised(controller_, visible_[index], value);
    pending_.push_back({0, visible_[index], value});
}

// The short title where there is one ("thresh."), as hosts with little room show it.
std::string Vst3Instance::parameterName(int index)
{
    const v3_param_info p = info(index);
    const std::string shortTitle = narrow(p.short_title, 128);
    return shortTitle.empty() ? narrow(p.title, 128) : shortTitle;
}

std::string Vst3Instance::parameterDisplay(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= visible_.size())
        return {};
    v3_str_128 text{};
    const double value = v3_cpp_obj(controller_)->get_parameter_normalised(controller_, visible_[index]);
    if (v3_cpp_obj(controller_)->get_parameter_string_for_value(controller_, visible_[index], value, text) != V3_OK)
        return {};
    return narrow(text, 128);
}

std::string Vst3Instance::parameterLabel(int index) { return narrow(info(index).units, 128); }

namespace {

// The controller's unit information, with a reference for the caller, or null.
v3_unit_information** unitsOf(v3_edit_controller** controller)
{
    void* units = nullptr;
    v3_cpp_obj_query_interface(controller, v3_unit_information_iid, reinterpret_cast<v3_unit_information***>(&units));
    return static_cast<v3_unit_information**>(units);
}

}  // namespace

// The root unit's program list (as VST3 hosts show programs), by its length.
int Vst3Instance::programCount()
{
    v3_unit_information** units = unitsOf(controller_);
    if (!units)
        return 0;
    int count = 0;
    v3_unit_info root{};
    v3_program_list_info list{};
    if (v3_cpp_obj(units)->get_unit_info(units, 0, &root) == V3_OK)
        for (int32_t i = 0; i < v3_cpp_obj(units)->get_program_list_count(units); ++i)
            if (v3_cpp_obj(units)->get_program_list_info(units, i, &list) == V3_OK && list.id == root.program_list_id)
                count = list.programCount;
    v3_cpp_obj_unref(units);
    return count;
}

// The program the program-change parameter last chose.
int Vst3Instance::currentProgram()
{
    const int count = programCount();
    if (programParam_ < 0 || count <= 1)
        return 0;
    const double value =
        v3_cpp_obj(controller_)->get_parameter_normalised(controller_, static_cast<v3_param_id>(programParam_));
    return static_cast<int>(std::lround(value * (count - 1)));
}

std::string Vst3Instance::programName() { return programName(currentProgram()); }

std::string Vst3Instance::programName(int index)
{
    v3_unit_information** units = unitsOf(controller_);
    if (!units)
        return {};
    std::string name;
    v3_unit_info root{};
    v3_str_128 text{};
    if (v3_cpp_obj(units)->get_unit_info(units, 0, &root) == V3_OK &&
        v3_cpp_obj(units)->get_program_name(units, root.program_list_id, index, text) == V3_OK)
        name = narrow(text, 128);
    v3_cpp_obj_unref(units);
    return name;
}

// Values set since the last process call reach the processor first, in a call without audio (as hosts
// flush parameters), so the state holds them.
std::vector<unsigned char> Vst3Instance::componentState()
{
    if (!pending_.empty())
        run<float>(nullptr, nullptr, 0, {});
    MemoryStream stream{&streamTable, {}, 0};
    if (v3_cpp_obj(component_)->get_state(component_, asInterface<v3_bstream>(stream.table)) != V3_OK)
        return {};
    return stream.bytes;
}

// As hosts restore a state: the component first, then the same bytes to the controller.
bool Vst3Instance::setComponentState(const std::vector<unsigned char>& state)
{
    MemoryStream stream{&streamTable, state, 0};
    if (v3_cpp_obj(component_)->set_state(component_, asInterface<v3_bstream>(stream.table)) != V3_OK)
        return false;
    if (ownController_) {
        MemoryStream again{&streamTable, state, 0};
        v3_cpp_obj(controller_)->set_component_state(controller_, asInterface<v3_bstream>(again.table));
    }
    return true;
}

// Tarn's VST3 state is the VST 2.4 bank: a program alone cannot be asked for (none is given), but one
// is taken, as migrating hosts hand it over.
std::vector<unsigned char> Vst3Instance::saveChunk(bool program)
{
    return program ? std::vector<unsigned char>() : componentState();
}

bool Vst3Instance::loadChunk(bool, const std::vector<unsigned char>& chunk) { return setComponentState(chunk); }

// A class ID made by the VST 2 to VST 3 convention carries the VST 2.4 unique ID after "VST".
PresetIdentity Vst3Instance::presetIdentity()
{
#if V3_COM_COMPAT
    const std::uint8_t s[7] = {classId_[3], classId_[2], classId_[1], classId_[0],
                               classId_[5], classId_[4], classId_[7]};
#else
    const std::uint8_t s[7] = {classId_[0], classId_[1], classId_[2], classId_[3],
                               classId_[4], classId_[5], classId_[6]};
#endif
    if (std::memcmp(s, "VST", 3) != 0)
        return {};
    const auto id = static_cast<std::int32_t>(std::uint32_t{s[3]} << 24 | std::uint32_t{s[4]} << 16 |
                                              std::uint32_t{s[5]} << 8 | s[6]);
    return {id, 1};
}

void Vst3Instance::describe(std::ostream& out)
{
    for (int32_t direction : {V3_INPUT, V3_OUTPUT}) {
        v3_bus_info bus{};
        for (int32_t i = 0; i < v3_cpp_obj(component_)->get_bus_count(component_, V3_AUDIO, direction); ++i)
            if (v3_cpp_obj(component_)->get_bus_info(component_, V3_AUDIO, direction, i, &bus) == V3_OK)
                out << "  audio " << (direction == V3_INPUT ? "input " : "output ") << i << ": "
                    << narrow(bus.bus_name, 128) << " (" << bus.channel_count << " channels)\n";
    }
    out << "MIDI input:  " << (v3_cpp_obj(component_)->get_bus_count(component_, V3_EVENT, V3_INPUT) > 0 ? "yes" : "no")
        << "\n";
    for (int i = 0; i < parameterCount(); ++i)
        out << "  parameter " << i << ": " << parameterName(i) << " = " << parameterDisplay(i) << " "
            << parameterLabel(i) << "\n";
    out << "latency:     " << latency() << " samples\n";
}

std::vector<Vst3Change> Vst3Instance::takeReportedChanges()
{
    std::vector<Vst3Change> taken;
    taken.swap(reported_);
    return taken;
}

namespace {

bool isFolder(const std::string& path)
{
    struct stat s {};
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

// The module inside a bundle for this platform; a file is the module itself.
std::string modulePath(const std::string& path)
{
    if (!isFolder(path))
        return path;
    std::string bundle = path;
    while (!bundle.empty() && (bundle.back() == '/' || bundle.back() == '\\'))
        bundle.pop_back();
    const auto slash = bundle.find_last_of("/\\");
    std::string stem = bundle.substr(slash == std::string::npos ? 0 : slash + 1);
    if (stem.size() > 5 && stem.compare(stem.size() - 5, 5, ".vst3") == 0)
        stem.resize(stem.size() - 5);
#if defined(_WIN32)
    return bundle + (sizeof(void*) == 8 ? "/Contents/x86_64-win/" : "/Contents/x86-win/") + stem + ".vst3";
#else
    return bundle + "/Contents/x86_64-linux/" + stem + ".so";
#endif
}

}  // namespace

std::unique_ptr<Vst3File> Vst3File::open(const std::string& path, std::string& error)
{
    std::unique_ptr<Vst3File> file(new Vst3File);
    if (!file->library_.open(modulePath(path))) {
        error = file->library_.error();
        return nullptr;
    }
#if defined(_WIN32)
    using Enter = bool (*)();
    const auto enter = reinterpret_cast<Enter>(file->library_.symbol("InitDll"));
    if (enter && !enter()) {
#else
    using Enter = bool (*)(void*);
    const auto enter = reinterpret_cast<Enter>(file->library_.symbol("ModuleEntry"));
    if (enter && !enter(nullptr)) {
#endif
        error = path + ": the VST3 module refused to start";
        return nullptr;
    }
    using GetFactory = void*(V3_API*)();
    const auto getFactory = reinterpret_cast<GetFactory>(file->library_.symbol("GetPluginFactory"));
    file->factory_ = getFactory ? static_cast<v3_plugin_factory**>(getFactory()) : nullptr;
    if (!file->factory_) {
        error = path + " has no VST3 plug-in factory";
        return nullptr;
    }
    const int32_t classes = v3_cpp_obj(file->factory_)->num_classes(file->factory_);
    for (int32_t i = 0; i < classes; ++i) {
        v3_class_info info{};
        if (v3_cpp_obj(file->factory_)->get_class_info(file->factory_, i, &info) == V3_OK &&
            std::strncmp(info.category, "Audio Module Class", sizeof info.category) == 0) {
            std::memcpy(file->classId_, info.class_id, sizeof(v3_tuid));
            return file;
        }
    }
    error = path + " offers no audio module";
    return nullptr;
}

Vst3File::~Vst3File()
{
#if defined(_WIN32)
    const auto leave = reinterpret_cast<bool (*)()>(library_.symbol("ExitDll"));
#else
    const auto leave = reinterpret_cast<bool (*)()>(library_.symbol("ModuleExit"));
#endif
    if (factory_ && leave)
        leave();
}

std::unique_ptr<Vst3Instance> Vst3File::instantiateVst3(std::string& error)
{
    return Vst3Instance::create(factory_, classId_, error);
}

std::unique_ptr<HostedPlugin> Vst3File::instantiate(std::string& error) { return instantiateVst3(error); }

}  // namespace PluginHost
