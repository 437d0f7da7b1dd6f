// The transform engine on 64-byte vectors, four points each; compiled with -mavx512f (not -mfma).
#include "core/fft/engine_body.h"

const transform_engine avx512_engine = engine<four_points>::entries();
