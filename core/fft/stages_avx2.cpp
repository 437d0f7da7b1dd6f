// The stages on 32-byte vectors, two points each; compiled with -mavx2 (not -mfma).
#include "core/fft/bit_reverse_body.h"
#include "core/fft/leaf_body.h"
#include "core/fft/separation_body.h"
#include "core/fft/stage_body.h"
#include "core/fft/stage_paths.h"

const stage_functions stages_avx2 = {plain_stage<two_points, input_as_is>,
                                     plain_stage<two_points, input_conjugated>,
                                     plain_stage<two_points, input_upper_half_zero>,
                                     shifted_stage<two_points>,
                                     split_pass<two_points, input_as_is>,
                                     split_pass<two_points, input_conjugated>,
                                     split_pass<two_points, input_upper_half_zero>,
                                     quarter_kernels<two_points>,
                                     leaf_block<two_points>,
                                     separation_pass<two_points, false>,
                                     separation_pass<two_points, true>,
                                     bit_reverse_tiles<two_points, false>,
                                     bit_reverse_tiles<two_points, true>,
                                     fill_factor_runs<two_points>};
