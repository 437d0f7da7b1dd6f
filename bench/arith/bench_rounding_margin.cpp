// The largest distance of a convolution term from its nearest integer, max |c - round(c)|, for one
// square through our real transform, n limbs zero-padded to 2n doubles, n = 2^10 .. 2^max_bits
// (default 2^26), with the limbs entering the transform in two ways:
//   plain     limbs 0..9999 as they are
//   balanced  the same limbs as digits -5000..4999 (limbs_to_doubles, what the products use)
// and for each the operands that stress the transform most:
//   random          uniform random limbs (the limbs of pi look like these)
//   worst plain     all digits 9999 (the largest terms, n 9999^2)
//   worst balanced  all digits -5000, and -5000 and 4999 alternating (the larger of the two)
// A term is rounded to the wrong integer once this distance reaches 0.5; "!" marks the
// constant-digit squares whose rounded terms differ from the exact c[k] = v^2 min(k + 1, 2n - 1 - k).
// From 2^26 limbs on, the terms of the all-9999 square (n 9999^2) exceed 2^52, where doubles are no
// longer spaced by 1/2 or less: no rounding can recover them, and the column says "beyond 2^52".
//   bench_rounding_margin [max_bits] [seed]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "core/arith/arith.h"
#include "core/fft/complex_transform.h"
#include "core/fft/convolution.h"

namespace {

struct square_margin {
  double distance;  // max |c - round(c)| over all 2n terms
  bool exact;       // rounded terms equal v^2 min(k + 1, 2n - 1 - k) (constant digits v only)
};

// a[0..2n-1] := the square of the digits in a[0..n-1] (a[n..2n-1] zero), through the transform.
square_margin square_in_place(double* a, int32_t n, double constant_digit) {
  const int32_t N = 2 * n;
  complex_forward(N, a);
  square_spectrum(N, a, a);
  complex_backward(N, a);
  const double scale = 2.0 / N;
  square_margin m{0.0, true};
  for (int32_t k = 0; k < N; ++k) {
    const double u = a[k] * scale;
    const double r = std::nearbyint(u);
    const double d = std::fabs(u - r);
    m.distance = d > m.distance ? d : m.distance;
    if (constant_digit != 0.0) {
      const double count = k + 1 < N - 1 - k ? k + 1 : N - 1 - k;
      if (r != constant_digit * constant_digit * count) m.exact = false;
    }
  }
  return m;
}

void fill_constant(double* a, int32_t n, double v) {
  for (int32_t i = 0; i < 2 * n; ++i) a[i] = i < n ? v : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  const int max_bits = argc > 1 ? std::atoi(argv[1]) : 26;
  const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20240611ULL;
  std::mt19937_64 gen(seed);
  std::printf("largest |c - round(c)| of one square, n limbs in 2n doubles (seed %llu)\n", seed);
  std::printf("%9s %10s | %10s %11s | %10s %14s | %8s\n", "n limbs", "digits", "plain rnd", "plain worst",
              "balanced", "balanced worst", "s/square");

  for (int bits = 10; bits <= max_bits; ++bits) {
    const int32_t n = int32_t{1} << bits;
    double* a = new (std::nothrow) double[2 * static_cast<size_t>(n)];
    int16_t* limbs = new (std::nothrow) int16_t[n];
    if (!a || !limbs) {
      std::printf("cannot allocate %d doubles\n", 2 * n);
      return 1;
    }
    std::uniform_int_distribution<int32_t> digit(0, 9999);
    for (int32_t i = 0; i < n; ++i) limbs[i] = static_cast<int16_t>(digit(gen));

    for (int32_t i = 0; i < 2 * n; ++i) a[i] = i < n ? limbs[i] : 0.0;
    const square_margin plain_random = square_in_place(a, n, 0.0);
    fill_constant(a, n, 9999.0);
    const square_margin plain_worst = square_in_place(a, n, 9999.0);

    limbs_to_doubles(limbs, n, a, 2 * n);
    const auto t0 = std::chrono::steady_clock::now();
    const square_margin balanced_random = square_in_place(a, n, 0.0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    fill_constant(a, n, -5000.0);
    const square_margin all_low = square_in_place(a, n, -5000.0);
    for (int32_t i = 0; i < 2 * n; ++i) a[i] = i < n ? (i % 2 == 0 ? -5000.0 : 4999.0) : 0.0;
    const square_margin alternating = square_in_place(a, n, 0.0);
    const double balanced_worst =
        all_low.distance > alternating.distance ? all_low.distance : alternating.distance;

    char worst[32];
    if (static_cast<double>(n) * 9999.0 * 9999.0 < 0x1p52)
      std::snprintf(worst, sizeof worst, "%11.6f%s", plain_worst.distance, plain_worst.exact ? " " : "!");
    else
      std::snprintf(worst, sizeof worst, "beyond 2^52");
    std::printf("%9d %10lld | %10.6f %s | %10.6f %14.6f%s | %8.3f\n", n, 4LL * n, plain_random.distance,
                worst, balanced_random.distance, balanced_worst, all_low.exact ? " " : "!", seconds);
    std::fflush(stdout);
    delete[] a;
    delete[] limbs;
  }
  std::printf("! marks a constant-digit square that rounded to a WRONG integer\n");
  return 0;
}
