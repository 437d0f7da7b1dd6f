// The stages on 32-byte vectors, two points each; compiled with -mavx2 (not -mfma).
#include "core/fft/stage_body.h"
#include "core/fft/stage_paths.h"

const stage_functions stages_avx2 = {plain_stage<two_points, false>, plain_stage<two_points, true>,
                                      shifted_stage<two_points>};
