// The embedded editor on Linux: the X11 editor, a child of the host's window.
#include "plugedit/EmbeddedEditor.h"

#include "limiter/EditorLayout.h"
#include "limiter/LimiterParams.h"
#include "x11edit/EditorScale.h"
#include "x11edit/EditorWindow.h"

namespace PlugEdit {

namespace {

class X11EmbeddedEditor final : public EmbeddedEditor {
public:
    X11EmbeddedEditor(std::unique_ptr<X11Edit::EditorWindow> window, EditorOps& ops)
        : window(std::move(window)), ops(ops)
    {
    }
    // The formats tell no editor what the host or a controller changed: each tick looks, and redraws
    // when anything did.
    void tick() override
    {
        bool changed = false;
        int learning = -1;
        for (int i = 0; i < LimiterParams::count; ++i) {
            const float value = ops.parameter(i);
            changed |= value != shown[i];
            shown[i] = value;
            if (ops.isLearning(i))
                learning = i;
        }
        changed |= learning != shownLearn;
        shownLearn = learning;
        if (changed)
            window->noteChange();
        window->idle();
    }
    bool isOpen() override { return window->isOpen(); }

private:
    std::unique_ptr<X11Edit::EditorWindow> window;
    EditorOps& ops;
    float shown[LimiterParams::count] = {};
    int shownLearn = -1;
};

}  // namespace

std::unique_ptr<EmbeddedEditor> EmbeddedEditor::create(std::uintptr_t parent, EditorOps& ops, MeterMailbox& meters,
                                                       int scale)
{
    std::unique_ptr<X11Edit::EditorWindow> window;
    try {
        window.reset(new X11Edit::EditorWindow(limiterEditorLayout, ops, meters, scale));
    } catch (...) {
        return nullptr;
    }
    if (!window->open(static_cast<std::uint32_t>(parent)))
        return nullptr;
    window->idle();  // shows itself before the first tick
    try {
        return std::make_unique<X11EmbeddedEditor>(std::move(window), ops);
    } catch (...) {
        return nullptr;
    }
}

int EmbeddedEditor::scaleForFactor(float factor) { return X11Edit::scaleForFactor(factor); }

int EmbeddedEditor::desktopScale() { return X11Edit::desktopScale(); }

}  // namespace PlugEdit
