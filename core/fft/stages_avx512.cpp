// The stages on 64-byte vectors, four points each; compiled with -mavx512f (not -mfma).
#include "core/fft/bit_reverse_body.h"
#include "core/fft/leaf_body.h"
#include "core/fft/separation_body.h"
#include "core/fft/stage_body.h"
#include "core/fft/stage_paths.h"

const stage_functions stages_avx512 = {plain_stage<four_points, input_as_is>,
                                       plain_stage<four_points, input_conjugated>,
                                       plain_stage<four_points, input_upper_half_zero>,
                                       shifted_stage<four_points>,
                                       split_pass<four_points, input_as_is>,
                                       split_pass<four_points, input_conjugated>,
                                       split_pass<four_points, input_upper_half_zero>,
                                       quarter_kernels<four_points>,
                                       leaf_block<four_points>,
                                       separation_pass<four_points, false>,
                                       separation_pass<four_points, true>,
                                       bit_reverse_tiles<four_points, false>,
                                       bit_reverse_tiles<four_points, true>,
                                       fill_factor_runs<four_points>};
