// The fault hooks of mevroc_corrupt (see core/pi/compute_pi_direct.cpp), set by the environment
// variable PI_TEST_FAULT:
//   "SHIFT"                 every run's final product moved by SHIFT
//   "SHIFT CPU RUN"         only the RUN-th run (1-based; 0: every run) on that CPU (-1: on any
//                           CPU), found by asking the system where the calling thread runs (the
//                           workers of a stress test are pinned)
//   "phase J" or "phase J CPU RUN"
//                           the last working limb of t changed by one unit at the end of iteration J
//                           (of those runs): a state that leaves the known answer from that phase on
//   "crash CPU RUN"         a write through a null pointer in iteration 1 of those runs: a worker of
//                           a stress test that crashes
//   "hang J CPU RUN"        the run sleeps for ever at the end of iteration J: a worker that hangs
// Without the variable every run's final product is moved by 1: its digits are wrong, its rounding
// distance not.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

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

struct fault {
  enum { shift_product, change_t, crash, hang } kind;
  double shift;  // shift_product: of the final product
  int iteration = 0;
  int cpu = -1;
  int run = 0;
};

fault read_fault() {
  fault f{fault::shift_product, 1.0};
  const char* text = std::getenv("PI_TEST_FAULT");
  if (!text) return f;
  if (std::sscanf(text, "phase %d %d %d", &f.iteration, &f.cpu, &f.run) >= 1) {
    f.kind = fault::change_t;
  } else if (std::sscanf(text, "crash %d %d", &f.cpu, &f.run) == 2) {
    f.kind = fault::crash, f.iteration = 1;
  } else if (std::sscanf(text, "hang %d %d %d", &f.iteration, &f.cpu, &f.run) == 3) {
    f.kind = fault::hang;
  } else if (std::sscanf(text, "%lf %d %d", &f.shift, &f.cpu, &f.run) < 1) {
    f.shift = 0.0;  // unreadable: no fault
  }
  return f;
}

const fault the_fault = read_fault();
std::atomic<int> runs_on_the_cpu{0};

// Whether the calling run is one the fault hits; `counts` when the call is the run's only one of its
// kind (the final product, or iteration 1), so that runs are counted once each.
bool hits_this_run(bool counts) {
  if (the_fault.cpu >= 0 && current_cpu() != the_fault.cpu) return false;
  const int run = counts ? runs_on_the_cpu.fetch_add(1) + 1 : runs_on_the_cpu.load();
  return the_fault.run == 0 || run == the_fault.run;
}

}  // namespace

double fault_hook_shift() {
  if (the_fault.kind != fault::shift_product || the_fault.shift == 0.0) return 0.0;
  return hits_this_run(true) ? the_fault.shift : 0.0;
}

void fault_hook_phase(int32_t j, int16_t* t, int32_t limbs) {
  if (the_fault.kind == fault::shift_product) return;
  const bool hit = hits_this_run(j == 1);
  if (j != the_fault.iteration || !hit) return;
  switch (the_fault.kind) {
    case fault::change_t:
      t[limbs - 1] = static_cast<int16_t>(t[limbs - 1] == 0 ? 1 : t[limbs - 1] - 1);
      break;
    case fault::crash: {
      volatile int16_t* volatile nowhere = nullptr;  // a null the compiler cannot see or drop
      *nowhere = 1;
      break;
    }
    case fault::hang:
      for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
    case fault::shift_product:
      break;
  }
}
