// Products whose factors fill more than half of their transform.
//
// A factor of p limbs and one of q limbs have a linear convolution of p + q - 1 terms c[0..p+q-2]
// (core/arith/fft_multiply.h: c[k] belongs to product limb k + 1). A cyclic convolution of
// `doubles` terms, doubles < p + q - 1, adds each term c[doubles + k] onto c[k]: the least
// significant terms wrap onto the most significant ones. Those are known exactly from the factors'
// first few balanced digits, c[k] = sum_{i <= k} a_i b_{k-i}, so the wrapped sum w[k] = c[k] +
// c[doubles + k] gives back both: c[k] computed, c[doubles + k] = w[k] - c[k]. With G = p + q - 1 -
// doubles wrapped terms (at most wrapped_terms_max), every term of the linear convolution is
// recovered exactly and the product is exact, at the cost of a transform of `doubles` instead of
// 2 doubles.
//
// The Newton steps use this for factors of h + 4 limbs (h working limbs, four guard limbs) in
// transforms of 2h doubles, and of m + 4 limbs in transforms of 2m: seven wrapped terms each.
//
// Factors are limb numbers (core/numbers/limb.h): limbs 1.. in 0..9999, limb 0 up to 32767.
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

struct work_team;

constexpr int32_t wrapped_terms_max = 8;

// a[0..doubles-1] := the spectrum of P[0..limbs-1] as a factor of a cyclic convolution of `doubles`
// terms (limbs <= doubles; the rest zero): the unseparated spectrum of core/fft/convolution.h.
void factor_spectrum(const int16_t* P, int32_t limbs, double* a, int32_t doubles, work_team* team = nullptr);

// Out[0..out_limbs-1] := P[0..p-1] * Q[0..q-1], the exact truncation to out_limbs limbs, from a, the
// spectrum of their product (multiply_spectra or square_spectrum of their factor spectra, `doubles`
// each); a is destroyed. P and Q are read only for their first digits, before Out is written: Out may
// overlap them. Preconditions: p + q - 1 - doubles <= wrapped_terms_max; the product is below 3.2768.
void release_wrapped(int16_t* Out, int32_t out_limbs, double* a, int32_t doubles, const int16_t* P, int32_t p,
                     const int16_t* Q, int32_t q, rounding_margin* margin, work_team* team = nullptr);

// release_wrapped for factors given by their first balanced digits (balanced_head): head_p and
// head_q hold at least `wrapped` = p + q - 1 - doubles of them, for a factor whose limbs are gone.
void release_wrapped_heads(int16_t* Out, int32_t out_limbs, double* a, int32_t doubles, const int64_t* head_p,
                           const int64_t* head_q, int32_t wrapped, rounding_margin* margin,
                           work_team* team = nullptr);

// Out[0..out_limbs-1] := P[0..p-1] * Q[0..q-1] through a cyclic convolution of `doubles` terms, with
// W[0..2 doubles - 1] (P == Q: one forward transform and W[0..doubles - 1]). As release_wrapped.
void wrapped_multiply(const int16_t* P, int32_t p, const int16_t* Q, int32_t q, int16_t* Out,
                      int32_t out_limbs, int32_t doubles, double* W, rounding_margin* margin,
                      work_team* team = nullptr);

// head[0..count-1] := the first count balanced digits of P[0..limbs-1], those that limbs_to_doubles
// writes (zero beyond limb limbs - 1). Reads P from limb count on only as far as the first limb
// that is not 4999.
void balanced_head(const int16_t* P, int32_t limbs, int32_t count, int64_t* head);
