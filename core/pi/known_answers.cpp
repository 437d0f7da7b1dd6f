#include "core/pi/known_answers.h"

#include <cstring>

namespace {

constexpr uint64_t digest_multiplier = 0x9e3779b97f4a7c15ull;  // odd: the product is a bijection
constexpr uint64_t digest_start = 0xcbf29ce484222325ull;

// The high bits back down, where the next product starts mixing.
inline uint64_t rotate(uint64_t h) { return h << 31 | h >> 33; }
inline uint64_t digest_step(uint64_t h, uint64_t word) { return rotate((h ^ word) * digest_multiplier); }
// Two words in one step: a bijection of h, of `first` and of `second`, each with the others fixed.
inline uint64_t digest_pair_step(uint64_t h, uint64_t first, uint64_t second) {
  return rotate((h ^ first) * digest_multiplier + second);
}

inline uint64_t word_at(const int16_t* p, int32_t i) {
  uint64_t word;
  std::memcpy(&word, p + 4 * int64_t{i}, sizeof word);
  return word;
}

}  // namespace

const known_answer& known_answer_for(pi_variant variant, int32_t digits) {
  return known_answers[static_cast<int>(variant)][pi_size_row(digits)];
}

uint64_t phase_digest(const int16_t* const* numbers, int32_t count, int32_t limbs) {
  // Every chain of every number is stepped in one loop, so that their multiplications overlap.
  constexpr int32_t lanes = 4;
  const int32_t words = limbs / 4;
  uint64_t h[phase_digest_most_numbers][lanes];
  for (int32_t c = 0; c < count; ++c)
    for (int32_t l = 0; l < lanes; ++l) h[c][l] = digest_start + static_cast<uint64_t>(lanes * c + l);
  int32_t i = 0;
  for (; i + 2 * lanes <= words; i += 2 * lanes)
    for (int32_t c = 0; c < count; ++c)
      for (int32_t l = 0; l < lanes; ++l)
        h[c][l] =
            digest_pair_step(h[c][l], word_at(numbers[c], i + 2 * l), word_at(numbers[c], i + 2 * l + 1));
  for (; i < words; ++i)
    for (int32_t c = 0; c < count; ++c)
      h[c][i % lanes] = digest_step(h[c][i % lanes], word_at(numbers[c], i));
  uint64_t folded = digest_start;
  for (int32_t c = 0; c < count; ++c)
    for (uint64_t lane : h[c]) folded = digest_step(folded, lane);
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
