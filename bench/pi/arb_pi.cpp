// The threaded reference of bench/pi/compare_threads.sh: pi to D decimal digits with Arb (the Chudnovsky
// series by binary splitting on FLINT, arb_const_pi) on THREADS threads of FLINT's pool, and the
// conversion to decimal (arb_get_str), written to a file as the console programs write pi.txt. Arb and
// FLINT are a benchmark dependency only.
//   arb_pi D [THREADS]      (THREADS defaults to 1; the digits go to pi_arb.txt, "31415...", D digits)
#include <arb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const long digits = argc > 1 ? std::atol(argv[1]) : 0;
  const long threads = argc > 2 ? std::atol(argv[2]) : 1;
  const char* file = "pi_arb.txt";
  if (digits < 16 || threads < 1 || argc > 3) {
    std::fprintf(stderr, "usage: arb_pi DIGITS [THREADS]\n");
    return 2;
  }
  flint_set_num_threads(static_cast<int>(threads));
  // log2(10) = 3.3219... bits per digit, and some guard bits so that all D digits come out exact.
  arb_t pi;
  arb_init(pi);
  arb_const_pi(pi, static_cast<slong>(digits * 3.3219280948873623) + 64);
  // "3.14159...": arb_get_str prints only digits the ball guarantees (to one unit of the last), so a
  // shorter text means the precision was too low.
  char* text = arb_get_str(pi, digits, ARB_STR_NO_RADIUS);
  arb_clear(pi);
  const bool complete =
      std::strncmp(text, "3.", 2) == 0 && std::strlen(text) == static_cast<size_t>(digits) + 1;
  std::FILE* out = complete ? std::fopen(file, "w") : nullptr;
  const bool written =
      out && std::fputc('3', out) != EOF && std::fputs(text + 2, out) >= 0 && std::fclose(out) == 0;
  flint_free(text);
  flint_cleanup();
  if (!complete) {
    std::fprintf(stderr, "arb_pi: arb_get_str gave fewer than %ld exact digits\n", digits);
    return 1;
  }
  if (!written) {
    std::fprintf(stderr, "arb_pi: cannot write %s\n", file);
    return 1;
  }
  return 0;
}
