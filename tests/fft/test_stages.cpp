// Radix-4 stages against their mathematical definition.
#include <gtest/gtest.h>

#include "core/fft/stage_body.h"
#include "tests/fft/fft_reference.h"

using namespace fft_test;

namespace {

// The stages on 16-byte vectors, computing their own factors (the wider engines give the same doubles:
// the transform tests compare every path).
void stage_plain(int32_t m, double* a) {
  plain_stage<complex_vector, input_kind::as_is>(m, a, plain_factors(m));
}
void stage_plain_conj(int32_t m, double* a) {
  plain_stage<complex_vector, input_kind::conjugated>(m, a, plain_factors(m));
}
void stage_shifted(int32_t m, double* a) { shifted_stage<complex_vector>(m, a, shifted_factors(m)); }

enum class stage_kind { plain, shifted, plain_conj };

void run_stage(stage_kind kind, int32_t m, double* a) {
  switch (kind) {
    case stage_kind::plain:
      stage_plain(m, a);
      break;
    case stage_kind::shifted:
      stage_shifted(m, a);
      break;
    case stage_kind::plain_conj:
      stage_plain_conj(m, a);
      break;
  }
}

const char* name_of(stage_kind kind) {
  return kind == stage_kind::plain     ? "stage_plain"
         : kind == stage_kind::shifted ? "stage_shifted"
                                       : "stage_plain_conj";
}

const stage_kind all_stages[] = {stage_kind::plain, stage_kind::shifted, stage_kind::plain_conj};

// The input points as the stage sees them: conjugated for stage_plain_conj.
std::vector<cld> stage_input(stage_kind kind, const std::vector<double>& x) {
  std::vector<cld> z = to_points(x.data(), x.size());
  if (kind == stage_kind::plain_conj)
    for (cld& v : z) v = std::conj(v);
  return z;
}

// Sizes with one twiddle run (64, 128, 1024) and with several (2048: two, 8192: eight).
const int32_t definition_sizes[] = {64, 128, 1024, 2048, 8192};

}  // namespace

// A stage followed by a finished transform of each quarter, of the kind the splitting rule gives it,
// is the finished transform of the block: with Y the quarter's transform in natural order, quarter c
// holds the block's values at the indices k = 4k' + rev2(c), Y_{k'} = X_{4k' + rev2(c)}.
TEST(Stages, QuartersFinishToTheBlockTransform) {
  // Quarter kinds after the stage: 0 plain, 1 shifted (the exponent carries k + 1/2).
  const int quarter_shift[2][4] = {{0, 1, 0, 0}, {0, 1, 0, 1}};
  for (stage_kind kind : all_stages) {
    const int block_shift = kind == stage_kind::shifted ? 1 : 0;
    for (int32_t m : definition_sizes) {
      const std::vector<double> x = random_doubles(m, m + 17 * static_cast<int>(kind));
      const std::vector<cld> expected = direct_dft(stage_input(kind, x), +1, block_shift);

      guarded_array a(x);
      run_stage(kind, m, a.data);
      ASSERT_TRUE(a.guards_intact()) << name_of(kind) << " m=" << m;

      const int32_t q = m / 8;
      long double worst = 0;
      for (int c = 0; c < 4; ++c) {
        const std::vector<cld> quarter = to_points(a.data + 2 * q * c, 2 * q);
        const std::vector<cld> y = direct_dft(quarter, +1, quarter_shift[block_shift][c]);
        const uint32_t low = reverse_bits(c, 2);
        for (int32_t k = 0; k < q; ++k) worst = std::max(worst, std::abs(y[k] - expected[4 * k + low]));
      }
      const long double relative = worst / max_abs(expected);
      std::printf("%-16s m=%5d  max rel error %.3Le\n", name_of(kind), m, relative);
      // A butterfly rounds a few times and uses factors accurate to about 64 recurrence steps.
      EXPECT_LT(relative, 2e-15L) << name_of(kind) << " m=" << m;
    }
  }
}

// Every butterfly against its formula with exact factors, up to sizes of many twiddle runs:
// plain  q0 = (x0 + x2) + (x1 + x3), q1 = (x0 + x2) - (x1 + x3),
//        q2 = w (x0 - x2 + i(x1 - x3)), q3 = w^3 (x0 - x2 - i(x1 - x3)), w = e^{2 pi i p / L};
// shifted q0,1 = a u +- rho a v, q2,3 = a^3 u' +- rho^3 a^3 v', a = e^{i pi p / L}.
TEST(Stages, ButterfliesMatchFormulasAtEveryPoint) {
  const cld i(0, 1);
  const cld rho = std::polar(1.0L, pi_l / 4);
  for (stage_kind kind : all_stages) {
    for (int32_t m = 64; m <= (1 << 20); m *= 2) {
      const std::vector<double> x = random_doubles(m, 3 * m + static_cast<int>(kind));
      const std::vector<cld> z = stage_input(kind, x);
      std::vector<double> a = x;
      run_stage(kind, m, a.data());

      const int32_t points = m / 2, q = m / 8;
      long double worst = 0;
      int32_t worst_p = -1;
      for (int32_t p = 0; p < q; ++p) {
        const cld x0 = z[p], x1 = z[p + q], x2 = z[p + 2 * q], x3 = z[p + 3 * q];
        cld e[4];
        if (kind == stage_kind::shifted) {
          const cld al = std::polar(1.0L, pi_l * p / points), al3 = al * al * al;
          const cld u = x0 + i * x2, v = x1 + i * x3, uc = x0 - i * x2, vc = x1 - i * x3;
          e[0] = al * u + rho * al * v;
          e[1] = al * u - rho * al * v;
          e[2] = al3 * uc + rho * rho * rho * al3 * vc;
          e[3] = al3 * uc - rho * rho * rho * al3 * vc;
        } else {
          const cld w = std::polar(1.0L, 2 * pi_l * p / points);
          e[0] = (x0 + x2) + (x1 + x3);
          e[1] = (x0 + x2) - (x1 + x3);
          e[2] = w * (x0 - x2 + i * (x1 - x3));
          e[3] = w * w * w * (x0 - x2 - i * (x1 - x3));
        }
        for (int c = 0; c < 4; ++c) {
          const int32_t at = p + c * q;
          const long double err = std::abs(cld(a[2 * at], a[2 * at + 1]) - e[c]);
          if (err > worst) worst = err, worst_p = p;
        }
      }
      if (m == 64 || m == 2048 || m == (1 << 20))
        std::printf("%-16s m=%7d  max abs error %.3Le at p=%d\n", name_of(kind), m, worst, worst_p);
      // Inputs in [-1, 1): outputs below 4 * 2 in size, factors within about 64 recurrence steps
      // of exact values, each step adding a few units of 2^-53.
      EXPECT_LT(worst, 1e-14L) << name_of(kind) << " m=" << m << " p=" << worst_p;
    }
  }
}

// The conjugating stage reads each point as its conjugate and otherwise is the plain stage:
// the same doubles, bit for bit.
TEST(Stages, ConjugatingStageIsPlainStageOnConjugatedInput) {
  for (int32_t m : {64, 128, 1024, 2048, 8192, 1 << 16}) {
    const std::vector<double> x = random_doubles(m, 5 * m);
    std::vector<double> conjugated = x;
    for (int32_t j = 1; j < m; j += 2) conjugated[j] = -conjugated[j];
    guarded_array a(x), b(conjugated);
    stage_plain_conj(m, a.data);
    stage_plain(m, b.data);
    EXPECT_TRUE(a.guards_intact());
    EXPECT_EQ(0, std::memcmp(a.data, b.data, m * sizeof(double))) << "m=" << m;
  }
}
