// The products give the same limbs and the same rounding margin on every vector path, and the products
// that save a transform give the limbs of the ones they replace. Paths the processor lacks are skipped.
#include <gtest/gtest.h>

#include <vector>

#include "core/arith/arith.h"
#include "core/fft/simd_path.h"
#include "tests/arith/arith_test_support.h"

namespace {

// One product at working length limbs, its output (limbs + 4 limbs) and the rounding margin it recorded.
struct product_case {
  const char* name;
  void (*run)(const Limbs& p, const Limbs& q, Limbs& out, int32_t limbs, double* W, rounding_margin* margin);
};

const product_case product_cases[] = {
    {"fft_multiply",
     [](const Limbs& p, const Limbs& q, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       fft_multiply(p.data(), q.data(), out.data(), limbs, W, margin);
     }},
    {"fft_multiply square",
     [](const Limbs& p, const Limbs&, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       fft_multiply(p.data(), p.data(), out.data(), limbs, W, margin);
     }},
    {"working_product",
     [](const Limbs& p, const Limbs& q, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       working_product(p.data(), q.data(), out.data(), limbs, W, margin);
     }},
    {"working_product square",
     [](const Limbs& p, const Limbs&, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       working_product(p.data(), p.data(), out.data(), limbs, W, margin);
     }},
    {"inv_sqrt",
     [](const Limbs& p, const Limbs&, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       Limbs x = p, scratch(limbs + 4);
       x[0] = 5000 + x[0] % 2000;  // 0.5 .. 0.7, the drivers' range
       inv_sqrt(x.data(), out.data(), scratch.data(), limbs, W, margin);
     }},
    {"reciprocal",
     [](const Limbs& p, const Limbs&, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       Limbs x = p, scratch(limbs + 4);
       x[0] = 4000 + x[0] % 5000;  // 0.4 .. 0.9
       reciprocal(x.data(), out.data(), scratch.data(), limbs, W, margin);
     }},
};

struct outcome {
  Limbs limbs;
  double margin;
};

outcome run_on(simd_path path, const product_case& c, const Limbs& p, const Limbs& q, int32_t limbs) {
  select_simd_path(path);
  std::vector<double> W(4 * static_cast<size_t>(limbs));
  outcome o{Limbs(limbs + 4), 0.0};
  rounding_margin margin;
  c.run(p, q, o.limbs, limbs, W.data(), &margin);
  o.margin = margin.max_distance;
  return o;
}

}  // namespace

TEST(SimdPaths, ProductsGiveTheSameLimbsOnEveryPath) {
  std::mt19937_64 gen = seeded_generator(77);
  for (int32_t limbs : {16, 64, 1024, 1 << 15, 1 << 18}) {
    const Limbs p = random_limbs(gen, limbs + 4, 9999), q = random_limbs(gen, limbs + 4, 9999);
    for (const product_case& c : product_cases) {
      const outcome expected = run_on(simd_path::sse2, c, p, q, limbs);
      for (simd_path path : {simd_path::avx2, simd_path::avx512}) {
        if (!simd_path_supported(path)) continue;
        const outcome got = run_on(path, c, p, q, limbs);
        EXPECT_EQ(expected.limbs, got.limbs) << c.name << " limbs=" << limbs << " " << simd_path_name(path);
        EXPECT_EQ(expected.margin, got.margin) << c.name << " limbs=" << limbs << " " << simd_path_name(path);
      }
    }
  }
  select_simd_path(best_simd_path());
}

// The square that keeps its factor's spectrum, and the product that uses it, give working_product's
// limbs; the product also when its second factor is its result, as the inverse square root uses it.
TEST(WorkingProduct, KeptSpectrumGivesTheSameLimbs) {
  std::mt19937_64 gen = seeded_generator(78);
  for (int32_t m : {8, 16, 256, 1 << 14}) {
    const Limbs p = random_limbs(gen, m + 4, 9999), q = random_limbs(gen, m + 4, 9999);
    std::vector<double> W(4 * static_cast<size_t>(m));
    rounding_margin margin;
    Limbs square(m + 4), expected_square(m + 4);
    working_product(p.data(), p.data(), expected_square.data(), m, W.data(), &margin);
    working_square_keep_spectrum(p.data(), square.data(), m, W.data(), &margin);
    EXPECT_EQ(expected_square, square) << "m=" << m;

    Limbs expected(m + 4), product = q;
    std::vector<double> W2(W.size());  // its own work area: W keeps the spectrum of p
    working_product(p.data(), q.data(), expected.data(), m, W2.data(), &margin);
    working_product_with_kept(p.data(), product.data(), product.data(), m, W.data(), &margin);  // Q = T
    EXPECT_EQ(expected, product) << "m=" << m;
  }
}

// A product by the spectrum that fft_multiply_keep_first or inv_sqrt left in the work area gives
// fft_multiply's limbs.
TEST(FftMultiply, KeptFirstSpectrumGivesTheSameLimbs) {
  std::mt19937_64 gen = seeded_generator(79);
  for (int32_t n : {16, 512, 1 << 14}) {
    Limbs p = random_limbs(gen, n + 4, 9999);
    p[0] = 5000 + p[0] % 2000;  // in inv_sqrt's range
    const Limbs q = random_limbs(gen, n + 4, 9999), r = random_limbs(gen, n + 4, 9999);
    std::vector<double> W(4 * static_cast<size_t>(n)), W2(W.size());
    rounding_margin margin;
    Limbs expected_pq(n + 4), expected_pr(n + 4), pq(n + 4), pr(n + 4);
    fft_multiply(p.data(), q.data(), expected_pq.data(), n, W2.data(), &margin);
    fft_multiply(p.data(), r.data(), expected_pr.data(), n, W2.data(), &margin);
    fft_multiply_keep_first(p.data(), q.data(), pq.data(), n, W.data(), &margin);
    fft_multiply_kept_first(r.data(), pr.data(), n, W.data(), &margin);
    EXPECT_EQ(expected_pq, pq) << "n=" << n;
    EXPECT_EQ(expected_pr, pr) << "n=" << n;

    Limbs y(n + 4), scratch(n + 4);
    inv_sqrt(p.data(), y.data(), scratch.data(), n, W.data(), &margin);
    fft_multiply_kept_first(r.data(), pr.data(), n, W.data(), &margin);
    EXPECT_EQ(expected_pr, pr) << "after inv_sqrt, n=" << n;
  }
}
