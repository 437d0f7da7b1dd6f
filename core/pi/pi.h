// The AGM drivers. Each computes pi to D decimal digits (D a power of two, 64 <= D <= 2^28), and
// replaces pi.txt with its D - 4 decimals only when every check of the run passed. Each owns every
// buffer of its run. The drivers print nothing and never end the process: they report through the
// events while they run and return how the run ended; the front ends speak.
#pragma once
#include <cstdint>

// How a run ended. The front ends turn each into their own message and exit status.
//   memory       a buffer could not be allocated (nothing else happened)
//   file_open    the temporary file beside pi.txt could not be created, before any arithmetic
//   file_write   writing, flushing or renaming the digits failed; pi.txt left as it was
//   rounding     a product came too close to a half-integer (or NaN): pi.txt left as it was
//   verification the digits differ from pi's known decimals: pi.txt left as it was
//   not_reproducible  the state after a phase, or the largest rounding distance, differs from the
//                known answer of this program and size (core/pi/known_answers.h): the run ended
//                there, pi.txt left as it was
//   cancelled    stop_requested answered true: pi.txt left as it was
//   threads      a thread of the computation could not be created (nothing else happened)
enum class pi_status {
  ok,
  memory,
  file_open,
  file_write,
  rounding,
  verification,
  not_reproducible,
  cancelled,
  threads
};

// What a run reports while it goes; every member may be null. Called on the thread that runs the driver.
struct pi_events {
  void* context;
  // After the buffers and the temporary digit file exist, before any arithmetic.
  void (*started)(void* context, int32_t digits, int64_t memory_bytes);
  // After each phase: 0 = start values, 1..iterations = the AGM iterations,
  // iterations + 1 = final quotient, checks and pi.txt committed.
  void (*phase_done)(void* context, int32_t phase, int32_t iterations, int32_t phase_ms);
  // Polled at every iteration boundary (never while pi.txt is being committed); true ends the
  // run with pi_status::cancelled, its temporary file removed, pi.txt untouched.
  bool (*stop_requested)(void* context);
  // True: the run is checked as any other but its digits stay in memory: no temporary file is
  // created and pi.txt is not touched (file_open and file_write cannot happen). Stress tests.
  bool in_memory = false;
  // True: the phases are digested (pi_result::phase_digests) but not compared with the known answers,
  // so not_reproducible cannot happen. Only for the generator of the table of known answers.
  bool without_known_answers = false;
  // The threads that compute, the caller's included (>= 1). They are created when the run starts and
  // ended when it ends; the digits, the phases' states and the rounding distances are the same for
  // every count.
  int32_t threads = 1;
};

constexpr int32_t pi_max_phases = 32;
struct pi_result {
  int32_t digits;                   // D
  int32_t iterations;               // k - 1
  int64_t memory_bytes;             // 42 (D/4) + 40, the "use memory" figure
  int32_t phase_ms[pi_max_phases];  // phases 0 .. iterations + 1 as far as they ran
  int32_t total_ms;                 // whole run, allocation to release
  double max_rounding_distance;     // largest |term - nearest integer| of the run (NaN propagates)
  double rounding_limit;            // the largest distance a run accepts
  bool verified;                    // digits compared with the built-in table of pi and found right
  int64_t first_wrong_decimal;  // on pi_status::verification: 1-based position of the first decimal of the
                                // first block that differs; otherwise 0
  uint64_t phase_digests[pi_max_phases];  // phases 0 .. iterations + 1 as far as they ran: the digests of
                                          // the state after each (core/pi/known_answers.h)
  // On pi_status::not_reproducible: the first phase whose state differs from the known answer, or
  // pi_rounding_differs when every phase agreed but the largest rounding distance did not.
  int32_t differing_phase;
  double known_rounding_distance;  // the known answer's largest rounding distance
  int32_t threads;                 // the threads that computed (pi_events::threads)
};
constexpr int32_t pi_rounding_differs = -1;

constexpr char pi_file_name[] = "pi.txt";  // the digit file, in the current directory

int64_t pi_memory_bytes(int32_t digits);  // 42 (D/4) + 40: the one place of this formula
// What each thread beyond the caller's adds: the stack its passes touch (some 100 KiB of local
// buffers of factors, tiles and weights), with room to spare. Not part of the "use memory" figure.
constexpr int64_t pi_thread_bytes = 256 << 10;
int32_t pi_iterations(int32_t digits);     // k - 1, with k the smallest integer >= 1 such that 2^k >= D
pi_status compute_pi_direct(int32_t digits, const pi_events* events,
                            pi_result* result);  // Gauss-Legendre on a and b
pi_status compute_pi_squared(int32_t digits, const pi_events* events,
                             pi_result* result);  // the same iteration on a^2 and b^2
