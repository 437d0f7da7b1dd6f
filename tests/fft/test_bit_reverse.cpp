// The bit-reversal permutations against an index reversal computed here, with sentinels around
// every array. They run on 16-byte vectors here; the wider engines move the same points (the transform
// tests compare every path's doubles).
#include "core/fft/bit_reverse_body.h"
#include "tests/fft/fft_reference.h"

namespace {

using namespace fft_test;

void bit_reverse(int32_t n, double* a) { bit_reverse_tiles<complex_vector, false>(n, a); }
void bit_reverse_conj(int32_t n, double* a) { bit_reverse_tiles<complex_vector, true>(n, a); }
void bit_reverse_16(double* a) { bit_reverse_small<16, false>(a); }
void bit_reverse_16_neg(double* a) { bit_reverse_small<16, true>(a); }
void bit_reverse_8(double* a) { bit_reverse_small<8, false>(a); }
void bit_reverse_8_neg(double* a) { bit_reverse_small<8, true>(a); }

bool same_bits(const double* x, const double* y, int32_t n) {
  return std::memcmp(x, y, n * sizeof(double)) == 0;
}

// Point j starts as (j, j + 1/2): every value tells where it came from, and no imaginary part is 0,
// so a missing or doubled negation shows. One pass then checks z'[j] = z[rev(j)] (conjugated or not)
// and counts the points that moved.
TEST(BitReverse, MatchesIndexReversalAtEverySize) {
  const int32_t largest = int32_t{1} << 24;
  guarded_array buffer(std::vector<double>(largest, 0.0));
  double* a = buffer.data;
  for (int32_t n = 16; n <= largest; n *= 2) {
    const int32_t points = n / 2;
    const int bits = log2_of(points);
    for (int conj = 0; conj <= 1; ++conj) {
      for (int32_t j = 0; j < points; ++j) {
        a[2 * j] = j;
        a[2 * j + 1] = j + 0.5;
      }
      if (conj)
        bit_reverse_conj(n, a);
      else
        bit_reverse(n, a);

      int32_t wrong = 0, moved = 0;
      const double sign = conj ? -1.0 : 1.0;
      for (int32_t j = 0; j < points; ++j) {
        const int32_t r = static_cast<int32_t>(reverse_bits(j, bits));
        if (a[2 * j] != r || a[2 * j + 1] != sign * (r + 0.5)) ++wrong;
        if (a[2 * j] != j) ++moved;
      }
      ASSERT_EQ(wrong, 0) << (conj ? "bit_reverse_conj" : "bit_reverse") << ", n = " << n;
      ASSERT_TRUE(buffer.guards_intact()) << "n = " << n;

      // Pairs swapped: (N - P)/2 with P = 2^ceil(b/2) points equal to their own reversal.
      const int32_t fixed = int32_t{1} << ((bits + 1) / 2);
      EXPECT_EQ(moved, points - fixed) << "n = " << n;
      if (n == 64) {
        EXPECT_EQ(moved / 2, 12);
      }
      if (n == 128) {
        EXPECT_EQ(moved / 2, 28);
      }
    }
  }
}

TEST(BitReverse, AppliedTwiceRestores) {
  for (int32_t n = 16; n <= (1 << 16); n *= 2) {
    const std::vector<double> original = random_doubles(n, n);
    guarded_array buffer(original);
    double* a = buffer.data;
    bit_reverse(n, a);
    bit_reverse(n, a);
    EXPECT_TRUE(same_bits(a, original.data(), n)) << "bit_reverse, n = " << n;
    bit_reverse_conj(n, a);
    bit_reverse_conj(n, a);
    EXPECT_TRUE(same_bits(a, original.data(), n)) << "bit_reverse_conj, n = " << n;
    EXPECT_TRUE(buffer.guards_intact()) << "n = " << n;
  }
}

TEST(BitReverse, ConjugatesThePointsThatStay) {
  const std::vector<int32_t> fixed_64 = {0, 4, 10, 14, 17, 21, 27, 31};
  std::vector<int32_t> found;
  for (int32_t j = 0; j < 32; ++j)
    if (static_cast<int32_t>(reverse_bits(j, 5)) == j) found.push_back(j);
  ASSERT_EQ(found, fixed_64);

  const std::vector<double> original = random_doubles(64, 1);
  guarded_array buffer(original);
  double* a = buffer.data;
  bit_reverse_conj(64, a);
  for (int32_t j : fixed_64) {
    EXPECT_EQ(a[2 * j], original[2 * j]) << "point " << j;
    EXPECT_EQ(a[2 * j + 1], -original[2 * j + 1]) << "point " << j;
  }
  EXPECT_TRUE(buffer.guards_intact());
}

struct fixed_case {
  const char* name;
  void (*run)(double*);
  int32_t points;
  bool negated_index;            // source rev((N - j) mod N) instead of rev(j)
  std::vector<int32_t> sources;  // the source of each destination, as listed for the permutation
};

const std::vector<fixed_case>& fixed_cases() {
  static const std::vector<fixed_case> cases = {
      {"bit_reverse_16", bit_reverse_16, 16, false, {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15}},
      {"bit_reverse_16_neg",
       bit_reverse_16_neg,
       16,
       true,
       {0, 15, 7, 11, 3, 13, 5, 9, 1, 14, 6, 10, 2, 12, 4, 8}},
      {"bit_reverse_8", bit_reverse_8, 8, false, {0, 4, 2, 6, 1, 5, 3, 7}},
      {"bit_reverse_8_neg", bit_reverse_8_neg, 8, true, {0, 7, 3, 5, 1, 6, 2, 4}},
  };
  return cases;
}

// Each destination receives its source point unchanged (no sign change), and the listed sources are
// the definition's: rev(j), or rev((N - j) mod N) for the twins, which keep only point 0 in place.
TEST(BitReverse, FixedPermutationsTakeTheirSources) {
  uint64_t stream = 100;
  for (const fixed_case& fc : fixed_cases()) {
    const int bits = log2_of(fc.points);
    int32_t staying = 0;
    for (int32_t j = 0; j < fc.points; ++j) {
      const int32_t index = fc.negated_index ? (fc.points - j) % fc.points : j;
      EXPECT_EQ(fc.sources[j], static_cast<int32_t>(reverse_bits(index, bits)))
          << fc.name << ", destination " << j;
      if (fc.sources[j] == j) ++staying;
    }
    if (fc.negated_index) {
      EXPECT_EQ(staying, 1) << fc.name;
    }

    for (int trial = 0; trial < 4; ++trial) {
      const std::vector<double> original = random_doubles(2 * fc.points, ++stream);
      guarded_array buffer(original);
      double* a = buffer.data;
      fc.run(a);
      for (int32_t j = 0; j < fc.points; ++j) {
        EXPECT_EQ(a[2 * j], original[2 * fc.sources[j]]) << fc.name << ", destination " << j;
        EXPECT_EQ(a[2 * j + 1], original[2 * fc.sources[j] + 1]) << fc.name << ", destination " << j;
      }
      EXPECT_TRUE(buffer.guards_intact()) << fc.name;
    }
  }
}

TEST(BitReverse, GeneralPermutationAgreesWithFixedOnes) {
  for (int32_t n : {32, 16}) {
    const std::vector<double> original = random_doubles(n, 200 + n);
    std::vector<double> general = original, fixed = original;
    bit_reverse(n, general.data());
    if (n == 32)
      bit_reverse_16(fixed.data());
    else
      bit_reverse_8(fixed.data());
    EXPECT_TRUE(same_bits(general.data(), fixed.data(), n)) << "n = " << n;
  }
}

}  // namespace
