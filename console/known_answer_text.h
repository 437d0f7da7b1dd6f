// The console's words for a run that left its known answer (pi_status::not_reproducible).
#pragma once
#include <string>

#include "core/pi/pi.h"

// "the start values", "iteration 7" or "the final quotient": phase 0, 1 .. iterations, iterations + 1.
std::string phase_name(int32_t phase, int32_t iterations);

// phase_name of the phase that differed first, or "the largest rounding distance".
std::string differing_phase_name(const pi_result& result);

// "not reproducible: iteration 7 differs from the known answer (the digits may still be right)" ("the
// start values differ ..."); for
// the final quotient and the rounding distance, which are compared after the digits were verified,
// "(the checked digits are right)", and the rounding distance names both values exactly.
std::string not_reproducible_text(const pi_result& result);
