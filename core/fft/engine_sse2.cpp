// The transform engine on 16-byte vectors, one point each; compiled for every x86-64.
#include "core/fft/engine_body.h"

const transform_engine sse2_engine = engine<complex_vector>::entries();
