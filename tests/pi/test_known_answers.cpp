// Every phase of both programs against the table of known answers, at every size up to 2^20 digits
// (2^16 in the Windows build under Wine): a build that computes any other doubles (another compiler's
// contractions, a C library's math in the core, a vector path that differs) fails here. And the phase
// digest itself: one changed limb anywhere changes it.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "core/pi/known_answers.h"
#include "core/pi/pi.h"

namespace {

#ifdef _WIN32
constexpr int largest_checked_log2 = 16;
#else
constexpr int largest_checked_log2 = 20;
#endif

TEST(KnownAnswers, EveryPhaseOfEverySizeMatchesTheTable) {
  pi_events in_memory{};
  in_memory.in_memory = true;
  for (pi_variant variant : {pi_variant::direct, pi_variant::squared})
    for (int log2 = pi_digest_smallest_log2; log2 <= largest_checked_log2; ++log2) {
      const bool direct = variant == pi_variant::direct;
      SCOPED_TRACE(testing::Message() << (direct ? "direct" : "squared") << " 2^" << log2);
      const int32_t digits = int32_t{1} << log2;
      pi_result result;
      const pi_status status = (direct ? compute_pi_direct : compute_pi_squared)(digits, &in_memory, &result);
      EXPECT_EQ(status, pi_status::ok) << "first differing phase " << result.differing_phase;
      // The run compared itself; compare again here, phase by phase, so that a failure names them all.
      const known_answer& known = known_answer_for(variant, digits);
      for (int32_t phase = 0; phase <= log2; ++phase)
        EXPECT_EQ(result.phase_digests[phase], known.phase_digests[phase]) << "phase " << phase;
      uint64_t bits;
      std::memcpy(&bits, &result.max_rounding_distance, sizeof bits);
      EXPECT_EQ(bits, known.rounding_distance_bits)
          << "largest rounding distance " << result.max_rounding_distance;
    }
}

TEST(KnownAnswers, PhaseDigestSeesOneLimbAnywhere) {
  const int32_t limbs = 68;
  std::vector<int16_t> a(limbs, 1234), b(limbs, 0), t(limbs, 9999);
  const int16_t* const state[3] = {a.data(), b.data(), t.data()};
  const uint64_t original = phase_digest(state, 3, limbs);
  EXPECT_EQ(phase_digest(state, 3, limbs), original);
  std::vector<uint64_t> seen{original};
  for (std::vector<int16_t>* number : {&a, &b, &t})
    for (int32_t i : {0, 1, 33, limbs - 1}) {
      (*number)[i] ^= 1;
      const uint64_t changed = phase_digest(state, 3, limbs);
      for (uint64_t earlier : seen) EXPECT_NE(changed, earlier) << "limb " << i;
      seen.push_back(changed);
      (*number)[i] ^= 1;
    }
  const int16_t* const reordered[3] = {t.data(), b.data(), a.data()};  // the same numbers, another order
  EXPECT_NE(phase_digest(reordered, 3, limbs), original);
}

}  // namespace
