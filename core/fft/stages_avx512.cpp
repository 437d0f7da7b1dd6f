// The stages on 64-byte vectors, four points each; compiled with -mavx512f (not -mfma).
#include "core/fft/stage_body.h"
#include "core/fft/stage_paths.h"

const stage_functions stages_avx512 = {plain_stage<four_points, false>, plain_stage<four_points, true>,
                                      shifted_stage<four_points>};
