#include "x11edit/Overlay.h"

#include <algorithm>

#include "pixa/TextLayout.h"
#include "plugedit/font/BuiltinFont.h"

namespace X11Edit {

namespace {

using Pixa::PixelRect;
constexpr int itemHeight = 14, separatorHeight = 5, margin = 3, textIndent = 14;
constexpr std::uint32_t white = 0xFFFFFF, grey = 0x808080;  // COLORREFs
constexpr Pixa::Color menuGround = 0xFF1C1C1C, highlight = 0xFF3A3A3A;

bool inside(const PixelRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void fill(Pixa::Canvas& canvas, const PixelRect& r, Pixa::Color color)
{
    const int w = static_cast<int>(canvas.getWidth()), h = static_cast<int>(canvas.getHeight());
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, h); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, w); ++x)
            canvas.row(static_cast<std::uint32_t>(y))[x] = color;
}

void frame(Pixa::Canvas& canvas, const PixelRect& r, Pixa::Color color, int width)
{
    fill(canvas, {r.left, r.top, r.right, r.top + width}, color);
    fill(canvas, {r.left, r.bottom - width, r.right, r.bottom}, color);
    fill(canvas, {r.left, r.top, r.left + width, r.bottom}, color);
    fill(canvas, {r.right - width, r.top, r.right, r.bottom}, color);
}

int clampInto(int at, int size, int bound) { return std::max(0, std::min(at, bound - size)); }

}  // namespace

// The question's lines broken at spaces where they are wider than the box (a message box wraps too);
// a continuation keeps the line's leading spaces.
std::string Overlay::wrapLines(const std::string& text, int width) const
{
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t indent = line.find_first_not_of(' ') == std::string::npos ? 0 : line.find_first_not_of(' ');
        std::string current;
        std::size_t at = 0;
        while (at < line.size()) {
            std::size_t next = line.find(' ', at == 0 ? indent : at + 1);
            next = next == std::string::npos ? line.size() : next;
            const std::string word = line.substr(at, next - at);
            if (!current.empty() && unitsWide(current + word, Pixa::textNoPrefix) > width) {
                out += current + '\n';
                current = std::string(indent + 2, ' ') + word.substr(word.find_first_not_of(' '));
            } else {
                current += word;
            }
            at = next;
        }
        out += current + '\n';
        start = end + 1;
    }
    return out;
}

Pixa::TextStyle Overlay::textStyle(bool bold, std::uint32_t colorRef) const
{
    return PlugEdit::editorTextStyle(bold, colorRef, !plain, scale);
}

int Overlay::unitsWide(const std::string& text, std::uint32_t format) const
{
    const Pixa::PixelRect measured = Pixa::measureTextRect(text, {0, 0, 1 << 20, 1 << 10}, Pixa::textSingleLine | format,
                                                           PlugEdit::editorTextStyle(false, white, true, scale));
    return (measured.right + scale - 1) / scale;
}

void Overlay::showMenu(std::vector<PlugEdit::MenuItem> list, int owner, int x, int y, int windowWidth,
                       int windowHeight, bool plainText)
{
    items = std::move(list);
    ownerIndex = owner;
    plain = plainText;
    int width = 0, height = 2 * margin;
    for (const PlugEdit::MenuItem& item : items) {
        height += item.separator() ? separatorHeight : itemHeight;
        width = std::max(width, unitsWide(item.text, 0));  // '&' marks a mnemonic
    }
    width = std::min(width + textIndent + 2 * margin + 4, windowWidth);
    x = clampInto(x, width, windowWidth);
    y = clampInto(y, height, windowHeight);
    box = {x, y, x + width, y + height};
    hovered = -1;
    kind = menu;
}

void Overlay::showQuestion(const char* titleText, const char* questionText, int windowWidth, int windowHeight,
                           bool plainText)
{
    title = titleText;
    plain = plainText;
    ownerIndex = -1;
    text = wrapLines(questionText, windowWidth - 14);
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    const Pixa::TextStyle style = textStyle(false, white);
    const int lineHeight = (Pixa::lineMetrics(*style.font, style.size).height + scale - 1) / scale;
    const int height = 22 + lines * lineHeight + 30;
    box = {2, (windowHeight - height) / 2, windowWidth - 2, (windowHeight - height) / 2 + height};
    const int buttonsTop = box.bottom - 22;
    okButton = {box.left + 12, buttonsTop, box.left + 68, buttonsTop + 16};
    cancelButton = {box.right - 68, buttonsTop, box.right - 12, buttonsTop + 16};
    hovered = -1;
    kind = question;
}

PixelRect Overlay::itemRect(int i) const
{
    int top = box.top + margin;
    for (int k = 0; k < i; ++k)
        top += items[static_cast<std::size_t>(k)].separator() ? separatorHeight : itemHeight;
    return {box.left + margin, top, box.right - margin,
            top + (items[static_cast<std::size_t>(i)].separator() ? separatorHeight : itemHeight)};
}

int Overlay::itemAt(int x, int y) const
{
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (inside(itemRect(i), x, y))
            return i;
    return -1;
}

bool Overlay::click(int x, int y, unsigned& command)
{
    if (kind == question) {
        const bool yes = inside(okButton, x, y), no = inside(cancelButton, x, y);
        if (inside(box, x, y) && !yes && !no)
            return false;  // a click on the question itself answers nothing
        kind = none;
        command = yes ? answerYes : answerNo;
        return true;  // outside the box counts as Cancel
    }
    if (kind != menu)
        return false;
    if (!inside(box, x, y)) {
        kind = none;
        return false;
    }
    const int i = itemAt(x, y);
    if (i < 0 || items[static_cast<std::size_t>(i)].separator() || !items[static_cast<std::size_t>(i)].enabled)
        return false;
    kind = none;
    command = items[static_cast<std::size_t>(i)].command;
    return true;
}

bool Overlay::hover(int x, int y)
{
    int now = -1;
    if (kind == menu) {
        now = itemAt(x, y);
        if (now >= 0 && (items[static_cast<std::size_t>(now)].separator() || !items[static_cast<std::size_t>(now)].enabled))
            now = -1;
    } else if (kind == question) {
        now = inside(okButton, x, y) ? 0 : inside(cancelButton, x, y) ? 1 : -1;
    }
    const bool changed = now != hovered;
    hovered = now;
    return changed;
}

void Overlay::draw(Pixa::Canvas& canvas, Pixa::TextPainter& painter, std::uint32_t accentColorRef) const
{
    if (kind == none)
        return;
    const Pixa::Color accent = Pixa::colorFromColorRef(accentColorRef);
    fill(canvas, device(box), menuGround);
    frame(canvas, device(box), accent, scale);
    if (kind == menu) {
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            const PlugEdit::MenuItem& item = items[static_cast<std::size_t>(i)];
            const PixelRect r = itemRect(i);
            if (item.separator()) {
                fill(canvas, device({r.left + 2, r.top + 2, r.right - 2, r.top + 3}), 0xFF505050);
                continue;
            }
            if (i == hovered)
                fill(canvas, device(r), highlight);
            if (item.checked)
                fill(canvas, device({r.left + 4, r.top + 5, r.left + 8, r.top + 9}), 0xFFFFFFFF);
            Pixa::drawTextInRect(painter, canvas, item.text, device({r.left + textIndent, r.top, r.right, r.bottom}),
                                 Pixa::textSingleLine | Pixa::textVCenter, textStyle(false, item.enabled ? white : grey));
        }
        return;
    }
    Pixa::drawTextInRect(painter, canvas, title, device({box.left + 6, box.top + 3, box.right - 6, box.top + 19}),
                         Pixa::textSingleLine | Pixa::textVCenter | Pixa::textNoPrefix, textStyle(true, accentColorRef));
    Pixa::drawTextInRect(painter, canvas, text, device({box.left + 6, box.top + 22, box.right - 4, box.bottom - 24}),
                         Pixa::textLeft | Pixa::textNoPrefix, textStyle(false, white));
    const PixelRect buttons[2] = {okButton, cancelButton};
    const char* labels[2] = {"OK", "Cancel"};
    for (int b = 0; b < 2; ++b) {
        if (hovered == b)
            fill(canvas, device(buttons[b]), highlight);
        frame(canvas, device(buttons[b]), accent, scale);
        Pixa::drawTextInRect(painter, canvas, labels[b], device(buttons[b]),
                             Pixa::textSingleLine | Pixa::textVCenter | Pixa::textCenter, textStyle(false, white));
    }
}

}  // namespace X11Edit
