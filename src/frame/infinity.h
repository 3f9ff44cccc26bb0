// The library's two large numbers.
//
// kInfBound (1e20, TVL_INFBOUND of the public header): a bound, right-hand
// side or range at or beyond +-kInfBound is infinite.  The problem object,
// the file formats and the LP model all store infinite bounds as +-1e20.
//
// kNoValue (1e75): stands for the absence of a value: a limit that is not
// set (objective limits, time limits, cutoffs), a proof that cannot be
// formed.  Any magnitude at or beyond kNoValueLimit (1e74) counts as "no
// value", so that a value read back from text still compares correctly.
#pragma once

#include <cmath>

#include "tavlo.h"

namespace tvl {

inline constexpr double kInfBound = TVL_INFBOUND;
inline constexpr double kNoValue = 1e75;
inline constexpr double kNoValueLimit = 1e74;

// True when v is a value rather than kNoValue (either sign).
inline bool has_value(double v) { return std::fabs(v) < kNoValueLimit; }

}  // namespace tvl
