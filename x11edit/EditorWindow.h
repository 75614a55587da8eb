// The limiter's editor on X11: one child window into which everything is drawn (background, meter,
// knobs, switches, texts in the built-in font, menus and the save question as overlays). It knows the
// plug-in only through the editor's operations and a meter mailbox, so any plug-in format can show it.
// No thread of its own: idle() does everything, on the host's user-interface thread. At a scale of 2
// the window is twice the size and everything in it is drawn at twice the size; the editor's decisions
// (layout, hit tests, drags) stay in its own units, the pointer's position divided by the scale.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "limiter/EditorLayout.h"
#include "pixa/Canvas.h"
#include "pixa/CoverageBuffer.h"
#include "pixa/Text.h"
#include "plugedit/EditorOps.h"
#include "plugedit/KnobDrag.h"
#include "plugedit/MeterMailbox.h"
#include "x11edit/Overlay.h"
#include "x11wrap/ChildWindow.h"

namespace X11Edit {

class EditorWindow : private X11Wrap::ChildWindow {
public:
    EditorWindow(const EditorLayout& layout, PlugEdit::EditorOps& ops, PlugEdit::MeterMailbox& meters, int scale = 1);
    ~EditorWindow() override;

    // A child of the host's window; false without an X server or that window. Shift, Control and Alt
    // held at this moment turn the texts' anti-aliasing off.
    bool open(std::uint32_t parent);
    using ChildWindow::close;
    using ChildWindow::height;
    using ChildWindow::isOpen;
    using ChildWindow::sync;
    using ChildWindow::width;
    using ChildWindow::windowId;

    // Events, the newest meter block, values and learn states, redraw, present.
    void idle();
    // Any thread: something the window shows changed (the next idle looks).
    void noteChange() { changed.store(true, std::memory_order_relaxed); }
    // Escape, from our window's keys or the host's: a shown menu goes with nothing chosen, the save
    // question as if answered Cancel. False when nothing was shown.
    bool cancelOverlay();

    const Pixa::Canvas& picture() const { return frame; }
    int scale() const { return pixelsPerUnit; }
    // Draws the picture of the current state without a window (tests, the renderer).
    void redraw();

protected:
    void exposed(const X11Wrap::Area& area) override;
    void buttonPressed(const X11Wrap::PointerEvent& event) override;
    void buttonReleased(const X11Wrap::PointerEvent& event) override;
    void pointerMoved(const X11Wrap::PointerEvent& event) override;
    void keyPressed(std::uint32_t keysym) override;

private:
    struct KnobState : PlugEdit::KnobDrag {
        int index = 0, x = 0, y = 0;
        const char* caption = "";
    };
    struct SwitchState {
        int index = 0, x = 0;
        const char* name = "";
        const char* const* states = nullptr;
        const char* const* menuTexts = nullptr;
        bool isOn = false;
    };

    bool refreshValues();
    // From the editor's units to the window's pixels.
    X11Wrap::Area deviceArea(const X11Wrap::Area& area) const;
    Pixa::PixelRect deviceRect(const Pixa::PixelRect& r) const;
    Pixa::TextStyle textStyle(bool bold, std::uint32_t colorRef) const;
    X11Wrap::PointerEvent inUnits(const X11Wrap::PointerEvent& event) const;
    // The background and the meter over it, inside the area (in the window's pixels).
    void paintGround(const X11Wrap::Area& area);
    // One knob's square alone, put to the window at once.
    void repaintKnob(int k);
    void knobChanged(int k) { dirtyKnobs |= 1u << k; }
    // The meter's columns and the switch line above them, put to the window at once.
    void repaintMeter();
    void choose(unsigned command);
    void keyFocusFollowsOverlay();
    void drawKnob(const KnobState& knob);
    void drawSwitch(const SwitchState& s);

    const EditorLayout& layout;
    PlugEdit::EditorOps& ops;
    PlugEdit::MeterMailbox& meters;
    const int pixelsPerUnit;
    Pixa::Canvas frame, knobCanvas, meterCanvas, scratchCanvas;
    Pixa::CoverageBuffer meterCoverage;
    std::unique_ptr<unsigned char[]> meterCopy;
    Pixa::TextPainter painter;
    KnobState knobs[3];
    SwitchState switches[2];
    Overlay overlay;
    int dragKnob = -1;
    bool plainText = false;
    bool dirty = true, needsPresent = true;
    unsigned dirtyKnobs = 0;
    bool dirtyMeter = false;  // knobs whose square alone must be drawn again (when nothing else must)
    std::atomic<bool> changed{true};
};

}  // namespace X11Edit
