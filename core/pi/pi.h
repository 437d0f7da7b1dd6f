// The AGM drivers. Each computes pi to D decimal digits (D a power of two, 64 <= D <= 2^25), prints
// its timing lines on standard output, and writes the D - 4 decimals to pi.txt. Each owns every
// buffer of its run. On failure (memory, pi.txt, or a product whose rounding could not be trusted)
// it prints one line and ends the process with status 1.
#pragma once
#include <cstdint>

void compute_pi_direct(int32_t D);   // Gauss-Legendre on a and b
void compute_pi_squared(int32_t D);  // the same iteration on a^2 and b^2
