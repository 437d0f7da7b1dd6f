#include "console/console_main.h"

#include <cctype>
#include <cstdio>

#include "console/physical_memory.h"

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

void print_started(void*, int32_t digits, int64_t memory_bytes) {
  std::printf("bx = %d  ", digits);
  std::printf("use memory = %lld\n", static_cast<long long>(memory_bytes));
  std::fflush(stdout);
}

// The start values and the final phase print "-- ", the iterations their number.
void print_phase(void*, int32_t phase, int32_t iterations, int32_t phase_ms) {
  if (phase == 0 || phase == iterations + 1)
    std::printf("-- %dmsec\n", phase_ms);
  else
    std::printf("%2d %dmsec\n", phase, phase_ms);
  std::fflush(stdout);
}

// The last line of a run and the exit status of the process.
int report(pi_status status, const pi_result& result) {
  switch (status) {
    case pi_status::ok:
      std::printf("Total time : %d msec.\n", result.total_ms);
      return exit_completed;
    case pi_status::memory:
      std::printf("Memory Allocation Failure!\n");
      return exit_failed;
    case pi_status::file_open:
      std::printf("file open error!\n");
      return exit_failed;
    case pi_status::file_write:
      std::printf("file write error!\n");
      return exit_failed;
    case pi_status::rounding:
      std::printf("rounding error too large (%.3g > %.3g): the digits cannot be trusted, pi.txt not replaced\n",
                  result.max_rounding_distance, result.rounding_limit);
      return exit_failed;
    case pi_status::verification:
      std::printf("verification failed: the digits differ from pi from decimal %lld on, pi.txt not replaced\n",
                  static_cast<long long>(result.first_wrong_decimal));
      return exit_not_verified;
    case pi_status::cancelled:
      std::printf("cancelled: pi.txt not replaced\n");
      return exit_failed;
  }
  return exit_failed;
}

}  // namespace

int console_main(pi_driver compute_pi) {
  std::printf("length of pi =? ");
  std::fflush(stdout);
  long long asked = 0;
  if (!read_length(&asked)) {
    std::printf("no length read: type the number of digits to compute (64 to %d)\n", largest_length);
    return exit_refused;
  }
  if (asked > largest_length) {
    std::printf("length %lld refused: the largest length is %d digits\n", asked, largest_length);
    return exit_refused;
  }
  // The smallest power of two not below the answer, and never below the smallest length.
  int32_t digits = smallest_length;
  while (digits < asked) digits *= 2;
  if (!check_physical_memory(digits, pi_memory_bytes(digits))) return exit_failed;
  const pi_events events{nullptr, print_started, print_phase, nullptr};
  pi_result result{};
  const pi_status status = compute_pi(digits, &events, &result);
  const int exit_status = report(status, result);
  std::fflush(stdout);
  return exit_status;
}
