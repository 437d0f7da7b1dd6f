#include "core/fft/stages.h"
