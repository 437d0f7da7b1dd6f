// The digit file pi.txt.
//
// Layout: "PI=3.\n\n", then the decimals of p[0..limbs-1] (four per limb, zero-padded) in lines of
// five groups of ten digits separated by one blank, with an empty line after every 1000 digits of the
// main part (the first floor(limbs/25)*25 limbs). The remaining limbs mod 25 (the tail) are written two
// digits at a time: a blank after every tenth digit, a line end instead after every fiftieth. One
// final line end closes the file. Text mode: CR LF on Windows, LF elsewhere.
#pragma once
#include <cstdint>
#include <cstdio>

// Writes the layout above to an open stream. Returns false if any write failed. A run writes it to
// a temporary file that replaces pi.txt only when complete (core/numbers/file_replacement.h).
bool write_pi_digits(std::FILE* file, const int16_t* p, int32_t limbs);
