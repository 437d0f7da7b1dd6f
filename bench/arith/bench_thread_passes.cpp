// One thread against several on the passes of a product: a square by fft_multiply (conversion to
// balanced digits, forward transform, pointwise square, backward transform with its rounding, release
// of the carries) of n = 2^from .. 2^to limbs, on one thread and on a team of `threads`, batches taken
// in turns; the figure is the median over the rounds of each round's ratio, one thread / team. Both give
// the same limbs (checked). Then the same for a linear pass, limb_add (carries) followed by limb_half.
// Where the ratio stays near or below 1 a threaded pass does not pay: that is where the thresholds of
// the transforms, the conversions and the linear passes lie. Their constants decide which sizes are
// threaded at all; to time the threaded passes below them, build with smaller ones, e.g.
//   cmake -DCMAKE_CXX_FLAGS="-DPI_THREADED_TRANSFORM_DOUBLES=1024 -DPI_THREADED_CONVERSION_LIMBS=512
//                            -DPI_THREADED_LINEAR_LIMBS=1024"
//   bench_thread_passes [threads [from to]]   (default 2 threads, n = 2^10 .. 2^22)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/arith/arith.h"
#include "core/numbers/limb.h"
#include "core/parallel/work_team.h"

namespace {

using clock_type = std::chrono::steady_clock;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : 0.5 * (v[v.size() / 2 - 1] + v[v.size() / 2]);
}

// Seconds per pass of `reps` passes of P into Out: a square, or the linear passes.
double batch(const std::vector<int16_t>& P, std::vector<int16_t>& Out, int32_t limbs, double* W, int reps,
             work_team* team, bool linear) {
  rounding_margin margin{};
  const auto t0 = clock_type::now();
  for (int r = 0; r < reps; ++r) {
    if (linear) {
      limb_add(P.data(), P.data(), Out.data(), limbs, team);
      limb_half(Out.data(), limbs, team);
    } else {
      fft_multiply(P.data(), P.data(), Out.data(), limbs, W, &margin, team);
    }
  }
  return std::chrono::duration<double>(clock_type::now() - t0).count() / reps;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t threads = argc > 1 ? std::atoi(argv[1]) : 2;
  const int from = argc > 3 ? std::atoi(argv[2]) : 10, to = argc > 3 ? std::atoi(argv[3]) : 22;
  work_team* team = threads >= 2 ? start_work_team(threads) : nullptr;
  if (!team) {
    std::fprintf(stderr, "bench_thread_passes: no team of %d threads\n", threads);
    return 1;
  }
  std::mt19937 gen(1);
  for (bool linear : {false, true}) {
    std::printf("%s\n%10s %10s %12s %12s %9s\n", linear ? "limb_add + limb_half" : "square (fft_multiply)",
                "limbs", "doubles", "1 thread", "team", "1 / team");
    for (int bits = from; bits <= to; ++bits) {
      const int32_t limbs = int32_t{1} << bits;
      std::vector<int16_t> P(limbs + 4), one(limbs + 4), many(limbs + 4);
      std::uniform_int_distribution<int> limb(0, 9999);
      for (int16_t& p : P) p = static_cast<int16_t>(limb(gen));
      P[0] = 1;
      std::vector<double> W(4 * static_cast<size_t>(limbs));
      int reps = 1;
      while (batch(P, one, limbs, W.data(), reps, nullptr, linear) * reps < 0.02) reps *= 2;
      std::vector<double> serial, threaded, ratios;
      for (int round = 0; round < 7; ++round) {
        serial.push_back(batch(P, one, limbs, W.data(), reps, nullptr, linear));
        threaded.push_back(batch(P, many, limbs, W.data(), reps, team, linear));
        ratios.push_back(serial.back() / threaded.back());
      }
      if (one != many) {
        std::fprintf(stderr, "bench_thread_passes: the team's limbs differ at %d limbs\n", limbs);
        return 1;
      }
      std::printf("%10d %10d %10.1f us %10.1f us %9.2f\n", limbs, 2 * limbs, 1e6 * median(serial),
                  1e6 * median(threaded), median(ratios));
    }
  }
  end_work_team(team);
  return 0;
}
