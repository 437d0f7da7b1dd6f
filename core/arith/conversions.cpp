// The conversions of the selected vector path, once per call.
#include "core/arith/conversions.h"
#include "core/arith/fft_multiply.h"
#include "core/fft/simd_path.h"

namespace {

const limb_conversions& selected_conversions() {
  static const limb_conversions* const by_path[simd_path_count] = {&sse2_conversions, &avx2_conversions,
                                                                   &avx512_conversions};
  return *by_path[static_cast<int>(selected_simd_path())];
}

}  // namespace

void limbs_to_doubles(const int16_t* P, int32_t limbs, double* a, int32_t doubles, work_team* team) {
  selected_conversions().limbs_to_doubles(P, limbs, a, doubles, team);
}

void release_limbs(int16_t* Out, int32_t out_limbs, const double* a, int32_t doubles, work_team* team) {
  selected_conversions().release_limbs(Out, out_limbs, a, doubles, team);
}
