// The largest distance of a convolution term from its nearest integer (max_rounding_distance) for
// one fft_multiply of n limbs, n = 2^10 .. 2^max_bits (default 2^24), for the factors that stress
// the transform most:
//   9999^2         all limbs 9999, squared (the largest terms, n 9999^2)
//   9999 x random  all 9999 times uniform random limbs
//   random^2       uniform random limbs times other uniform random limbs
//   32767 x 9999   limb 0 at 32767, the rest 9999, times all 9999 (limb 0 at its upper bound)
// A last column checks the transform itself at each size with a product whose terms are small:
// all limbs 1, squared, gives c[k] = min(k + 1, 2n - 1 - k), whose carried limbs are known exactly.
// A term can be rounded to the wrong integer once this distance reaches 0.5. The distances are
// multiples of the spacing of doubles near the largest term, printed as "ulp": at 2^24 limbs a term
// of n 9999^2 > 2^50 is held to a quarter.
//   bench_rounding_margin [max_bits] [seed]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "core/arith/arith.h"

namespace {

std::vector<int16_t> filled(int32_t count, int16_t lead, int16_t rest) {
  std::vector<int16_t> p(count, rest);
  p[0] = lead;
  return p;
}

std::vector<int16_t> random_limbs(std::mt19937_64& gen, int32_t count) {
  std::uniform_int_distribution<int32_t> digit(0, 9999);
  std::vector<int16_t> p(count);
  for (auto& limb : p) limb = static_cast<int16_t>(digit(gen));
  return p;
}

// The distance recorded by one product, and the product's limbs in out.
double margin_of(const std::vector<int16_t>& P, const std::vector<int16_t>& Q, std::vector<int16_t>& out,
                 int32_t n, double* W, double* seconds) {
  reset_max_rounding_distance();
  const auto t0 = std::chrono::steady_clock::now();
  fft_multiply(P.data(), Q.data(), out.data(), n, W);
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return max_rounding_distance();
}

// (1 - 10^-4n)^2 = 1 - 2 10^-4n + 10^-8n kept to n + 4 limbs: [9999 x (n-1), 9998, 0, 0, 0, 0], or
// one unit less in the last limb, [9999 x (n-1), 9997, 9999, 9999, 9999, 9999].
bool is_square_of_nines(const std::vector<int16_t>& out, int32_t n) {
  for (int32_t i = 0; i < n - 1; ++i)
    if (out[i] != 9999) return false;
  const bool truncation =
      out[n - 1] == 9998 && out[n] == 0 && out[n + 1] == 0 && out[n + 2] == 0 && out[n + 3] == 0;
  const bool one_less =
      out[n - 1] == 9997 && out[n] == 9999 && out[n + 1] == 9999 && out[n + 2] == 9999 && out[n + 3] == 9999;
  return truncation || one_less;
}

// The limbs of (all ones)^2: c[k] = min(k + 1, 2n - 1 - k) carried exactly, c[n+3..n+5] feeding
// the carry only, as fft_multiply does.
bool is_square_of_ones(const std::vector<int16_t>& out, int32_t n) {
  auto c = [n](int64_t k) { return k + 1 < 2 * n - 1 - k ? k + 1 : 2 * n - 1 - k; };
  int64_t carry = 0;
  for (int32_t k = n + 5; k >= n + 3; --k) carry = (c(k) + carry) / 10000;
  for (int32_t k = n + 3; k >= 1; --k) {
    const int64_t t = c(k - 1) + carry;  // below 2^25 + 2^12
    if (out[k] != t % 10000) return false;
    carry = t / 10000;
  }
  return out[0] == carry;
}

}  // namespace

int main(int argc, char** argv) {
  const int max_bits = argc > 1 ? std::atoi(argv[1]) : 24;
  const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20240611ULL;
  std::mt19937_64 gen(seed);
  std::printf("largest |c - round(c)| of one fft_multiply (seed %llu)\n", seed);
  std::printf("%9s %10s %9s | %9s %13s %9s %12s | %8s %12s %s\n", "n limbs", "doubles", "ulp", "9999^2",
              "9999 x random", "random^2", "32767 x 9999", "s/prod", "9999^2 limbs", "1^2 limbs");

  for (int bits = 10; bits <= max_bits; ++bits) {
    const int32_t n = int32_t{1} << bits;
    double* W = new (std::nothrow) double[4 * static_cast<size_t>(n)];
    if (!W) {
      std::printf("cannot allocate the work area for n = %d\n", n);
      return 1;
    }
    const auto nines = filled(n + 4, 9999, 9999);
    const auto top = filled(n + 4, 32767, 9999);
    const auto a = random_limbs(gen, n + 4);
    const auto b = random_limbs(gen, n + 4);
    std::vector<int16_t> out(n + 4);
    double seconds = 0.0;

    const double square = margin_of(nines, nines, out, n, W, &seconds);
    const bool square_ok = is_square_of_nines(out, n);
    const double mixed = margin_of(nines, a, out, n, W, &seconds);
    const double random = margin_of(a, b, out, n, W, &seconds);
    const double lead = margin_of(top, nines, out, n, W, &seconds);
    const auto ones = filled(n + 4, 1, 1);
    double unused = 0.0;
    margin_of(ones, ones, out, n, W, &unused);
    const bool ones_ok = is_square_of_ones(out, n);
    const double largest_term = static_cast<double>(n) * 9999.0 * 9999.0;
    const double ulp = std::ldexp(1.0, std::ilogb(largest_term) - 52);
    std::printf("%9d %10d %9.2e | %9.6f %13.6f %9.6f %12.6f | %8.3f %12s %s\n", n, 2 * n, ulp, square, mixed,
                random, lead, seconds, square_ok ? "exact" : "WRONG", ones_ok ? "exact" : "WRONG");
    std::fflush(stdout);
    delete[] W;
  }
  return 0;
}
