// The limiter's parameters in one place: every fact about each of the five that a host, a plug-in
// description or the editor shows. The VST display texts, the LV2 description and user interface, the
// editor's captions and every other format's parameter information are derived from this table.
#pragma once

namespace LimiterParams {

enum Index { threshold = 0, release, makeup, meterScale, dither, count };

// How the normalized value 0..1 maps onto the display range.
enum class Taper {
    linear,       // lowest at 0, highest at 1
    logarithmic,  // the same, evenly spaced in decades
    twoChoices,   // a switch: lowest up to 0.5 (inclusive), highest above
};

// How the display value is written.
enum class TextFormat {
    oneDecimal,     // "-6.0": the unit is the host's label
    wholeNumber,    // "50": truncated toward zero; the unit is the host's label
    wholeWithUnit,  // "40dB": truncated, the unit written into the text; the host's label is empty
};

struct Declaration {
    const char* name;        // as VST 2.4 hosts show it: at most 7 characters
    const char* unit;        // of the display value
    float defaultValue;      // normalized
    double lowest, highest;  // the display range
    Taper taper;
    TextFormat format;
    const char* symbol;             // a stable identifier without spaces (LV2 port symbol)
    const char* title;              // the long name hosts with room show
    const char* caption;            // the editor's caption above a knob or before a switch
    const char* choiceCaptions[2];  // a switch's two states as the editor writes them
    const char* choiceMenu[2];      // and as its menu offers them
};

// clang-format off
inline constexpr Declaration declarations[count] = {
    // name      unit    default  display range    taper                text format
    //   symbol     title          caption      switch states (editor)      switch menu (editor)
    {"thresh.", "dB",   1.0f,    -20.0,    0.0, Taper::linear,      TextFormat::oneDecimal,
        "thresh",  "Threshold",   "threshold", {},                         {}},
    {"release", "ms",   0.5f,     10.0, 1000.0, Taper::logarithmic, TextFormat::oneDecimal,
        "release", "Release",     "release",   {},                         {}},
    {"makeup",  "%",    0.0f,      0.0,  100.0, Taper::linear,      TextFormat::wholeNumber,
        "makeup",  "Makeup",      "makeup",    {},                         {}},
    {"d.scale", "dB",   0.0f,     20.0,   40.0, Taper::twoChoices,  TextFormat::wholeWithUnit,
        "scale",   "Meter range", "display",   {"20dB", "40dB"},           {"20dB scale", "40dB scale"}},
    {"dither",  "bits", 1.0f,     16.0,   24.0, Taper::twoChoices,  TextFormat::wholeNumber,
        "dither",  "Dither",      "dither",    {"16 bit", "24 bit"},       {"16 bit", "24 bit"}},
};
// clang-format on

// The unit label a VST host shows beside the text: empty where the text carries the unit itself.
constexpr const char* hostLabel(const Declaration& d) { return d.format == TextFormat::wholeWithUnit ? "" : d.unit; }

constexpr bool isSwitch(int index) { return declarations[index].taper == Taper::twoChoices; }

}  // namespace LimiterParams
