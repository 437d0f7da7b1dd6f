// A reference of bench/pi/compare_with_references.sh: pi to D decimal digits by the Chudnovsky series,
// summed by binary splitting on GMP integers, and its conversion to decimal, written to a file. The
// fastest well-known way to compute pi with a general-purpose library. The series is the tests' GMP
// oracle (tests/pi/gmp_pi_decimals.h), timed here as a program; GMP is a benchmark and test dependency
// only.
//   gmp_chudnovsky D [FILE]      (FILE defaults to pi_chudnovsky.txt)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/pi/gmp_pi_decimals.h"

int main(int argc, char** argv) {
  const long digits = argc > 1 ? std::atol(argv[1]) : 0;
  const char* file = argc > 2 ? argv[2] : "pi_chudnovsky.txt";
  if (digits < 16) {
    std::fprintf(stderr, "usage: gmp_chudnovsky DIGITS [FILE]\n");
    return 2;
  }
  const std::string text = gmp_pi_digits(digits - 1);  // D digits "31415..."
  std::FILE* out = std::fopen(file, "w");
  const bool written = out && std::fputs(text.c_str(), out) >= 0 && std::fclose(out) == 0;
  if (!written) {
    std::fprintf(stderr, "gmp_chudnovsky: cannot write %s\n", file);
    return 1;
  }
  return 0;
}
