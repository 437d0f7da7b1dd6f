#include "arith_test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

std::mt19937_64 seeded_generator(uint64_t tag) {
  std::seed_seq seq{test_seed(), tag};
  return std::mt19937_64(seq);
}

Limbs random_limbs(std::mt19937_64& gen, int32_t count, int32_t lead_max) {
  Limbs p(count);
  p[0] = static_cast<int16_t>(std::uniform_int_distribution<int32_t>(0, lead_max)(gen));
  std::uniform_int_distribution<int32_t> digit(0, 9999);
  for (int32_t i = 1; i < count; ++i) p[i] = static_cast<int16_t>(digit(gen));
  return p;
}

Limbs carry_runs(std::mt19937_64& gen, int32_t count, int16_t lead) {
  static constexpr int16_t kValues[] = {5000, 4999, 9999, 0};
  std::uniform_int_distribution<int32_t> value(0, 3), length(1, 64);
  Limbs p(count);
  p[0] = lead;
  for (int32_t i = 1; i < count;) {
    const int16_t v = kValues[value(gen)];
    for (int32_t end = std::min(count, i + length(gen)); i < end; ++i) p[i] = v;
  }
  return p;
}

std::vector<int64_t> schoolbook_product(const int64_t* a, int32_t na, const int64_t* b, int32_t nb) {
  // acc[i + j + 1] collects a[i] b[j]: as fractions that term weighs 10000^-(i+j+2), which is
  // the weight of limb i + j + 1. Carries are released every 1000 rows so that no entry exceeds
  // 1000 * 32767^2 + 10^12 < 2^63.
  std::vector<int64_t> acc(na + nb, 0);
  auto release = [&acc] {
    for (size_t k = acc.size() - 1; k >= 1; --k) {
      acc[k - 1] += acc[k] / 10000;
      acc[k] %= 10000;
    }
  };
  for (int32_t i = 0; i < na; ++i) {
    for (int32_t j = 0; j < nb; ++j) acc[i + j + 1] += a[i] * b[j];
    if (i % 1000 == 999) release();
  }
  release();
  return acc;
}

std::vector<int64_t> schoolbook_product(const int16_t* a, int32_t na, const int16_t* b, int32_t nb) {
  std::vector<int64_t> wa(a, a + na), wb(b, b + nb);
  return schoolbook_product(wa.data(), na, wb.data(), nb);
}

int32_t units_below(const int16_t* out, const int64_t* exact, int32_t count) {
  std::vector<int64_t> diff(count);
  int64_t borrow = 0;
  for (int32_t i = count - 1; i >= 0; --i) {
    int64_t s = exact[i] - out[i] - borrow;
    borrow = 0;
    if (s < 0 && i > 0) {
      s += 10000;
      borrow = 1;
    }
    diff[i] = s;
  }
  for (int32_t i = 0; i < count - 1; ++i)
    if (diff[i] != 0) return -1;
  return diff[count - 1] == 0 || diff[count - 1] == 1 ? static_cast<int32_t>(diff[count - 1]) : -1;
}

double scaled_difference(const std::vector<int64_t>& f, const std::vector<int64_t>& g, int32_t L) {
  auto limb = [&](int32_t i) {
    const int64_t fi = i < static_cast<int32_t>(f.size()) ? f[i] : 0;
    const int64_t gi = i < static_cast<int32_t>(g.size()) ? g[i] : 0;
    return fi - gi;
  };
  // Horner over limbs 0..L-1 in exact integers: the partial value is (F - G) 10000^(i+1) up to
  // the limbs not yet read, so it stays small whenever the final value is small.
  const int64_t limit = 1000000000000000LL;
  int64_t v = 0;
  for (int32_t i = 0; i < L; ++i) {
    if (v > limit / 10000 || v < -limit / 10000)
      return v > 0 ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
    v = v * 10000 + limb(i);
  }
  double frac = 0.0, w = 1.0;
  for (int32_t i = L; i < L + 4; ++i) {
    w *= 1e-4;
    frac += static_cast<double>(limb(i)) * w;
  }
  return static_cast<double>(v) + frac;
}

std::vector<int64_t> widened(const int16_t* p, int32_t count) { return std::vector<int64_t>(p, p + count); }

bool is_normalised(const int16_t* p, int32_t count) {
  if (p[0] < 0) return false;
  for (int32_t i = 1; i < count; ++i)
    if (p[i] < 0 || p[i] > 9999) return false;
  return true;
}

double leading_value(const int16_t* p, int32_t count) {
  double v = 0.0, w = 1.0;
  for (int32_t i = 0; i < count; ++i) {
    w *= 1e-4;
    v += p[i] * w;
  }
  return v;
}
