#include "core/arith/wrapped_product.h"

#include <algorithm>
#include <cassert>

#include "core/arith/fft_multiply.h"
#include "core/arith/transform_count.h"
#include "core/fft/complex_transform.h"
#include "core/fft/convolution.h"
#include "core/numbers/carry_chains.h"

namespace {

// Term idx of a convolution goes to limb idx + 1: walks terms idx = last .. first with their carry,
// storing limb idx + 1 where it lies below out_limbs. Returns the carry out of term `first`.
template <typename Term>
int64_t walk_terms(int16_t* Out, int32_t out_limbs, int32_t first, int32_t last, int64_t carry, Term term) {
  for (int32_t idx = last; idx >= first; --idx) {
    const int64_t s = term(idx) + carry;
    carry = limb_carry_of(s);
    if (idx + 1 < out_limbs) Out[idx + 1] = static_cast<int16_t>(s - 10000 * carry);
  }
  return carry;
}

}  // namespace

void balanced_head(const int16_t* P, int32_t limbs, int32_t count, int64_t* head) {
  const int32_t digits = std::min(count, limbs);
  // A limb in 0..9999 passes on the carry [limb + carry in >= 5000]: a limb other than 4999 decides
  // it alone, and 4999 passes on what it receives. The last limb receives none.
  int32_t j = digits;
  while (j < limbs && P[j] == 4999) ++j;
  int32_t carry = j < limbs && P[j] >= 5000 ? 1 : 0;
  for (int32_t i = digits - 1; i >= 1; --i) {
    const int32_t v = P[i] + carry;
    carry = v >= 5000 ? 1 : 0;
    head[i] = v - 10000 * carry;
  }
  head[0] = P[0] + carry;
  for (int32_t i = digits; i < count; ++i) head[i] = 0;
}

void factor_spectrum(const int16_t* P, int32_t limbs, double* a, int32_t doubles, work_team* team) {
  if (2 * limbs <= doubles) {
    limbs_to_doubles(P, limbs, a, doubles / 2, team);
    convolution_spectrum_upper_half_zero(doubles, a, team);
  } else {
    limbs_to_doubles(P, limbs, a, doubles, team);
    complex_forward(doubles, a, team);
  }
  count_transform(doubles);
}

void release_wrapped(int16_t* Out, int32_t out_limbs, double* a, int32_t doubles, const int16_t* P, int32_t p,
                     const int16_t* Q, int32_t q, rounding_margin* margin, work_team* team) {
  const int32_t wrapped = std::max(0, p + q - 1 - doubles);
  assert(wrapped <= wrapped_terms_max);
  int64_t head_p[wrapped_terms_max], head_q[wrapped_terms_max];
  if (wrapped > 0) {  // before Out is written: Out may overlap P or Q
    balanced_head(P, p, wrapped, head_p);
    balanced_head(Q, q, wrapped, head_q);
  }
  release_wrapped_heads(Out, out_limbs, a, doubles, head_p, head_q, wrapped, margin, team);
}

void release_wrapped_heads(int16_t* Out, int32_t out_limbs, double* a, int32_t doubles, const int64_t* head_p,
                           const int64_t* head_q, int32_t wrapped, rounding_margin* margin, work_team* team) {
  record_rounding(margin, integer_convolution(doubles, a, team));
  count_transform(doubles);
  int64_t tail[wrapped_terms_max];
  for (int32_t k = 0; k < wrapped; ++k) {
    int64_t c = 0;
    for (int32_t i = 0; i <= k; ++i) c += head_p[i] * head_q[k - i];
    tail[k] = static_cast<int64_t>(a[k]) - c;  // c[doubles + k]
    a[k] = static_cast<double>(c);
  }
  // Terms c[0..doubles + wrapped - 1]: a[0..doubles-1], then the tail.
  const int32_t terms = doubles + wrapped;
  auto term = [&](int32_t idx) { return idx < doubles ? static_cast<int64_t>(a[idx]) : tail[idx - doubles]; };
  for (int32_t i = std::max(1, terms + 1); i < out_limbs; ++i) Out[i] = 0;
  if (doubles < 32) {
    Out[0] = static_cast<int16_t>(walk_terms(Out, out_limbs, 0, terms - 1, 0, term));
    return;
  }
  // The last eight terms of a and the tail walked here, their carry added into term doubles - 9;
  // release_limbs then stores limbs 0..doubles-8 from the terms left in a (its vectorised pass).
  const int32_t low = doubles - 8;
  const int64_t carry = walk_terms(Out, out_limbs, low, terms - 1, 0, term);
  a[low - 1] += static_cast<double>(carry);
  std::fill(a + low, a + doubles, 0.0);
  release_limbs(Out, std::min(out_limbs, low + 1), a, doubles, team);
}

void wrapped_multiply(const int16_t* P, int32_t p, const int16_t* Q, int32_t q, int16_t* Out,
                      int32_t out_limbs, int32_t doubles, double* W, rounding_margin* margin,
                      work_team* team) {
  factor_spectrum(P, p, W, doubles, team);
  if (P == Q && p == q) {
    square_spectrum(doubles, W, W, team);
  } else {
    factor_spectrum(Q, q, W + doubles, doubles, team);
    multiply_spectra(doubles, W, W, W + doubles, team);
  }
  release_wrapped(Out, out_limbs, W, doubles, P, p, Q, q, margin, team);
}
