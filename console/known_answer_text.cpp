#include "console/known_answer_text.h"

#include <cstdio>

std::string phase_name(int32_t phase, int32_t iterations) {
  if (phase == 0) return "the start values";
  if (phase > iterations) return "the final quotient";
  return "iteration " + std::to_string(phase);
}

std::string differing_phase_name(const pi_result& result) {
  if (result.differing_phase == pi_rounding_differs) return "the largest rounding distance";
  return phase_name(result.differing_phase, result.iterations);
}

std::string not_reproducible_text(const pi_result& result) {
  const int32_t phase = result.differing_phase;
  if (phase == pi_rounding_differs) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "not reproducible: largest rounding distance %.17g, the known answer's %.17g (the "
                  "checked digits are right)",
                  result.max_rounding_distance, result.known_rounding_distance);
    return text;
  }
  const char* verb = phase == 0 ? " differ" : " differs";  // "the start values differ"
  return "not reproducible: " + differing_phase_name(result) + verb + " from the known answer (" +
         (phase > result.iterations ? "the checked digits are right)" : "the digits may still be right)");
}
