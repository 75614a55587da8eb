// The limiter's editor as the LV2 plug-in's X11 user interface: the editor window of the VST .so,
// a child of the host's window (ui:parent), driven by the host's idle calls. Its values go out and
// come back through the control ports; the meter arrives as the meter ports' values.
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "limiter/MeterBlock.h"
#include "limiter/ProductFacts.h"
#include "lv2/Lv2Ports.h"
#include "lv2ui/PortOps.h"
#include "plugedit/MeterMailbox.h"
#include "x11edit/EditorScale.h"
#include "x11edit/EditorWindow.h"

namespace {

struct Interface {
    Lv2Ui::PortOps ops;
    PlugEdit::MeterMailbox mailbox{sizeof(MeterBlock)};
    MeterBlock meters;
    bool metersChanged = false;
    std::unique_ptr<X11Edit::EditorWindow> window;

    Interface(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch)
        : ops(write, controller, touch)
    {
    }

    // The meter ports in MeterBlock's order; the range comes from the scale control.
    void meterChanged(unsigned m, float value)
    {
        float* const fields[] = {&meters.outPeak[0], &meters.outPeak[1],  &meters.outPower[0], &meters.outPower[1],
                                 &meters.minGain,    &meters.peakHold[0], &meters.peakHold[1]};
        static_assert(sizeof fields / sizeof *fields == Lv2Ports::count - Lv2Ports::firstMeter, "one port each");
        *fields[m] = value;
        metersChanged = true;
    }

    // The ports' values of one cycle arrive one by one between idle calls: the block goes to the
    // window whole, once per idle.
    int idle()
    {
        if (!window || !window->isOpen())
            return 1;
        if (metersChanged) {
            meters.wideScale = ops.wideScale();
            mailbox.publishMeters(&meters);
            metersChanged = false;
        }
        window->idle();
        return window->isOpen() ? 0 : 1;
    }
};

const void* featureData(const LV2_Feature* const* features, const char* uri)
{
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0)
            return (*features)->data;
    return nullptr;
}

// The host's ui:scaleFactor option where it gives one, else the desktop's.
int editorScale(const LV2_Feature* const* features)
{
    const auto* options = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options));
    const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
    if (options && map) {
        const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
        const LV2_URID atomFloat = map->map(map->handle, LV2_ATOM__Float);
        for (; options->key; ++options)
            if (options->key == scaleFactor && options->type == atomFloat && options->size == sizeof(float) &&
                options->value)
                if (const int scale = X11Edit::scaleForFactor(*static_cast<const float*>(options->value)))
                    return scale;
    }
    return X11Edit::desktopScale();
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    const void* parent = featureData(features, LV2_UI__parent);
    if (!parent || !pluginUri || std::strcmp(pluginUri, ProductFacts::lv2Uri) != 0)
        return nullptr;
    std::unique_ptr<Interface> made;
    try {
        made.reset(
            new Interface(write, controller, static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch))));
        made->window.reset(
            new X11Edit::EditorWindow(made->ops.layout(), made->ops, made->mailbox, editorScale(features)));
    } catch (...) {
        return nullptr;
    }
    if (!made->window->open(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(parent))))
        return nullptr;
    made->window->idle();  // shows itself before the host's first idle call
    const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));
    if (resize && resize->ui_resize)
        resize->ui_resize(resize->handle, made->window->width(), made->window->height());
    if (widget)
        *widget = reinterpret_cast<LV2UI_Widget>(static_cast<std::uintptr_t>(made->window->windowId()));
    return made.release();
}

void cleanup(LV2UI_Handle handle) { delete static_cast<Interface*>(handle); }

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    auto& ui = *static_cast<Interface*>(handle);
    if (format != 0 || size != sizeof(float) || !buffer)
        return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    if (port >= Lv2Ports::firstControl && port < Lv2Ports::latency) {
        const int index = static_cast<int>(port - Lv2Ports::firstControl);
        ui.ops.portChanged(index, value);
        if (index == LimiterParams::meterScale)
            ui.metersChanged = true;  // the meter's range changes even while its values stand still
        if (ui.window)
            ui.window->noteChange();
    } else if (port >= Lv2Ports::firstMeter && port < Lv2Ports::count) {
        ui.meterChanged(port - Lv2Ports::firstMeter, value);
    }
}

int idle(LV2UI_Handle handle) { return static_cast<Interface*>(handle)->idle(); }

const void* extensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idling = {idle};
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idling : nullptr;
}

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    static const LV2UI_Descriptor descriptor = {ProductFacts::lv2UiUri, instantiate, cleanup, portEvent, extensionData};
    return index == 0 ? &descriptor : nullptr;
}
