#pragma once

#include <cmath>

namespace fennix {

// Nearest integer with ties to the even neighbour (2.5 -> 2, 3.5 -> 4), as
// every fractional-to-integer conversion of the program rounds. Relies on
// the default floating-point rounding mode, which the program never changes.
inline double RoundEven(double value) { return std::nearbyint(value); }

// RoundEven as an int. The caller guarantees the value is in int range.
inline int RoundEvenInt(double value) { return static_cast<int>(std::nearbyint(value)); }

}  // namespace fennix
