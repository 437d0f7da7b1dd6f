// Pointwise products of packed spectra: bins 0 and doubles/2 are real and share A[0], A[1]; every other
// pair (A[i], A[i+1]) is one complex bin.
#include "core/arith/fft_multiply.h"

namespace {

// Out := A (.) B, where Out may be A or B: each bin is read from both before it is written.
void multiply_spectra(const double* A, const double* B, double* Out, int32_t doubles) {
  Out[0] = A[0] * B[0];
  Out[1] = A[1] * B[1];
  for (int32_t i = 2; i < doubles; i += 2) {
    const double ar = A[i], ai = A[i + 1];
    const double br = B[i], bi = B[i + 1];
    Out[i] = ar * br - ai * bi;
    Out[i + 1] = ai * br + ar * bi;
  }
}

}  // namespace

void spectrum_multiply(double* A, const double* B, int32_t doubles) { multiply_spectra(A, B, A, doubles); }

void spectrum_multiply_into(const double* A, double* B, int32_t doubles) {
  multiply_spectra(A, B, B, doubles);
}

void spectrum_square(double* A, int32_t doubles) { spectrum_square_of(A, A, doubles); }

void spectrum_square_of(double* A, const double* B, int32_t doubles) {
  A[0] = B[0] * B[0];
  A[1] = B[1] * B[1];
  for (int32_t i = 2; i < doubles; i += 2) {
    const double br = B[i], bi = B[i + 1];
    A[i] = br * br - bi * bi;
    A[i + 1] = br * bi * 2.0;
  }
}
