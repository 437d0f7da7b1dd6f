// Slow references and helpers for the transform tests: direct DFTs in long double, random data from a
// printed seed, guard elements around arrays.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/test_seed.h"

namespace fft_test {

using cld = std::complex<long double>;

const long double pi_l = 3.141592653589793238462643383279502884L;

// Values uniform in [-1, 1); `stream` separates the inputs of different cases.
inline std::vector<double> random_doubles(size_t count, uint64_t stream) {
  std::mt19937_64 gen(test_seed() ^ (stream * 0x9e3779b97f4a7c15ull));
  std::vector<double> v(count);
  for (double& x : v)
    x = static_cast<double>(static_cast<int64_t>(gen() >> 11) - (int64_t{1} << 52)) * 0x1p-52;
  return v;
}

inline std::vector<cld> to_points(const double* a, size_t n_doubles) {
  std::vector<cld> z(n_doubles / 2);
  for (size_t j = 0; j < z.size(); ++j) z[j] = cld(a[2 * j], a[2 * j + 1]);
  return z;
}

// Direct DFT  Y_k = sum_j z_j e^{sign 2 pi i j (k + shift/2) / L}, shift 0 (plain) or 1 (shifted).
// The exponent is reduced exactly modulo 2L, so the only rounding is that of long double.
inline std::vector<cld> direct_dft(const std::vector<cld>& z, int sign, int shift) {
  const size_t len = z.size(), period = 2 * len;
  std::vector<cld> root(period);
  for (size_t t = 0; t < period; ++t) {
    const long double angle = sign * pi_l * static_cast<long double>(t) / static_cast<long double>(len);
    root[t] = cld(std::cos(angle), std::sin(angle));
  }
  std::vector<cld> y(len);
  for (size_t k = 0; k < len; ++k) {
    const size_t step = 2 * k + shift;  // angle of z_j is pi j (2k + shift) / L
    cld sum = 0;
    size_t t = 0;
    for (size_t j = 0; j < len; ++j) {
      sum += z[j] * root[t];
      t += step;
      if (t >= period) t %= period;
    }
    y[k] = sum;
  }
  return y;
}

inline long double max_abs(const std::vector<cld>& z) {
  long double m = 0;
  for (const cld& v : z) m = std::max(m, std::abs(v));
  return m;
}

// Bit reversal of the low `bits` bits of k.
inline uint32_t reverse_bits(uint32_t k, int bits) {
  uint32_t r = 0;
  for (int b = 0; b < bits; ++b) r |= ((k >> b) & 1u) << (bits - 1 - b);
  return r;
}

inline int log2_of(size_t n) {
  int b = 0;
  while ((size_t{1} << b) < n) ++b;
  return b;
}

// An array of n doubles with `guard` doubles of a fixed pattern before and after it.
struct guarded_array {
  static constexpr size_t guard = 16;
  std::vector<double> storage;
  double* data;

  explicit guarded_array(const std::vector<double>& values) : storage(values.size() + 2 * guard) {
    for (size_t i = 0; i < guard; ++i) storage[i] = storage[storage.size() - 1 - i] = pattern(i);
    std::memcpy(storage.data() + guard, values.data(), values.size() * sizeof(double));
    data = storage.data() + guard;
  }
  static double pattern(size_t i) { return -7777.25 - static_cast<double>(i); }
  bool guards_intact() const {
    for (size_t i = 0; i < guard; ++i)
      if (storage[i] != pattern(i) || storage[storage.size() - 1 - i] != pattern(i)) return false;
    return true;
  }
};

}  // namespace fft_test
