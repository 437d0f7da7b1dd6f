// The transform engine on 32-byte vectors, two points each; compiled with -mavx2 (not -mfma).
#include "core/fft/engine_body.h"

const transform_engine avx2_engine = engine<two_points>::entries();
