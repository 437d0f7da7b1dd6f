#include "core/pi/pi_run.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <new>

#include "core/arith/arith.h"
#include "core/numbers/pi_file.h"
#include "core/pi/clock.h"

namespace {

constexpr std::align_val_t work_alignment{64};

void release_buffers(pi_run* run) {
  for (int16_t* p : {run->A, run->B, run->T, run->P, run->S}) delete[] p;
  ::operator delete[](run->W, work_alignment, std::nothrow);
  run->A = run->B = run->T = run->P = run->S = nullptr;
  run->W = nullptr;
}

}  // namespace

void open_pi_run(pi_run* run, int32_t D) {
  run->start_ms = clock_ms();
  run->digits = D;
  run->n = D / 4;
  int32_t k = 1;
  while (D > (int32_t{1} << k)) ++k;
  run->iterations = k - 1;

  const size_t limbs = static_cast<size_t>(run->n) + 4;
  for (int16_t** p : {&run->A, &run->B, &run->T, &run->P, &run->S}) *p = new (std::nothrow) int16_t[limbs];
  run->W = static_cast<double*>(
      ::operator new[](sizeof(double) * 4 * static_cast<size_t>(run->n), work_alignment, std::nothrow));
  if (!run->A || !run->B || !run->T || !run->P || !run->S || !run->W) {
    release_buffers(run);
    std::printf("Memory Allocation Failure!\n");
    std::exit(1);
  }

  std::printf("bx = %d  ", D);
  std::printf("use memory = %d\n", 42 * run->n + 40);
  std::fflush(stdout);
  reset_max_rounding_distance();
}

void close_pi_run(pi_run* run, const int16_t* result, int32_t phase_start_ms) {
  const double margin = max_rounding_distance();
#ifdef PI_REPORT_ROUNDING
  std::fprintf(stderr, "largest rounding distance %.4f\n", margin);
#endif
  if (margin > PI_ROUNDING_LIMIT) {
    // Any pi.txt left here would pass for this run's result.
    std::remove("pi.txt");
    std::printf("rounding error too large (%.3g > %.3g): the digits cannot be trusted, pi.txt not written\n",
                margin, PI_ROUNDING_LIMIT);
    std::exit(1);
  }
  write_pi_file(result + 1, run->n - 1);
  std::printf("-- %dmsec\n", clock_ms() - phase_start_ms);
  release_buffers(run);
  std::printf("Total time : %d msec.\n", clock_ms() - run->start_ms);
  std::fflush(stdout);
}
