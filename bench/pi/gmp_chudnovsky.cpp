// A reference of bench/pi/compare_with_references.sh: pi to D decimal digits by the Chudnovsky series,
// summed by binary splitting on GMP integers, and its conversion to decimal (mpz_get_str), written to a
// file. The fastest well-known way to compute pi with a general-purpose library; GMP is a benchmark and
// test dependency only.
//   gmp_chudnovsky D [FILE]      (FILE defaults to pi_chudnovsky.txt)
//
//   1/pi = 12 sum_k (-1)^k (6k)! (13591409 + 545140134 k) / ((3k)! (k!)^3 640320^(3k + 3/2))
// Each term is about 14.18 decimal digits smaller than the one before. With
//   p(k) = -(6k - 5)(2k - 1)(6k - 1),  q(k) = k^3 640320^3 / 24,  a(k) = 13591409 + 545140134 k
// (p(0) = q(0) = 1) and, over the terms a <= k < b,
//   P(a, b) = prod p(k),  Q(a, b) = prod q(k),  T(a, b) = sum_k a(k) P(a, k + 1) Q(k + 1, b),
// the halves combine as P = P1 P2, Q = Q1 Q2, T = T1 Q2 + P1 T2, and
//   pi = 426880 sqrt(10005) Q(0, N) / T(0, N).
#include <gmp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct split_sums {
  mpz_t p, q, t;
};

// P, Q, T of the terms a <= k < b (b > a); `need_p` is false for the last term of the whole range,
// whose P is never used.
void split(unsigned long a, unsigned long b, split_sums* s, bool need_p) {
  if (b - a == 1) {
    if (a == 0) {
      mpz_init_set_ui(s->p, 1);
      mpz_init_set_ui(s->q, 1);
    } else {
      mpz_init_set_ui(s->p, 6 * a - 5);
      mpz_mul_ui(s->p, s->p, 2 * a - 1);
      mpz_mul_ui(s->p, s->p, 6 * a - 1);
      mpz_neg(s->p, s->p);
      mpz_init_set_ui(s->q, a);
      mpz_mul_ui(s->q, s->q, a);
      mpz_mul_ui(s->q, s->q, a);
      mpz_mul_ui(s->q, s->q, 10939058860032000ul);  // 640320^3 / 24
    }
    mpz_init_set_ui(s->t, 545140134);
    mpz_mul_ui(s->t, s->t, a);
    mpz_add_ui(s->t, s->t, 13591409);
    mpz_mul(s->t, s->t, s->p);
    return;
  }
  const unsigned long m = a + (b - a) / 2;
  split_sums right;
  split(a, m, s, true);
  split(m, b, &right, need_p);
  mpz_mul(s->t, s->t, right.q);  // T = T1 Q2 + P1 T2
  mpz_mul(right.t, right.t, s->p);
  mpz_add(s->t, s->t, right.t);
  mpz_mul(s->q, s->q, right.q);
  if (need_p) mpz_mul(s->p, s->p, right.p);
  mpz_clears(right.p, right.q, right.t, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const long digits = argc > 1 ? std::atol(argv[1]) : 0;
  const char* file = argc > 2 ? argv[2] : "pi_chudnovsky.txt";
  if (digits < 16) {
    std::fprintf(stderr, "usage: gmp_chudnovsky DIGITS [FILE]\n");
    return 2;
  }
  const unsigned long terms = static_cast<unsigned long>(digits / 14.181647462725477) + 2;
  split_sums s;
  split(0, terms, &s, false);

  // pi 10^(D-1) = 426880 sqrt(10005 10^(2D-2)) Q / T, truncated: D digits "31415...".
  mpz_t root, pi;
  mpz_inits(root, pi, nullptr);
  mpz_ui_pow_ui(root, 10, 2 * static_cast<unsigned long>(digits - 1));
  mpz_mul_ui(root, root, 10005);
  mpz_sqrt(root, root);
  mpz_mul_ui(pi, s.q, 426880);
  mpz_mul(pi, pi, root);
  mpz_tdiv_q(pi, pi, s.t);
  char* text = mpz_get_str(nullptr, 10, pi);

  std::FILE* out = std::fopen(file, "w");
  const bool written = out && std::fputs(text, out) >= 0 && std::fclose(out) == 0;
  void (*free_function)(void*, size_t);
  mp_get_memory_functions(nullptr, nullptr, &free_function);
  free_function(text, std::strlen(text) + 1);
  mpz_clears(root, pi, s.p, s.q, s.t, nullptr);
  if (!written) {
    std::fprintf(stderr, "gmp_chudnovsky: cannot write %s\n", file);
    return 1;
  }
  return 0;
}
