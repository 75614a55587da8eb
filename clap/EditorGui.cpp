#include "clap/EditorGui.h"

#include <algorithm>

#include "limiter/EditorLayout.h"

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
    : meters(meters), host(host), ops(driver, notes, askFlush, const_cast<clap_host_t*>(host)),
      scale(PlugEdit::EmbeddedEditor::desktopScale())
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
    const int wanted = PlugEdit::EmbeddedEditor::scaleForFactor(static_cast<float>(factor));
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
    window = PlugEdit::EmbeddedEditor::create(parent, ops, meters, scale);
    return window != nullptr;
}

bool EditorGui::setParent(const clap_window_t& given)
{
#ifdef _WIN32
    const auto handle = reinterpret_cast<std::uintptr_t>(given.win32);
#else
    const auto handle = static_cast<std::uintptr_t>(given.x11);
#endif
    // Without the host's timer an editor that needs it would never draw.
    if (!handle || (PlugEdit::EmbeddedEditor::drivenByHostTimer && !timers))
        return false;
    parent = handle;
    if (!open())
        return false;
    if (PlugEdit::EmbeddedEditor::drivenByHostTimer && timer == CLAP_INVALID_ID &&
        !timers->register_timer(host, timerMilliseconds, &timer)) {
        timer = CLAP_INVALID_ID;
        return false;
    }
    return true;
}

void EditorGui::onTimer(clap_id id)
{
    if (id == timer && window && window->isOpen())
        window->tick();
}

}  // namespace ClapFace
