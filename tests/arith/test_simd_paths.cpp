// The products, the Newton iterations and the square root give the same limbs and the same rounding
// margin on every vector path. Paths the processor lacks are skipped.
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
    {"wrapped_multiply (h + 4 limbs in 2h doubles)",
     [](const Limbs& p, const Limbs& q, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       wrapped_multiply(p.data(), limbs / 2 + 4, q.data(), limbs / 2 + 4, out.data(), limbs + 4, limbs, W, margin);
     }},
    {"wrapped_multiply square",
     [](const Limbs& p, const Limbs&, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       wrapped_multiply(p.data(), limbs / 2 + 4, p.data(), limbs / 2 + 4, out.data(), limbs + 4, limbs, W, margin);
     }},
    {"square_root",
     [](const Limbs& p, const Limbs&, Limbs& out, int32_t limbs, double* W, rounding_margin* margin) {
       Limbs y(limbs + 4), scratch(limbs + 4);
       out = p;
       out[0] = 5000 + out[0] % 5000;  // 0.5 .. 1, the drivers' range
       square_root(out.data(), y.data(), scratch.data(), limbs, W, margin);
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
  std::vector<double> W(5 * static_cast<size_t>(limbs));
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
