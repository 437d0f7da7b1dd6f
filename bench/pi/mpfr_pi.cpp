// A reference of bench/pi/compare_with_references.sh: pi to D decimal digits with MPFR (its own AGM,
// mpfr_const_pi) and the conversion to decimal (mpfr_get_str), written to a file as the console
// programs write pi.txt. MPFR is a benchmark and test dependency only.
//   mpfr_pi D [FILE]      (FILE defaults to pi_mpfr.txt)
#include <mpfr.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const long digits = argc > 1 ? std::atol(argv[1]) : 0;
  const char* file = argc > 2 ? argv[2] : "pi_mpfr.txt";
  if (digits < 16) {
    std::fprintf(stderr, "usage: mpfr_pi DIGITS [FILE]\n");
    return 2;
  }
  // log2(10) = 3.3219... bits per digit, and some guard bits.
  mpfr_t pi;
  mpfr_init2(pi, static_cast<mpfr_prec_t>(digits * 3.3219280948873623) + 64);
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_exp_t exponent;
  char* text = mpfr_get_str(nullptr, &exponent, 10, static_cast<size_t>(digits), pi, MPFR_RNDN);
  std::FILE* out = std::fopen(file, "w");
  const bool written = out && std::fputs(text, out) >= 0 && std::fclose(out) == 0;
  mpfr_free_str(text);
  mpfr_clear(pi);
  if (!written) {
    std::fprintf(stderr, "mpfr_pi: cannot write %s\n", file);
    return 1;
  }
  return 0;
}
