#include "core/fft/complex_transform.h"
