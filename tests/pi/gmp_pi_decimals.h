// Pi's decimals from GMP by the Chudnovsky series with binary splitting: an oracle independent
// of the core's arithmetic (and of MPFR's AGM, which the tests check it against). Much faster than
// MPFR at 2^28 decimals.
//
//   pi = 426880 sqrt(10005) / sum_{k>=0} (-1)^k (6k)! (13591409 + 545140134 k) / ((3k)! (k!)^3 640320^(3k))
//
// Each term adds about 14.18 decimals.
#pragma once
#include <gmp.h>

#include <cstdint>
#include <string>

namespace chudnovsky {

struct sums {
  mpz_t p, q, t;
};

// p, q and t of the terms a..b-1 (binary splitting); p only when `need_p`.
inline void split(int64_t a, int64_t b, sums* r, bool need_p) {
  mpz_inits(r->p, r->q, r->t, nullptr);
  if (b - a == 1) {
    if (a == 0) {
      mpz_set_ui(r->p, 1);
      mpz_set_ui(r->q, 1);
    } else {
      mpz_set_si(r->p, 6 * a - 5);
      mpz_mul_si(r->p, r->p, 2 * a - 1);
      mpz_mul_si(r->p, r->p, 6 * a - 1);
      mpz_set_si(r->q, a);
      mpz_mul_si(r->q, r->q, a);
      mpz_mul_si(r->q, r->q, a);
      mpz_mul_ui(r->q, r->q, 10939058860032000ul);  // 640320^3 / 24
    }
    mpz_set_ui(r->t, 545140134);
    mpz_mul_si(r->t, r->t, a);
    mpz_add_ui(r->t, r->t, 13591409);
    mpz_mul(r->t, r->t, r->p);
    if (a & 1) mpz_neg(r->t, r->t);
    return;
  }
  const int64_t m = (a + b) / 2;
  sums left, right;
  split(a, m, &left, true);
  split(m, b, &right, need_p);
  mpz_mul(r->t, right.q, left.t);
  mpz_mul(left.t, left.p, right.t);
  mpz_add(r->t, r->t, left.t);
  mpz_mul(r->q, left.q, right.q);
  if (need_p) mpz_mul(r->p, left.p, right.p);
  mpz_clears(left.p, left.q, left.t, right.p, right.q, right.t, nullptr);
}

}  // namespace chudnovsky

// "3" followed by the first `decimals` decimals of pi, truncated.
inline std::string gmp_pi_digits(int64_t decimals) {
  const int64_t guard = 20;
  const int64_t precision = decimals + guard;
  chudnovsky::sums s;
  chudnovsky::split(0, precision / 14 + 2, &s, false);
  mpz_t x;
  mpz_init(x);
  mpz_ui_pow_ui(x, 10, static_cast<unsigned long>(2 * precision));
  mpz_mul_ui(x, x, 10005);
  mpz_sqrt(x, x);  // floor(sqrt(10005) 10^precision)
  mpz_mul(x, x, s.q);
  mpz_mul_ui(x, x, 426880);
  mpz_tdiv_q(x, x, s.t);  // pi 10^precision, off by a few units in the last guard decimals
  mpz_clears(s.p, s.q, s.t, nullptr);
  char* text = mpz_get_str(nullptr, 10, x);
  mpz_clear(x);
  std::string digits(text, static_cast<size_t>(decimals + 1));
  void (*release)(void*, size_t);
  mp_get_memory_functions(nullptr, nullptr, &release);
  release(text, std::char_traits<char>::length(text) + 1);
  return digits;
}
