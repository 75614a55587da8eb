// The parameters' display values (dB, ms, %, the meter range, the dither's word length), the normalized
// values they stand for, and their texts, all from the facts in LimiterParams. The VST display texts,
// the LV2 control ports and every other format read this one mapping, so a value shown or typed in one
// format is the same value in the other.
#pragma once

#include <cstddef>

#include "limiter/LimiterParams.h"

namespace ParamUnits {

// What normalized value v shows: -20..0 dB, 10..1000 ms, 0..100 % (a fraction; the text truncates),
// 20 or 40 dB, 16 or 24 bits. Arithmetic in double, as the texts have always been computed.
double displayValue(int index, float v);

// The normalized value a display value stands for. Out of range clamps to the nearer end; NaN gives
// the parameter's built-in default; a switch takes the upper choice beyond the midpoint of its two.
float normalizedValue(int index, double shown);

// The display text of normalized value v ("-6.0", "100.0", "50", "40dB", "24"), cut to fit size bytes
// with its terminator; false (text untouched) for an index that is no parameter.
bool displayText(int index, float v, char* text, std::size_t size);

// What an editor shows, as the effect answers a VST 2.4 host: at most 7 characters of text (empty for an
// index that is no parameter), and the unit label beside it. Both buffers hold at least 8 bytes.
void editorText(int index, float v, char* text, char* unit);

}  // namespace ParamUnits
