#include "x11edit/EditorWindow.h"

#include <cstdio>

#include "limiter/MeterBlock.h"
#include "limiter/ProductFacts.h"
#include "pixa/TextLayout.h"
#include "plugedit/EditMessages.h"
#include "plugedit/KnobPicture.h"
#include "plugedit/LimiterLayout.h"
#include "plugedit/MeterPicture.h"
#include "plugedit/font/BuiltinFont.h"
#include "x11edit/Artwork.h"
#include "x11edit/WebLink.h"

namespace X11Edit {

namespace {

using PlugEdit::KnobGeometry;
using X11Wrap::PointerEvent;
constexpr std::uint32_t white = 0xFFFFFF;  // COLORREF
constexpr int switchTop = 5, switchWidth = 80, switchHeight = 12;
constexpr int cornerMenuOwner = -2;

std::uint32_t u(int v) { return static_cast<std::uint32_t>(v); }

// Composites `source` over `target` with its top-left corner at (x, y), as the Windows blit does.
void blendAt(Pixa::Canvas& target, const Pixa::Canvas& source, int x, int y)
{
    for (std::uint32_t sy = 0; sy < source.getHeight(); ++sy) {
        const int ty = y + static_cast<int>(sy);
        if (ty < 0 || ty >= static_cast<int>(target.getHeight()))
            continue;
        const Pixa::Color* from = source.row(sy);
        Pixa::Color* to = target.row(u(ty));
        for (std::uint32_t sx = 0; sx < source.getWidth(); ++sx) {
            const int tx = x + static_cast<int>(sx);
            if (tx >= 0 && tx < static_cast<int>(target.getWidth()) && from[sx])
                to[tx] = Pixa::blendOver(from[sx], to[tx]);
        }
    }
}

}  // namespace

EditorWindow::EditorWindow(const EditorLayout& layout, PlugEdit::EditorOps& ops, PlugEdit::MeterMailbox& meters,
                           int scale)
    : layout(layout), ops(ops), meters(meters), pixelsPerUnit(scale == 2 ? 2 : 1),
      frame(u(layout.width * pixelsPerUnit), u(layout.height * pixelsPerUnit)),
      knobCanvas(u(KnobGeometry::size * pixelsPerUnit), u(KnobGeometry::size * pixelsPerUnit)),
      meterCanvas(frame.getWidth(), frame.getHeight()), scratchCanvas(frame.getWidth(), frame.getHeight()),
      overlay(pixelsPerUnit)
{
    meterCoverage.create(layout.width * pixelsPerUnit, layout.height * pixelsPerUnit);
    if (layout.meterBytes > 0)
        meterCopy.reset(new unsigned char[static_cast<std::size_t>(layout.meterBytes)]());
    for (int k = 0; k < 3; ++k) {
        const PlugEdit::KnobPlacement& p = PlugEdit::knobLayout[k];
        knobs[k].index = p.index;
        knobs[k].x = p.column * 80;
        knobs[k].y = p.row * 80 + 15;
        knobs[k].caption = p.label;
    }
    for (int s = 0; s < 2; ++s) {
        const PlugEdit::SwitchPlacement& p = PlugEdit::switchLayout[s];
        switches[s].index = p.index;
        switches[s].x = p.x;
        switches[s].name = p.name;
        switches[s].states = p.states;
        switches[s].menuTexts = p.menuTexts;
    }
    refreshValues();
}

EditorWindow::~EditorWindow()
{
    if (dragKnob >= 0) {  // the host closed the editor during a drag: the edit still ends
        PlugEdit::OpsGestures gestures(ops, knobs[dragKnob].index);
        knobs[dragKnob].dragEnded(gestures);
    }
}

bool EditorWindow::open(std::uint32_t parent)
{
    // A host that stretches the window anyway sees the background's own edge colour beyond it.
    const int width = layout.width * pixelsPerUnit, height = layout.height * pixelsPerUnit;
    const Pixa::Color edge = backgroundCanvas(pixelsPerUnit).colorAt(width - 1, height - 1);
    if (!ChildWindow::open(parent, 0, 0, width, height, edge & 0xFFFFFFu))
        return false;
    plainText = shiftControlAltHeld();
    dirty = needsPresent = true;
    return true;
}

bool EditorWindow::refreshValues()
{
    bool any = false;
    for (int i = 0; i < 3; ++i) {
        KnobState& k = knobs[i];
        const float v = ops.parameter(k.index);
        const bool learning = ops.isLearning(k.index);
        if (v != k.shownValue || learning != k.learning) {
            k.shownValue = v;
            k.learning = learning;
            knobChanged(i);
        }
    }
    for (SwitchState& s : switches) {
        const bool on = ops.parameter(s.index) > 0.5f;
        any = any || on != s.isOn;
        s.isOn = on;
    }
    return any;
}

void EditorWindow::idle()
{
    if (!dispatchEvents())
        return;
    keyFocusFollowsOverlay();
    if (meterCopy && meters.takeMeters(meterCopy.get())) {
        PlugEdit::drawMeterPicture(*reinterpret_cast<MeterBlock*>(meterCopy.get()), meterCanvas, scratchCanvas,
                                   meterCoverage, pixelsPerUnit);
        dirtyMeter = true;
    }
    if (changed.exchange(false, std::memory_order_relaxed) && refreshValues())
        dirty = true;
    if (dirty || ((dirtyKnobs || dirtyMeter) && overlay.shown() != Overlay::none)) {
        redraw();
    } else {
        for (int k = 0; k < 3; ++k)
            if (dirtyKnobs & (1u << k))
                repaintKnob(k);
        if (dirtyMeter)
            repaintMeter();
    }
    dirtyKnobs = 0;
    dirtyMeter = false;
    if (needsPresent && present(frame))
        needsPresent = false;
}

// The meter draws inside x 86..155, y 16..225; the switches' line above it reaches down to row 16.
void EditorWindow::repaintMeter()
{
    const X11Wrap::Area area = X11Wrap::Area{80, switchTop, 80, 226 - switchTop}.clip(layout.width, layout.height);
    paintGround(deviceArea(area));
    for (const SwitchState& s : switches)
        if (s.x + switchWidth > area.x && s.x < area.x + area.width)
            drawSwitch(s);
    if (!needsPresent)
        present(frame, deviceArea(area));
}

void EditorWindow::paintGround(const X11Wrap::Area& area)
{
    const Pixa::Canvas& background = backgroundCanvas(pixelsPerUnit);
    for (int y = area.y; y < area.y + area.height; ++y) {
        Pixa::Color* line = frame.row(u(y));
        const Pixa::Color* meter = meterCanvas.row(u(y));
        for (int x = area.x; x < area.x + area.width; ++x) {
            line[x] = background.colorAt(x, y) | 0xFF000000u;
            if (meter[x])
                line[x] = Pixa::blendOver(meter[x], line[x]);
        }
    }
}

// The top knob's square reaches into the switches' line: a switch it overlaps is drawn again whole, under
// the knob, as a full redraw layers them.
void EditorWindow::repaintKnob(int k)
{
    X11Wrap::Area area{knobs[k].x, knobs[k].y, KnobGeometry::size, KnobGeometry::size};
    bool overlapping[2] = {};
    for (int i = 0; i < 2; ++i) {
        const X11Wrap::Area line{switches[i].x, switchTop, switchWidth, switchHeight};
        overlapping[i] = line.x < area.x + area.width && area.x < line.x + line.width &&
                         line.y < area.y + area.height && area.y < line.y + line.height;
        if (overlapping[i])
            area = area.unite(line);
    }
    area = area.clip(layout.width, layout.height);
    paintGround(deviceArea(area));
    for (int i = 0; i < 2; ++i)
        if (overlapping[i])
            drawSwitch(switches[i]);
    drawKnob(knobs[k]);
    if (!needsPresent)
        present(frame, deviceArea(area));
}

void EditorWindow::redraw()
{
    paintGround(deviceArea({0, 0, layout.width, layout.height}));
    for (const SwitchState& s : switches)
        drawSwitch(s);
    for (const KnobState& k : knobs)
        drawKnob(k);
    overlay.draw(frame, painter, u(layout.accentColour));
    dirty = false;
    needsPresent = true;
}

void EditorWindow::drawKnob(const KnobState& knob)
{
    PlugEdit::drawKnobPicture(knobCanvas, knob.shownValue, knob.learning, knobStripCanvas(pixelsPerUnit), pixelsPerUnit);
    blendAt(frame, knobCanvas, knob.x * pixelsPerUnit, knob.y * pixelsPerUnit);
    char shown[64] = {}, unit[64] = {}, value[160];
    ops.displayText(knob.index, ops.parameter(knob.index), shown, unit);
    std::snprintf(value, sizeof value, "%s %s", shown, unit);
    const Pixa::PixelRect band = deviceRect({knob.x, knob.y + KnobGeometry::size - 24, knob.x + KnobGeometry::size,
                                         knob.y + KnobGeometry::size});
    Pixa::drawTextInRect(painter, frame, knob.caption, band, Pixa::textSingleLine | Pixa::textCenter,
                         textStyle(false, u(layout.accentColour)));
    if (knob.learning) {
        const int cy = knob.y + static_cast<int>(KnobGeometry::cy);
        Pixa::drawTextInRect(painter, frame, "learning", deviceRect({knob.x + 10, cy - 12, knob.x + 70, cy + 12}),
                             Pixa::textSingleLine | Pixa::textVCenter | Pixa::textCenter, textStyle(false, white));
    }
    Pixa::drawTextInRect(painter, frame, value, band, Pixa::textSingleLine | Pixa::textBottom | Pixa::textCenter,
                         textStyle(knob.dragging, white));
}

void EditorWindow::drawSwitch(const SwitchState& s)
{
    const Pixa::PixelRect r = deviceRect({s.x, switchTop, s.x + switchWidth, switchTop + switchHeight});
    const std::uint32_t accent = u(layout.accentColour);
    if (overlay.shown() == Overlay::menu && overlay.owner() == s.index) {
        // Its menu is open: the name alone, bold.
        Pixa::drawTextInRect(painter, frame, s.name, r, Pixa::textSingleLine | Pixa::textBottom | Pixa::textCenter,
                             textStyle(true, accent));
        return;
    }
    char full[96], name[64];
    std::snprintf(full, sizeof full, "%s: %s", s.name, s.states[s.isOn]);
    std::snprintf(name, sizeof name, "%s:", s.name);
    Pixa::PixelRect m = Pixa::measureTextRect(full, r, Pixa::textSingleLine | Pixa::textBottom | Pixa::textCenter,
                                              textStyle(false, accent));
    const int shift = (r.right - m.right) / 2;
    m.left += shift;
    m.right += shift;
    Pixa::drawTextInRect(painter, frame, name, m, Pixa::textSingleLine | Pixa::textBottom, textStyle(false, accent));
    Pixa::drawTextInRect(painter, frame, s.states[s.isOn], m, Pixa::textSingleLine | Pixa::textBottom | Pixa::textRight,
                         textStyle(false, white));
}

void EditorWindow::exposed(const X11Wrap::Area&) { needsPresent = true; }

X11Wrap::Area EditorWindow::deviceArea(const X11Wrap::Area& area) const
{
    return {area.x * pixelsPerUnit, area.y * pixelsPerUnit, area.width * pixelsPerUnit, area.height * pixelsPerUnit};
}

Pixa::PixelRect EditorWindow::deviceRect(const Pixa::PixelRect& r) const
{
    return {r.left * pixelsPerUnit, r.top * pixelsPerUnit, r.right * pixelsPerUnit, r.bottom * pixelsPerUnit};
}

Pixa::TextStyle EditorWindow::textStyle(bool bold, std::uint32_t colorRef) const
{
    return PlugEdit::editorTextStyle(bold, colorRef, !plainText, pixelsPerUnit);
}

// Rounded down, also left of and above the window (a drag goes on there).
PointerEvent EditorWindow::inUnits(const PointerEvent& event) const
{
    auto units = [this](int v) { return v >= 0 ? v / pixelsPerUnit : -((-v + pixelsPerUnit - 1) / pixelsPerUnit); };
    PointerEvent scaled = event;
    scaled.x = units(event.x);
    scaled.y = units(event.y);
    return scaled;
}

void EditorWindow::buttonPressed(const PointerEvent& windowEvent)
{
    const PointerEvent event = inUnits(windowEvent);
    const bool left = event.button == PointerEvent::left, right = event.button == PointerEvent::right;
    if (!left && !right)
        return;
    if (overlay.shown() != Overlay::none) {
        const Overlay::Kind kind = overlay.shown();
        const int owner = overlay.owner();
        unsigned command = 0;
        const bool chosen = overlay.click(event.x, event.y, command);
        dirty = true;
        if (!chosen)
            return;
        if (kind == Overlay::question) {
            if (command == Overlay::answerYes)
                ops.saveDefaults();
        } else if (owner == cornerMenuOwner) {
            choose(command);
        } else {
            PlugEdit::OpsGestures gestures(ops, owner);
            bool isKnob = false;
            for (const KnobState& k : knobs)
                isKnob = isKnob || k.index == owner;
            if (isKnob)
                PlugEdit::chooseKnobItem(command, gestures);
            else
                PlugEdit::chooseSwitchItem(command, gestures);
            changed = true;
        }
        return;
    }
    if (dragKnob >= 0) {
        KnobState& k = knobs[dragKnob];
        PlugEdit::OpsGestures gestures(ops, k.index);
        if (right && k.rightPress(gestures)) {
            k.dragEnded(gestures);
            knobChanged(dragKnob);
            dragKnob = -1;
        }
        return;
    }
    for (int i = 0; i < 3; ++i) {
        KnobState& k = knobs[i];
        const int dx = event.x - k.x - KnobGeometry::size / 2, dy = event.y - k.y - KnobGeometry::size / 2;
        if (!PlugEdit::KnobDrag::onDisc(dx, dy))
            continue;
        PlugEdit::OpsGestures gestures(ops, k.index);
        if (left) {
            k.press(event.y - k.y, gestures);
            dragKnob = i;
            knobChanged(i);  // its value in bold
        } else if (!k.rightPress(gestures)) {
            overlay.showMenu(PlugEdit::knobMenu(ops, k.index), k.index, k.x, k.y + KnobGeometry::size - 10,
                             layout.width, layout.height, plainText);
            dirty = true;
        }
        changed = true;
        return;
    }
    for (const SwitchState& s : switches) {
        if (event.x < s.x || event.x >= s.x + switchWidth || event.y < switchTop || event.y >= switchTop + switchHeight)
            continue;
        PlugEdit::OpsGestures gestures(ops, s.index);
        if (left)
            PlugEdit::clickSwitch(s.isOn, gestures);
        else
            overlay.showMenu(PlugEdit::switchMenu(s.menuTexts, s.isOn), s.index, s.x, switchTop + switchHeight,
                             layout.width, layout.height, plainText);
        changed = true;
        dirty = true;
        return;
    }
    if (left && PlugEdit::inMenuCorner(event.x, event.y, layout.width, layout.height)) {
        overlay.showMenu(PlugEdit::cornerMenu(ops.reachesPlugin()), cornerMenuOwner, layout.width, layout.height, layout.width,
                         layout.height, plainText);
        dirty = true;
    }
}

// Hosts seldom give a plug-in's window the focus, so Escape could not reach an open overlay: the window
// holds the focus while one shows and hands it back when it goes.
void EditorWindow::keyFocusFollowsOverlay()
{
    if (overlay.shown() != Overlay::none)
        takeKeyFocus();
    else
        giveKeyFocusBack();
}

bool EditorWindow::cancelOverlay()
{
    if (overlay.shown() == Overlay::none)
        return false;
    overlay.dismiss();
    dirty = true;
    keyFocusFollowsOverlay();
    return true;
}

void EditorWindow::keyPressed(std::uint32_t keysym)
{
    if (keysym == X11Wrap::keysymEscape)
        cancelOverlay();
}

void EditorWindow::choose(unsigned command)
{
    if (command == PlugEdit::commandSaveDefaults)
        overlay.showQuestion(ops.productName(), PlugEdit::saveDefaultsQuestion, layout.width, layout.height, plainText);
    else if (command == PlugEdit::commandWebSite)
        openWebAddress(ProductFacts::webAddress);
    dirty = true;
}

void EditorWindow::buttonReleased(const PointerEvent& windowEvent)
{
    const PointerEvent event = inUnits(windowEvent);
    if (event.button != PointerEvent::left || dragKnob < 0)
        return;
    KnobState& k = knobs[dragKnob];
    PlugEdit::OpsGestures gestures(ops, k.index);
    k.dragEnded(gestures);
    knobChanged(dragKnob);
    dragKnob = -1;
}

void EditorWindow::pointerMoved(const PointerEvent& windowEvent)
{
    const PointerEvent event = inUnits(windowEvent);
    if (dragKnob >= 0) {
        KnobState& k = knobs[dragKnob];
        PlugEdit::OpsGestures gestures(ops, k.index);
        const float before = k.shownValue;
        k.moveTo(event.y - k.y, event.shift || event.control, gestures);
        if (k.shownValue != before)
            knobChanged(dragKnob);
    } else if (overlay.hover(event.x, event.y)) {
        dirty = true;
    }
}

}  // namespace X11Edit
