#include "core/fft/kernels.h"
