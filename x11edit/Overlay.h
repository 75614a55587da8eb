// A menu or the save question drawn over the editor's picture, inside its window: hosts' window
// managers misplace plug-ins' popups. A click on an enabled item or a button chooses it; a click
// anywhere outside dismisses.
#pragma once

#include <string>
#include <vector>

#include "pixa/Canvas.h"
#include "pixa/Text.h"
#include "plugedit/EditMenus.h"

namespace X11Edit {

class Overlay {
public:
    enum Kind { none, menu, question };
    static constexpr unsigned answerYes = 1, answerNo = 0;

    // Places and hit-tests in the editor's units; draws at `scale` device pixels per unit, its texts
    // measured at that size.
    explicit Overlay(int scale = 1) : scale(scale) {}

    // A menu whose top-left corner is at (x, y), moved inside the window where needed.
    void showMenu(std::vector<PlugEdit::MenuItem> items, int owner, int x, int y, int windowWidth, int windowHeight,
                  bool plainText);
    // The question with its title, an OK and a Cancel button, in the middle of the window.
    void showQuestion(const char* title, const char* text, int windowWidth, int windowHeight, bool plainText);
    void dismiss() { kind = none; }

    Kind shown() const { return kind; }
    int owner() const { return ownerIndex; }
    // What a click at (x, y) picks: true with `command` set when it chose an item or answered; false
    // otherwise. Either way the overlay is gone afterwards, unless the click hit a disabled item or a
    // separator.
    bool click(int x, int y, unsigned& command);
    // The item under the pointer is highlighted; true when that changed.
    bool hover(int x, int y);

    void draw(Pixa::Canvas& canvas, Pixa::TextPainter& painter, std::uint32_t accentColorRef) const;

private:
    int itemAt(int x, int y) const;
    Pixa::PixelRect itemRect(int i) const;
    Pixa::PixelRect device(const Pixa::PixelRect& r) const { return {r.left * scale, r.top * scale, r.right * scale, r.bottom * scale}; }
    Pixa::TextStyle textStyle(bool bold, std::uint32_t colorRef) const;
    // A single line's width in the editor's units, rounded up, as it measures at the drawing size.
    int unitsWide(const std::string& text, std::uint32_t format) const;
    std::string wrapLines(const std::string& text, int width) const;

    int scale;

    Kind kind = none;
    std::vector<PlugEdit::MenuItem> items;
    std::string title, text;
    int ownerIndex = -1;
    Pixa::PixelRect box{0, 0, 0, 0};
    Pixa::PixelRect okButton{0, 0, 0, 0}, cancelButton{0, 0, 0, 0};
    int hovered = -1;
    bool plain = false;
};

}  // namespace X11Edit
