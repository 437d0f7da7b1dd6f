// The rounding margin of the FFT products: a run-wide maximum, the one piece of process-wide state
// in the core.
//
// doubles_to_limbs rounds every convolution term u = (2/N) a[idx] to the nearest integer. The exact
// term is an integer and u differs from it by the transform's rounding error; the rounding is
// correct while |u - c| < 0.5. What can be observed is d = |u - round(u)|: while d stays well below
// 0.5 every term was rounded to the right integer. A term within d of a half-integer can no longer
// be trusted to round correctly, so a run reads the maximum after its products and checks it
// against a threshold; the sizes a program offers are those whose measured margin stays far from
// 0.5.
//
// The maximum is kept in one process-wide variable because the products are called deep inside
// the Newton iterations and carry no result channel of their own. It is written by the thread that
// runs the computation; one computation runs at a time.
#pragma once

// The largest d seen by doubles_to_limbs since the last reset (0 after a reset); +infinity once a
// term was NaN, infinite or out of range, so that any check of the form !(d <= limit) or d > limit
// fails.
double max_rounding_distance();

// Sets the maximum back to 0, at the start of a run or of a measurement.
void reset_max_rounding_distance();
