// FFT arithmetic on limb numbers: products through the real FFT, the wrapped products of the
// Newton iterations, the inverse square root, the square root and the reciprocal, and the rounding
// margin that the products record. Everything the drivers need; nothing here allocates.
//
// Limb numbers are those of core/numbers/limb.h: n + 4 limbs, value sum p[i] 10000^-(i+1).
// W is the FFT work area of 4n doubles, owned by the caller and lent to every call; it holds
// nothing of value between calls, so calls sharing one work area run one after another. Every call
// also takes the computation's team of threads (core/parallel/work_team.h), lent with W: the passes
// of its products run on those threads, with the same doubles as on one (null).
#pragma once
#include "core/arith/fft_multiply.h"
#include "core/arith/inv_sqrt.h"
#include "core/arith/reciprocal.h"
#include "core/arith/rounding_margin.h"
#include "core/arith/square_root.h"
#include "core/arith/wrapped_product.h"
