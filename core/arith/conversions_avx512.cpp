// The conversions between limbs and doubles on 64-byte vectors; compiled with -mavx512f.
#include "core/arith/conversion_body.h"

const limb_conversions avx512_conversions = conversions_of<four_points>();
