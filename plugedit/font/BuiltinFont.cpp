#include "plugedit/font/BuiltinFont.h"

#include "pixa/TextLayout.h"
#include "plugedit/font/BuiltinFontData.h"

namespace PlugEdit {

const Pixa::Font& builtinFont(bool bold) { return bold ? dejaVuSansBold : dejaVuSans; }

Pixa::TextStyle editorTextStyle(bool bold, std::uint32_t colorRef, bool antialiased)
{
    Pixa::TextStyle style{&builtinFont(bold), bold ? boldTextSize : smallTextSize, Pixa::colorFromColorRef(colorRef),
                          antialiased};
    style.wholePixelAdvances = true;
    style.gamma = 1.6f;
    return style;
}

}  // namespace PlugEdit
