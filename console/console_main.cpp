#include "console/console_main.h"

#include <cctype>
#include <cstdio>

#include "console/simd_choice.h"

namespace {

// Reads one integer as "%d" does (white space and line ends skipped, an optional sign, decimal
// digits; what follows stays unread), but saturates instead of overflowing: any value above
// 2^40 reads as 2^40. Returns false when no digit was found.
bool read_length(long long* value) {
  int c;
  do c = std::getchar(); while (c != EOF && std::isspace(c));
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = std::getchar();
  }
  if (c == EOF || !std::isdigit(c)) return false;
  const long long cap = 1LL << 40;
  long long v = 0;
  for (; c != EOF && std::isdigit(c); c = std::getchar()) v = v < cap ? v * 10 + (c - '0') : cap;
  if (c != EOF) std::ungetc(c, stdin);
  *value = negative ? -v : v;
  return true;
}

}  // namespace

int console_main(void (*compute_pi)(int32_t digits)) {
  if (char why[160]; !choose_simd_path(why, sizeof why)) return std::printf("%s\n", why), 2;
  std::printf("length of pi =? ");
  std::fflush(stdout);
  long long asked = 0;
  if (!read_length(&asked)) {
    std::printf("no length read: type the number of digits to compute (64 to %d)\n", largest_length);
    return 2;
  }
  if (asked > largest_length) {
    std::printf("length %lld refused: the largest length is %d digits\n", asked, largest_length);
    return 2;
  }
  // The smallest power of two not below the answer, and never below the smallest length.
  int32_t digits = smallest_length;
  while (digits < asked) digits *= 2;
  compute_pi(digits);
  return 0;
}
