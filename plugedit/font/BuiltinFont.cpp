#include "plugedit/font/BuiltinFont.h"

#include "pixa/TextLayout.h"
#include "plugedit/font/BuiltinFontData.h"

namespace PlugEdit {

const Pixa::Font& builtinFont(bool bold) { return bold ? dejaVuSansBold : dejaVuSans; }

Pixa::TextStyle editorTextStyle(bool bold, std::uint32_t colorRef, bool antialiased, int scale)
{
    Pixa::TextStyle style{&builtinFont(bold), (bold ? boldTextSize : smallTextSize) * static_cast<float>(scale),
                          Pixa::colorFromColorRef(colorRef), antialiased};
    style.wholePixelAdvances = true;
    style.gamma = 1.6f;
    return style;
}

}  // namespace PlugEdit
