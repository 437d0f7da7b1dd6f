// The conversions between limbs and doubles on 32-byte vectors; compiled with -mavx2.
#include "core/arith/conversion_body.h"

const limb_conversions avx2_conversions = conversions_of<two_points>();
