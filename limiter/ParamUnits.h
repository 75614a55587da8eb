// The parameters' display values (dB, ms, %, the meter range, the dither's word length) and the
// normalized values they stand for, both ways. The VST display texts and the LV2 control ports read
// the same mapping, so a value shown or typed in one format is the same value in the other.
#pragma once

#include "limiter/LimiterParams.h"

namespace ParamUnits {

// The range a display value lives in, and whether only its two ends are meaningful (a switch).
struct DisplayRange {
    double lowest;
    double highest;
    bool twoChoices;
};

DisplayRange displayRange(int index);

// What normalized value v shows: -20..0 dB, 10..1000 ms, 0..100 % (a fraction; the text truncates),
// 20 or 40 dB, 16 or 24 bits. Arithmetic in double, as the texts have always been computed.
double displayValue(int index, float v);

// The normalized value a display value stands for. Out of range clamps to the nearer end; NaN gives
// the parameter's built-in default; a switch takes the upper choice beyond the midpoint of its two.
float normalizedValue(int index, double shown);

}  // namespace ParamUnits
