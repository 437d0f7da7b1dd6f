// Pi's decimals from MPFR, as limbs of four: limbs[i] holds decimals 4i+1..4i+4 of pi = 3.1415...
// (the layout of limbs 1.. of a run's result). An oracle independent of the core's arithmetic.
#pragma once
#include <mpfr.h>

#include <cstdint>
#include <vector>

inline std::vector<int16_t> mpfr_pi_limbs(int64_t limbs) {
  const int64_t decimals = 4 * limbs;
  mpfr_t pi;
  // 64 bits to spare beyond the decimals asked for, so that truncation is exact.
  mpfr_init2(pi, static_cast<mpfr_prec_t>((decimals + 20) * 3.3219280948873623) + 64);
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_exp_t exponent;
  char* s = mpfr_get_str(nullptr, &exponent, 10, static_cast<size_t>(decimals + 10), pi, MPFR_RNDZ);
  std::vector<int16_t> out(static_cast<size_t>(limbs));
  const char* d = s + 1;  // s starts with the integer digit 3
  for (int64_t i = 0; i < limbs; ++i, d += 4)
    out[i] =
        static_cast<int16_t>((d[0] - '0') * 1000 + (d[1] - '0') * 100 + (d[2] - '0') * 10 + (d[3] - '0'));
  mpfr_free_str(s);
  mpfr_clear(pi);
  return out;
}
