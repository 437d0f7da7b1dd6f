#include "core/fft/separation_weights.h"

#include "core/fft/weight_body.h"

int32_t separation_batch_first(int32_t i) { return batch_first<complex_vector>(i); }

void separation_weight_batch(int32_t n, int32_t i, double* w) { weight_batch<complex_vector>(n, i, w); }
