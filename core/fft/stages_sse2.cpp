// The stages on 16-byte vectors, one point each; every x86-64.
#include "core/fft/bit_reverse_body.h"
#include "core/fft/leaf_body.h"
#include "core/fft/separation_body.h"
#include "core/fft/stage_body.h"
#include "core/fft/stage_paths.h"

const stage_functions stages_sse2 = {plain_stage<complex_vector, input_as_is>,
                                     plain_stage<complex_vector, input_conjugated>,
                                     plain_stage<complex_vector, input_upper_half_zero>,
                                     shifted_stage<complex_vector>,
                                     split_pass<complex_vector, input_as_is>,
                                     split_pass<complex_vector, input_conjugated>,
                                     split_pass<complex_vector, input_upper_half_zero>,
                                     quarter_kernels<complex_vector>,
                                     leaf_block<complex_vector>,
                                     separation_pass<complex_vector, false>,
                                     separation_pass<complex_vector, true>,
                                     bit_reverse_tiles<complex_vector, false>,
                                     bit_reverse_tiles<complex_vector, true>,
                                     fill_factor_runs<complex_vector>};
