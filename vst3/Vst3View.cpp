#include "vst3/Vst3View.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "limiter/EditorLayout.h"
#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"
#include "plugedit/EditorOps.h"
#include "plugedit/EmbeddedEditor.h"
#include "vst3/Vst3Com.h"

namespace Vst3Face {

namespace {

#ifdef _WIN32
constexpr const char* windowPlatform = "HWND";
#else
constexpr const char* windowPlatform = "X11EmbedWindowID";
#endif
constexpr uint64_t timerMilliseconds = 20;  // as often as Linux hosts idle a VST 2.4 editor

// The editor's operations: the effect through the driver; edits told to the host's component handler.
class ViewOps : public PlugEdit::EditorOps {
public:
    explicit ViewOps(ViewOwner& owner) : owner(owner) {}
    int parameterCount() override { return LimiterParams::count; }
    float parameter(int index) override { return owner.value(index); }
    void setParameter(int index, float value) override { owner.edit(index, value); }
    void beginEdit(int index) override { owner.beginEdit(index); }
    void endEdit(int index) override { owner.endEdit(index); }
    float defaultValue(int index) override
    {
        return index >= 0 && index < LimiterParams::count ? LimiterParams::declarations[index].defaultValue : 0.0f;
    }
    void displayText(int index, float value, char* text, char* unit) override
    {
        ParamUnits::editorText(index, value, text, unit);
    }
    std::int32_t midiKey(int index) override { return owner.effect().binding(index); }
    void startLearn(int index) override { owner.effect().armLearn(index); }
    void endLearn() override { owner.effect().cancelLearn(); }
    void unlearn(int index) override { owner.effect().unlearn(index); }
    bool isLearning(int index) override { return owner.effect().learningParameter() == index; }
    const char* productName() override { return ProductFacts::name; }
    void saveDefaults() override { owner.effect().saveDefaults(); }

private:
    ViewOwner& owner;
};

struct TimerTable : v3_funknown {
    v3_timer_handler timer;
};

struct View {
    Face<View> view{}, scaling{}, timer{};
    std::atomic<std::uint32_t> references{1};
    ViewOwner& owner;
    ViewOps ops;
    v3_plugin_frame** frame = nullptr;
    v3_run_loop** loop = nullptr;
    std::unique_ptr<PlugEdit::EmbeddedEditor> window;
    std::uintptr_t parent = 0;
    int scale = PlugEdit::EmbeddedEditor::desktopScale();

    explicit View(ViewOwner& owner) : owner(owner), ops(owner) { owner.retain(); }
    ~View()
    {
        detach();
        if (frame)
            v3_cpp_obj_unref(frame);
        owner.release();
    }
    v3_result query(const v3_tuid iid, void** object);
    bool open();
    void detach();
    void tick();
    void size(v3_view_rect& rect) const
    {
        rect = {0, 0, limiterEditorLayout.width * scale, limiterEditorLayout.height * scale};
    }
};

View& of(void* self) { return ownerOf<View>(self); }

v3_result View::query(const v3_tuid iid, void** object)
{
    if (!object)
        return V3_INVALID_ARG;
    void* found = nullptr;
    if (sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_view_iid))
        found = &view;
    else if (sameId(iid, v3_plugin_view_content_scale_iid))
        found = &scaling;
    else if (sameId(iid, v3_timer_handler_iid))
        found = &timer;
    return answerQuery(found, object, references);
}

bool View::open()
{
    window.reset();
    window = PlugEdit::EmbeddedEditor::create(parent, ops, owner.meters(), scale);
    return window != nullptr;
}

void View::detach()
{
    if (loop) {
        v3_cpp_obj(loop)->unregister_timer(loop, static_cast<v3_timer_handler**>(static_cast<void*>(&timer)));
        v3_cpp_obj_unref(loop);
        loop = nullptr;
    }
    window.reset();
}

// The host's timer: the window shows what changed, then its events, meter and drawing.
void View::tick()
{
    if (window && window->isOpen())
        window->tick();
}

constexpr v3_funknown unknown = Counted<View>::unknown;

v3_result V3_API platformSupported(void*, const char* type)
{
    return type && std::strcmp(type, windowPlatform) == 0 ? V3_TRUE : V3_FALSE;
}

v3_result V3_API attached(void* self, void* parent, const char* type)
{
    View& v = of(self);
    if (!parent || platformSupported(self, type) != V3_TRUE || v.window)
        return V3_FALSE;
    v.parent = reinterpret_cast<std::uintptr_t>(parent);
    if (!PlugEdit::EmbeddedEditor::drivenByHostTimer)
        return v.open() ? V3_OK : V3_FALSE;
    // Without the host's run loop nothing would ever draw.
    void* loop = nullptr;
    if (!v.frame ||
        v3_cpp_obj_query_interface(v.frame, v3_run_loop_iid, reinterpret_cast<v3_run_loop***>(&loop)) != V3_OK || !loop)
        return V3_FALSE;
    v.loop = static_cast<v3_run_loop**>(loop);
    if (!v.open() ||
        v3_cpp_obj(v.loop)->register_timer(v.loop, static_cast<v3_timer_handler**>(static_cast<void*>(&v.timer)),
                                           timerMilliseconds) != V3_OK) {
        v.detach();
        return V3_FALSE;
    }
    return V3_OK;
}

v3_result V3_API removed(void* self)
{
    of(self).detach();
    return V3_OK;
}

v3_result V3_API onWheel(void*, float) { return V3_FALSE; }
v3_result V3_API onKey(void*, int16_t, int16_t, int16_t) { return V3_FALSE; }

v3_result V3_API getSize(void* self, v3_view_rect* rect)
{
    if (!rect)
        return V3_INVALID_ARG;
    of(self).size(*rect);
    return V3_OK;
}

// One size: whatever the host asks, the view stays it.
v3_result V3_API onSize(void*, v3_view_rect*) { return V3_OK; }
v3_result V3_API onFocus(void*, v3_bool) { return V3_OK; }

v3_result V3_API setFrame(void* self, v3_plugin_frame** frame)
{
    View& v = of(self);
    replaceHeld(v.frame, frame);
    return V3_OK;
}

v3_result V3_API canResize(void*) { return V3_FALSE; }

v3_result V3_API checkSizeConstraint(void* self, v3_view_rect* rect)
{
    if (!rect)
        return V3_INVALID_ARG;
    of(self).size(*rect);
    return V3_OK;
}

const v3_plugin_view_cpp viewVtable = {unknown,
                                       {platformSupported, attached, removed, onWheel, onKey, onKey, getSize, onSize,
                                        onFocus, setFrame, canResize, checkSizeConstraint}};

// A host's factor of 1.5 or more draws at twice the size; an open editor is made again at the new size
// in the same window, and the frame asked to fit it.
v3_result V3_API setContentScale(void* self, float factor)
{
    View& v = of(self);
    const int wanted = PlugEdit::EmbeddedEditor::scaleForFactor(factor);
    if (wanted == 0)
        return V3_FALSE;
    if (wanted == v.scale)
        return V3_OK;
    v.scale = wanted;
    if (v.window && v.open() && v.frame) {
        v3_view_rect rect{};
        v.size(rect);
        v3_cpp_obj(v.frame)->resize_view(v.frame, static_cast<v3_plugin_view**>(static_cast<void*>(&v.view)), &rect);
    }
    return V3_OK;
}

const v3_plugin_view_content_scale_cpp scaleVtable = {unknown, {setContentScale}};

void V3_API onTimer(void* self) { of(self).tick(); }

const TimerTable timerVtable = {unknown, {onTimer}};

}  // namespace

v3_plugin_view** createView(ViewOwner& owner)
{
    auto* v = new (std::nothrow) View(owner);
    if (!v)
        return nullptr;
    v->view = {&viewVtable, v};
    v->scaling = {&scaleVtable, v};
    v->timer = {&timerVtable, v};
    return static_cast<v3_plugin_view**>(static_cast<void*>(&v->view));
}

}  // namespace Vst3Face
