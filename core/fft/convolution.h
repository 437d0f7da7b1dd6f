// Cyclic convolution of real sequences through their unseparated spectra: the real transform of
// real_transform.h with its separation passes moved into the pointwise product, so that a product
// reads and writes its spectra once there instead of three times.
//
// A real sequence x of n = `doubles` doubles, viewed as N = n/2 points x[2j] + i x[2j+1], has the
// unseparated spectrum Z = complex_forward(x) (complex_transform.h). For two such spectra,
// multiply_spectra forms the unseparated spectrum of the cyclic convolution x * y:
//   complex_backward(multiply_spectra(Z_x, Z_y)) = (n/2) (x * y),
// with, bin by bin, exactly the doubles of real_transform's forward separation of both, their
// pointwise product in the packed layout and real_transform's inverse separation. A spectrum may
// serve several products. doubles: a power of two, 2 <= doubles <= 2^27.
//
// Each takes the computation's team of threads (core/parallel/work_team.h; null: the caller's thread
// alone), which changes no double: the passes are cut into units by the size alone.
#pragma once
#include <cstdint>

struct work_team;

// complex_forward of x whose upper half x[doubles/2..doubles-1] is zero (a zero-padded factor): that
// half is not read, it may hold anything, and the spectrum is the same doubles.
void convolution_spectrum_upper_half_zero(int32_t doubles, double* a, work_team* team = nullptr);

// out := the unseparated spectrum of the convolution of the sequences whose spectra are x and y
// (multiply_spectra; out may be x or y) or x and x (square_spectrum; out may be x).
void multiply_spectra(int32_t doubles, double* out, const double* x, const double* y,
                      work_team* team = nullptr);
void square_spectrum(int32_t doubles, double* out, const double* x, work_team* team = nullptr);

// a := the convolution whose unseparated spectrum a holds, (2/doubles) complex_backward(a), each term
// rounded to the nearest integer. Returns the largest distance of a computed term from its nearest
// integer: while it stays well below 0.5 every term was rounded to the right integer, the exact term
// of a convolution of integers. A term that is NaN, infinite or at least 2^51 in magnitude is stored as
// 0 and counts as +infinity (rounding_body.h). The rounding is part of the backward transform's last
// pass, so it costs no pass of its own.
double integer_convolution(int32_t doubles, double* a, work_team* team = nullptr);

// a[0..doubles-1] := scale a, each rounded to the nearest integer as integer_convolution rounds; returns
// the largest distance in the same way (doubles even).
double round_to_integers(int32_t doubles, double* a, double scale);
