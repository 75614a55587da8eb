// The embedded editor on Windows: the VST 2.4 plug-in's own editor, a child of the host's window, over
// the format's operations. Those formats tell no editor what the host or a controller changed, so on
// each tick of its window's timer it looks: values, the end of a learn, and the meters the driver left
// in the format's mailbox.
#include "plugedit/EmbeddedEditor.h"

#include <cstddef>
#include <new>

#include "limiter/EditorLayout.h"
#include "limiter/LimiterParams.h"
#include "plugedit/EditWin.h"
#include "plugedit/LimiterEdit.h"

namespace PlugEdit {

namespace {

class FormatEdit final : public LimiterEdit, public EmbeddedEditor {
public:
    FormatEdit(EditorOps& ops, MeterMailbox& meters)
        : LimiterEdit(limiterEditorLayout, ops), formatOps(ops), source(meters),
          block(new unsigned char[static_cast<std::size_t>(limiterEditorLayout.meterBytes)])
    {
        for (float& value : shown)
            value = -1.0f;  // no value: the first tick shows them all
    }
    ~FormatEdit() override { close(); }

    void refresh() override
    {
        for (int i = 0; i < LimiterParams::count; ++i) {
            // A learn the editor started ended when the controller came (the driver no longer runs it).
            if (EditCore::isLearning(i) && !formatOps.isLearning(i))
                paramLearned(i);
            const float value = parameter(i);
            if (value != shown[i]) {
                shown[i] = value;
                paramChanged(i, value);
            }
        }
        if (source.takeMeters(block.get()))
            publishMeters(block.get());
    }

    void tick() override {}
    // Open with a window of its own (a parent that is no window leaves none).
    bool isOpen() override { return LimiterEdit::isOpen() && openWindow() && openWindow()->hwnd; }

private:
    EditorOps& formatOps;
    MeterMailbox& source;
    std::unique_ptr<unsigned char[]> block;
    float shown[LimiterParams::count];
};

}  // namespace

std::unique_ptr<EmbeddedEditor> EmbeddedEditor::create(std::uintptr_t parent, EditorOps& ops, MeterMailbox& meters,
                                                       int scale)
{
    if (scale != 1 || !parent)
        return nullptr;
    std::unique_ptr<FormatEdit> edit;
    try {
        edit.reset(new FormatEdit(ops, meters));
    } catch (...) {
        return nullptr;
    }
    edit->open(reinterpret_cast<void*>(parent));
    if (!edit->isOpen())
        return nullptr;
    return edit;
}

// The Windows editor is drawn at one size: a host's larger factor is refused (the host may scale it).
int EmbeddedEditor::scaleForFactor(float factor) { return factor == 1.0f ? 1 : 0; }

int EmbeddedEditor::desktopScale() { return 1; }

}  // namespace PlugEdit
