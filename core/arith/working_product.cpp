#include "core/arith/working_product.h"

#include "core/arith/fft_multiply.h"
#include "core/fft/convolution.h"

namespace {

// If T[0] = 0, T[0..m+3] := T * 10000 (one limb up, a zero shifted in; m = limbs). Tested once only.
void normalise(int16_t* T, int32_t limbs) {
  if (T[0] != 0) return;
  for (int32_t i = 0; i < limbs + 3; ++i) T[i] = T[i + 1];
  T[limbs + 3] = 0;
}

// T[m..m+3] += H[0..3] (m = limbs), the carry released upwards through T[m-1], T[m-2], ... as far as
// it goes (limb 0 takes what is left, unreduced). H[0] may exceed 9999: a block product whose head
// block is above 1 (X > 1 in inv_sqrt) reaches 32767 there. Adding into four limbs with a single carry
// into T[m-1] would leave a limb of 10000 or more whenever H[0] is that large or T[m-1] is 9999; here
// T's limbs 1..m+3 stay in 0..9999 and the value is the same.
void add_cross_term(int16_t* T, int32_t limbs, const int16_t* H) {
  int32_t cy = 0;  // 0 <= cy <= 4
  for (int32_t i = 3; i >= 0; --i) {
    const int32_t s = T[limbs + i] + H[i] + cy;  // s <= 9999 + 32767 + 4
    cy = s / 10000;
    T[limbs + i] = static_cast<int16_t>(s - 10000 * cy);
  }
  for (int32_t i = limbs - 1; i > 0 && cy != 0; --i) {
    const int32_t s = T[i] + cy;  // s <= 9999 + 4
    cy = s / 10000;
    T[i] = static_cast<int16_t>(s - 10000 * cy);
  }
  T[0] = static_cast<int16_t>(T[0] + cy);
}

// The end of every working product: both cross terms added into T's low limbs, then T normalised.
void add_cross_terms_and_normalise(int16_t* T, int32_t limbs, const int16_t* H1, const int16_t* H2) {
  add_cross_term(T, limbs, H1);
  add_cross_term(T, limbs, H2);
  normalise(T, limbs);
}

}  // namespace

// The block products of every working product run first, in W[0..15], before the main product
// needs W, or below a kept spectrum (W[2 limbs..], limbs >= 8).

void working_product(const int16_t* P, const int16_t* Q, int16_t* T, int32_t limbs, double* W,
                     rounding_margin* margin) {
  int16_t H1[4];
  int16_t H2[4];
  if (P == Q) {
    block_product(P, P + limbs, H1, W, margin);
    fft_multiply(P, P, T, limbs, W, margin);          // one forward transform
    add_cross_terms_and_normalise(T, limbs, H1, H1);  // the cross term head * tail occurs twice in a square
  } else {
    // Both cross terms and both main factors are read before T is written: Q may be T.
    block_product(P, Q + limbs, H1, W, margin);
    block_product(P + limbs, Q, H2, W, margin);
    fft_multiply(P, Q, T, limbs, W, margin);
    add_cross_terms_and_normalise(T, limbs, H1, H2);
  }
}

void working_product_keep_first(const int16_t* P, const int16_t* Q, int16_t* T, int32_t limbs, double* W,
                                rounding_margin* margin) {
  int16_t H1[4];
  int16_t H2[4];
  block_product(P, Q + limbs, H1, W, margin);
  block_product(P + limbs, Q, H2, W, margin);
  fft_multiply_keep_first(P, Q, T, limbs, W, margin);
  add_cross_terms_and_normalise(T, limbs, H1, H2);
}

void working_square_keep_spectrum(const int16_t* P, int16_t* T, int32_t limbs, double* W,
                                  rounding_margin* margin) {
  int16_t H[4];
  block_product(P, P + limbs, H, W, margin);
  limbs_spectrum(P, limbs, W + 2 * limbs);
  square_spectrum(2 * limbs, W, W + 2 * limbs);
  spectrum_to_limbs(T, limbs, W, margin);
  add_cross_terms_and_normalise(T, limbs, H, H);
}

void working_product_with_kept(const int16_t* P, const int16_t* Q, int16_t* T, int32_t limbs, double* W,
                               rounding_margin* margin) {
  int16_t H1[4];
  int16_t H2[4];
  block_product(P, Q + limbs, H1, W, margin);
  block_product(P + limbs, Q, H2, W, margin);
  limbs_spectrum(Q, limbs, W);
  // Q's spectrum times P's gives the doubles of P's times Q's: (qr pr - qi pi, qi pr + qr pi) has the
  // same products, and each sum the same two terms.
  multiply_spectra(2 * limbs, W, W, W + 2 * limbs);
  spectrum_to_limbs(T, limbs, W, margin);
  add_cross_terms_and_normalise(T, limbs, H1, H2);
}
