#include "clap/EditorGui.h"

#include <algorithm>

#include "limiter/EditorLayout.h"
#include "limiter/LimiterParams.h"
#include "x11edit/EditorScale.h"
#include "x11edit/EditorWindow.h"

namespace ClapFace {

namespace {

// As often as Linux hosts idle a VST 2.4 editor: the meter moves smoothly, the window answers at once.
constexpr std::uint32_t timerMilliseconds = 20;

void askFlush(void* context)
{
    const auto* host = static_cast<const clap_host_t*>(context);
    const auto* params = static_cast<const clap_host_params_t*>(host->get_extension(host, CLAP_EXT_PARAMS));
    if (params && params->request_flush)
        params->request_flush(host);
}

}  // namespace

EditorGui::EditorGui(Driver::EffectDriver& driver, EditNotes& notes, PlugEdit::MeterMailbox& meters,
                     const clap_host_t* host)
    : driver(driver), meters(meters), host(host), ops(driver, notes, askFlush, const_cast<clap_host_t*>(host)),
      scale(X11Edit::desktopScale())
{
    timers = static_cast<const clap_host_timer_support_t*>(host->get_extension(host, CLAP_EXT_TIMER_SUPPORT));
    hostGui = static_cast<const clap_host_gui_t*>(host->get_extension(host, CLAP_EXT_GUI));
}

EditorGui::~EditorGui()
{
    if (timer != CLAP_INVALID_ID && timers)
        timers->unregister_timer(host, timer);
}

bool EditorGui::setScale(double factor)
{
    const int wanted = X11Edit::scaleForFactor(static_cast<float>(factor));
    if (wanted == 0)
        return false;
    if (wanted == scale)
        return true;
    scale = wanted;
    if (window && open() && hostGui && hostGui->request_resize) {
        std::uint32_t width = 0, height = 0;
        size(width, height);
        hostGui->request_resize(host, width, height);
    }
    return true;
}

void EditorGui::size(std::uint32_t& width, std::uint32_t& height) const
{
    width = static_cast<std::uint32_t>(limiterEditorLayout.width * scale);
    height = static_cast<std::uint32_t>(limiterEditorLayout.height * scale);
}

bool EditorGui::open()
{
    window.reset();
    try {
        window.reset(new X11Edit::EditorWindow(limiterEditorLayout, ops, meters, scale));
    } catch (...) {
        return false;
    }
    if (!window->open(static_cast<std::uint32_t>(parent))) {
        window.reset();
        return false;
    }
    window->idle();  // shows itself before the first tick
    return true;
}

bool EditorGui::setParent(clap_xwnd window)
{
    if (!timers || !window)
        return false;  // without the host's timer nothing would ever draw
    parent = window;
    if (!open())
        return false;
    if (timer == CLAP_INVALID_ID && !timers->register_timer(host, timerMilliseconds, &timer)) {
        timer = CLAP_INVALID_ID;
        return false;
    }
    return true;
}

void EditorGui::onTimer(clap_id id)
{
    if (id != timer || !window || !window->isOpen())
        return;
    // What the host or a controller changed shows at the next redraw.
    bool changed = driver.learningParameter() != shownLearn;
    shownLearn = driver.learningParameter();
    for (int i = 0; i < LimiterParams::count; ++i) {
        const float value = driver.parameter(i);
        changed |= value != shown[i];
        shown[i] = value;
    }
    if (changed)
        window->noteChange();
    window->idle();
}

}  // namespace ClapFace
