// The roots of unity of the transforms, computed by the project's own code from IEEE-754 double
// operations alone (no call into the C library's sine or cosine, whose last bit differs between C
// libraries and versions), so that every twiddle factor, and with them every product and every
// phase of a run, is the same double on every machine and system.
//
//   unit_root(k, points) = e^{2 pi i k/points} = cos(2 pi k/points) + i sin(2 pi k/points)
//
// for a power of two `points` (1 <= points <= 2^28) and any k >= 0. Each part is within 0.6 ulp of
// the exact value (the tests compare every root of 2^20 points, and random ones of larger sizes,
// with MPFR); the exact values 0, +-1 and +-sqrt(1/2) parts at the multiples of an eighth turn come
// out as the doubles nearest to them.
#pragma once
#include <cstdint>

#include "core/fft/complex_ops.h"

complex_value unit_root(int64_t k, int64_t points);
