// The rounding margin of the FFT products of one computation.
//
// Every product rounds each computed term u of its convolution to the nearest integer
// (integer_convolution, core/fft/convolution.h). The exact
// term is an integer and u differs from it by the transform's rounding error; the rounding is
// correct while |u - c| < 0.5. What can be observed is d = |u - round(u)|: while d stays well below
// 0.5 every term was rounded to the right integer. A term within d of a half-integer can no longer
// be trusted to round correctly, so a run reads the maximum after its products and checks it
// against a threshold; the sizes a program offers are those whose measured margin stays far from
// 0.5.
//
// The record belongs to the computation, like its work area W: the driver owns one and lends it to
// every product next to W, so that computations on different threads keep their own maxima.
#pragma once

struct rounding_margin {
  // The largest d seen by the products since the record was made (0 at first); +infinity once a
  // term was NaN, infinite or out of range, so that any check of the form !(d <= limit) or d > limit
  // fails.
  double max_distance = 0.0;
};
