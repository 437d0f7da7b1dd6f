// The cost of turning a product's spectrum into limbs, pass by pass, at n = 2^bits limbs:
//   - integer_convolution (the backward transform with the rounding and the rounding margin in its
//     last pass) against complex_backward followed by a rounding pass of its own (round_to_integers);
//   - release_limbs (carries in interleaved chains) against the plain serial walk;
// each against one whole fft_multiply of the same size.
//   bench_margin_cost [bits]   (default 20: transforms of 2^21 doubles)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "core/arith/arith.h"
#include "core/fft/complex_transform.h"
#include "core/fft/convolution.h"

namespace {

// The serial walk over rounded terms: the same carries, one limb after the other. It must give the
// same limbs.
void release_serially(int16_t* Out, int32_t out_limbs, const double* a, int32_t doubles) {
  auto carry_of = [](int64_t s) -> int64_t {
    const int64_t q = s / 10000;
    return q - (s - 10000 * q < 0 ? 1 : 0);
  };
  int64_t carry = 0;
  for (int32_t idx = doubles - 1; idx >= out_limbs - 1; --idx)
    carry = carry_of(static_cast<int64_t>(a[idx]) + carry);
  for (int32_t k = out_limbs - 1; k >= 1; --k) {
    const int64_t s = static_cast<int64_t>(a[k - 1]) + carry;
    carry = carry_of(s);
    Out[k] = static_cast<int16_t>(s - 10000 * carry);
  }
  Out[0] = static_cast<int16_t>(carry);
}

// The best of `reps` runs of body, each on a fresh copy of `input` in a (the passes destroy it).
template <class Body>
double best_seconds(int reps, const std::vector<double>& input, double* a, Body body) {
  double best = 1e300;
  for (int r = 0; r < reps; ++r) {
    std::copy(input.begin(), input.end(), a);
    const auto t0 = std::chrono::steady_clock::now();
    body();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int bits = argc > 1 ? std::atoi(argv[1]) : 20;
  const int32_t n = int32_t{1} << bits, doubles = 2 * n;
  std::mt19937_64 gen(20240611);
  std::uniform_int_distribution<int32_t> digit(0, 9999);
  std::vector<int16_t> P(n + 4), Q(n + 4), fast(n + 4), serial(n + 4);
  for (int32_t i = 0; i < n + 4; ++i) {
    P[i] = static_cast<int16_t>(digit(gen));
    Q[i] = static_cast<int16_t>(digit(gen));
  }
  std::vector<double> W(4 * static_cast<size_t>(n));
  limbs_spectrum(P.data(), n, W.data());
  limbs_spectrum(Q.data(), n, W.data() + doubles);
  multiply_spectra(doubles, W.data(), W.data(), W.data() + doubles);
  const std::vector<double> spectrum(W.begin(), W.begin() + doubles);
  double* a = W.data();

  const int reps = 30;
  double fused_distance = 0, separate_distance = 0;
  const double fused =
      best_seconds(reps, spectrum, a, [&] { fused_distance = integer_convolution(doubles, a); });
  const double separate = best_seconds(reps, spectrum, a, [&] {
    complex_backward(doubles, a);
    separate_distance = round_to_integers(doubles, a, 2.0 / doubles);
  });
  std::copy(spectrum.begin(), spectrum.end(), a);
  integer_convolution(doubles, a);
  const std::vector<double> terms(a, a + doubles);
  const double release = best_seconds(reps, terms, a, [&] { release_limbs(fast.data(), n + 4, a, doubles); });
  const double walk =
      best_seconds(reps, terms, a, [&] { release_serially(serial.data(), n + 4, a, doubles); });
  rounding_margin margin;
  std::vector<int16_t> out(n + 4);
  std::vector<double> unused(doubles);
  const double product = best_seconds(
      5, terms, unused.data(), [&] { fft_multiply(P.data(), Q.data(), out.data(), n, W.data(), &margin); });

  const bool same = fast == serial && fast == out && fused_distance == separate_distance;
  std::printf("n = %d limbs (transforms of %d doubles), best of %d; one fft_multiply %.3f ms\n", n, doubles,
              reps, product * 1e3);
  std::printf("integer_convolution              %9.3f ms\n", fused * 1e3);
  std::printf("complex_backward, then rounding  %9.3f ms  (%+.2f%% of the product)\n", separate * 1e3,
              100.0 * (separate - fused) / product);
  std::printf("release_limbs                    %9.3f ms\n", release * 1e3);
  std::printf("serial walk                      %9.3f ms  (%+.2f%% of the product)\n", walk * 1e3,
              100.0 * (walk - release) / product);
  std::printf("limbs and distances identical: %s (release %d, product %d, distances %.17g %.17g)\n",
              same ? "yes" : "NO", fast == serial, fast == out, fused_distance, separate_distance);
  return same ? 0 : 1;
}
