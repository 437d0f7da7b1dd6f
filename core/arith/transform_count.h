// The transforms that the products make, counted in test builds (PI_COUNT_TRANSFORMS) so that a test
// can state what an AGM iteration costs: every forward or backward transform of a product adds the
// number of doubles it transforms. Divided by 2n (the length of a full product at n limbs), the count
// is the number of full-length transforms; one of n doubles counts as half of one. Other builds count
// nothing and pay nothing.
#pragma once
#include <cstdint>

#ifdef PI_COUNT_TRANSFORMS
extern thread_local int64_t transformed_doubles;  // since the thread started; only ever grows
inline void count_transform(int32_t doubles) { transformed_doubles += doubles; }
#else
inline void count_transform(int32_t) {}
#endif
