// The editor's own font, built into the plug-in so that its texts look alike on every machine and need
// no font lookup: DejaVu Sans and DejaVu Sans Bold (close to the Windows editor's Verdana), printable
// ASCII only. The editor draws its small texts at 9 pixels per em in the regular face and its
// emphasised ones at 12 in the bold face, the em heights Verdana gets at 7 and 9 points on a 96 dpi
// screen.
#pragma once

#include "pixa/Font.h"

namespace PlugEdit {

constexpr float smallTextSize = 9.0f;
constexpr float boldTextSize = 12.0f;

const Pixa::Font& builtinFont(bool bold);

}  // namespace PlugEdit
