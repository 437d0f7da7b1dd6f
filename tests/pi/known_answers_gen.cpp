// The generator of the table of known answers (core/pi/known_answers.h), run by
// scripts/generate-known-answers.sh, not by CTest:
//   known_answers_gen FROM_LOG2 TO_LOG2
// computes pi with both programs' drivers at every size 2^FROM_LOG2 .. 2^TO_LOG2 (6 <= FROM <= TO <= 28)
// on the vector path that PI_AGM_SIMD names (default: the widest), in memory and without comparing
// with the table in force, and prints one line per run:
//   direct|squared LOG2 ROUNDING_DISTANCE_BITS DIGEST_0 .. DIGEST_LOG2   (hexadecimal)
// A run that fails any other check (rounding margin, limb range, the digits against pi) ends the
// program with status 1: the table is never made from a wrong run.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "core/fft/simd_path.h"
#include "core/pi/known_answers.h"
#include "core/pi/pi.h"

int main(int argc, char** argv) {
  char why[200];
  if (!choose_simd_path_from_environment(why, sizeof why)) {
    std::fprintf(stderr, "%s\n", why);
    return 2;
  }
  const int from = argc == 3 ? std::atoi(argv[1]) : 0, to = argc == 3 ? std::atoi(argv[2]) : 0;
  if (from < pi_digest_smallest_log2 || to > pi_digest_largest_log2 || from > to) {
    std::fprintf(stderr, "usage: known_answers_gen FROM_LOG2 TO_LOG2 (%d <= FROM <= TO <= %d)\n",
                 pi_digest_smallest_log2, pi_digest_largest_log2);
    return 2;
  }
  pi_events events{};
  events.in_memory = true;
  events.without_known_answers = true;
  for (int log2 = from; log2 <= to; ++log2)
    for (pi_variant variant : {pi_variant::direct, pi_variant::squared}) {
      const bool direct = variant == pi_variant::direct;
      pi_result result;
      const pi_status status =
          (direct ? compute_pi_direct : compute_pi_squared)(int32_t{1} << log2, &events, &result);
      if (status != pi_status::ok) {
        std::fprintf(stderr, "%s 2^%d: the run failed (status %d)\n", direct ? "direct" : "squared", log2,
                     static_cast<int>(status));
        return 1;
      }
      uint64_t bits;
      std::memcpy(&bits, &result.max_rounding_distance, sizeof bits);
      std::printf("%s %d %016llx", direct ? "direct" : "squared", log2,
                  static_cast<unsigned long long>(bits));
      for (int phase = 0; phase <= log2; ++phase)
        std::printf(" %016llx", static_cast<unsigned long long>(result.phase_digests[phase]));
      std::printf("\n");
      std::fflush(stdout);
    }
  return 0;
}
