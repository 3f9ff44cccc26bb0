// Number formatting shared by the model-file writers: shortest text of a
// double with at most 15 significant digits, correctly rounded.
#pragma once

namespace tvl {

// Room needed by format_number (sign, 15 digits, point, zeros, exponent).
inline constexpr int kNumBufSize = 40;

// Writes `value` into `buf` (at least kNumBufSize bytes): at most 15
// significant digits, no trailing zeros, no plus sign.  Values whose decimal
// point position p (value = 0.d1d2... * 10^p) lies in [-5, 15] are written
// in plain decimal notation, others as d[.ddd]e(+|-)x.  Zero is "0".
// Returns 0, or 1650 when the value is infinite or not a number (the text
// is then "?").
int format_number(double value, char *buf);

}  // namespace tvl
