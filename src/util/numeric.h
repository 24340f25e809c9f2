#pragma once

#include <cmath>

// Float-to-integer conversions used throughout the program: the nearest integer,
// a half going to the even neighbour (5.5 -> 6, 6.5 -> 6, -2.5 -> -2).
inline int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

inline int roundHalfEven(float value) {
    return static_cast<int>(std::nearbyintf(value));
}
