// The conversions between limbs and doubles on 16-byte vectors; compiled for every x86-64.
#include "core/arith/conversion_body.h"

const limb_conversions sse2_conversions = conversions_of<complex_vector>();
