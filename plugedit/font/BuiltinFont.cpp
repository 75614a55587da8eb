#include "plugedit/font/BuiltinFont.h"

#include "plugedit/font/BuiltinFontData.h"

namespace PlugEdit {

const Pixa::Font& builtinFont(bool bold) { return bold ? dejaVuSansBold : dejaVuSans; }

}  // namespace PlugEdit
