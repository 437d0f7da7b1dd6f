// Complex values held as two doubles, and the doubles nearest to the constants the transforms use.
// A point of an array is z_j = a[2j] + i a[2j+1]; `complex_value` is that pair.
#pragma once
#include <cstdint>

struct complex_value {
  double re;
  double im;
};

// The doubles nearest to the constants of the stages.
constexpr double cos_pi_4 = 0.70710678118654752440;  // r = cos(pi/4) = sin(pi/4)
constexpr double cos_pi_8 = 0.92387953251128675613;  // C8
constexpr double sin_pi_8 = 0.38268343236508977173;  // S8
