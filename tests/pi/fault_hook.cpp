// The fault hook of mevroc_corrupt: how far the final product of a run is moved (see
// core/pi/compute_pi_direct.cpp), read from the environment variable PI_TEST_FAULT:
//   "SHIFT"           every run's final product moved by SHIFT
//   "SHIFT CPU RUN"   only the RUN-th run (1-based) on that CPU, found by asking the system where
//                     the calling thread runs (the workers of a stress test are pinned)
// Without the variable every run is moved by 1: its digits are wrong, its rounding distance not.
#include <atomic>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sched.h>
#endif

namespace {

int current_cpu() {
#ifdef _WIN32
  return static_cast<int>(GetCurrentProcessorNumber());
#else
  return sched_getcpu();
#endif
}

std::atomic<int> runs_on_the_cpu{0};

}  // namespace

double fault_hook_shift() {
  const char* fault = std::getenv("PI_TEST_FAULT");
  double shift = 1.0;
  int cpu = -1, run = 0;
  if (fault && std::sscanf(fault, "%lf %d %d", &shift, &cpu, &run) < 1) return 0.0;
  if (cpu < 0) return shift;
  if (current_cpu() != cpu) return 0.0;
  return runs_on_the_cpu.fetch_add(1) + 1 == run ? shift : 0.0;
}
