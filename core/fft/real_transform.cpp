#include "core/fft/real_transform.h"
