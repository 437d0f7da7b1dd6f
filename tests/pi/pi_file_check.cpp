// Checks a digit file against pi computed by MPFR.
//
//   pi_file_check FILE DIGITS [ALLOWED]
//
// FILE must start with "PI=3." and an empty line and hold DIGITS - 4 decimals; at most the last
// ALLOWED of them may differ from pi. By default ALLOWED is what the programs promise: the decimals
// that their verification leaves unchecked (pi_unchecked_decimals), and no more. Prints one line:
// the number of decimals, the position of the first wrong one, and exits 0 when the file passes, 1
// otherwise.
#include <mpfr.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "core/pi/pi_digest.h"

namespace {

// The first `count` decimals of pi, from MPFR with 64 bits to spare, truncated (not rounded).
std::string pi_decimals(long count) {
  mpfr_t pi;
  mpfr_init2(pi, static_cast<mpfr_prec_t>((count + 20) * 3.3219280948873623) + 64);
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_exp_t exponent;
  char* s = mpfr_get_str(nullptr, &exponent, 10, count + 10, pi, MPFR_RNDZ);
  std::string decimals(s + 1, s + 1 + count);  // s starts with the integer digit 3
  mpfr_free_str(s);
  mpfr_clear(pi);
  return decimals;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pi_file_check FILE DIGITS [ALLOWED]\n");
    return 2;
  }
  const long digits = std::atol(argv[2]);
  const long allowed = argc > 3 ? std::atol(argv[3]) : pi_unchecked_decimals;
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const bool crlf = text.compare(0, 9, "PI=3.\r\n\r\n") == 0;
  if (!crlf && text.compare(0, 7, "PI=3.\n\n") != 0) {
    std::printf("%s: no header \"PI=3.\" followed by an empty line\n", argv[1]);
    return 1;
  }
  std::string found;
  for (size_t i = crlf ? 9 : 7; i < text.size(); ++i)
    if (text[i] >= '0' && text[i] <= '9') found += text[i];

  const long expected_count = digits - 4;
  const std::string pi = pi_decimals(expected_count);
  long first_wrong = 0;
  while (first_wrong < expected_count && first_wrong < static_cast<long>(found.size()) &&
         found[first_wrong] == pi[first_wrong])
    ++first_wrong;
  const long wrong_tail = expected_count - first_wrong;
  std::printf("%s: %ld decimals (expected %ld), %ld correct, last %ld wrong (allowed %ld)\n", argv[1],
              static_cast<long>(found.size()), expected_count, first_wrong, wrong_tail, allowed);
  return static_cast<long>(found.size()) == expected_count && wrong_tail <= allowed ? 0 : 1;
}
