#include "core/fft/bit_reverse.h"
