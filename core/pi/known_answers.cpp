#include "core/pi/known_answers.h"

#include <cstring>

namespace {

constexpr uint64_t digest_multiplier = 0x9e3779b97f4a7c15ull;  // odd: the product is a bijection
constexpr uint64_t digest_start = 0xcbf29ce484222325ull;

inline uint64_t digest_step(uint64_t h, uint64_t word) {
  h = (h ^ word) * digest_multiplier;
  return h << 31 | h >> 33;  // high bits back down, where the next product starts mixing
}

inline uint64_t word_at(const int16_t* p, int32_t i) {
  uint64_t word;
  std::memcpy(&word, p + 4 * int64_t{i}, sizeof word);
  return word;
}

}  // namespace

const known_answer& known_answer_for(pi_variant variant, int32_t digits) {
  int32_t log2 = 0;
  while ((int32_t{1} << log2) < digits) ++log2;
  return known_answers[static_cast<int>(variant)][log2 - pi_digest_smallest_log2];
}

uint64_t phase_digest(const int16_t* const* numbers, int32_t count, int32_t limbs) {
  constexpr int32_t lanes = 4;  // chains per number, stepped side by side to overlap their latencies
  const int32_t words = limbs / 4;
  uint64_t folded = digest_start;
  for (int32_t c = 0; c < count; ++c) {
    uint64_t h[lanes];
    for (int32_t l = 0; l < lanes; ++l) h[l] = digest_start + static_cast<uint64_t>(lanes * c + l);
    int32_t i = 0;
    for (; i + lanes <= words; i += lanes)
      for (int32_t l = 0; l < lanes; ++l) h[l] = digest_step(h[l], word_at(numbers[c], i + l));
    for (int32_t l = 0; i + l < words; ++l) h[l] = digest_step(h[l], word_at(numbers[c], i + l));
    for (uint64_t lane : h) folded = digest_step(folded, lane);
  }
  return folded;
}

uint64_t known_answers_digest() {
  uint64_t h = digest_start;
  for (const auto& variant : known_answers)
    for (const known_answer& k : variant) {
      h = digest_step(h, k.rounding_distance_bits);
      for (uint64_t d : k.phase_digests) h = digest_step(h, d);
    }
  return h;
}
