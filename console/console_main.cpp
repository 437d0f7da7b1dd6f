#include "console/console_main.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "console/console_options.h"
#include "console/physical_memory.h"
#include "console/progress.h"
#include "console/repeat_loop.h"
#include "console/usage.h"
#include "core/fft/simd_path.h"

namespace {

// Reads one integer as "%d" does (white space and line ends skipped, an optional sign, decimal
// digits; what follows stays unread), but saturates instead of overflowing: any value above
// 2^40 reads as 2^40. Returns false when no digit was found.
bool read_length(long long* value) {
  int c;
  do c = std::getchar();
  while (c != EOF && std::isspace(c));
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

// The prompt and the typed length; refusals on standard output after the prompt, as always.
bool ask_length(long long* asked) {
  std::printf("length of pi =? ");
  std::fflush(stdout);
  if (!read_length(asked)) {
    std::printf("no length read: type the number of digits to compute (%d to %d)\n", smallest_length,
                largest_length);
    return false;
  }
  if (*asked > largest_length) {
    std::printf("length %lld refused: the largest length is %d digits\n", *asked, largest_length);
    return false;
  }
  return true;
}

// The smallest power of two not below the length asked for, and never below the smallest length.
int32_t run_digits(long long asked) {
  int32_t digits = smallest_length;
  while (digits < asked) digits *= 2;
  return digits;
}

}  // namespace

int console_main(int argc, const char* const* argv, const console_program& program) {
  console_options options;
  std::string error;
  if (!parse_options(argc, argv, &options, &error)) {
    print_usage_error(program.name, error.c_str());
    return exit_refused;
  }
  if (options.help) {
    print_help(program.name, program.variant);
    return exit_completed;
  }
  // The vector path is chosen before any work, so that --version and the records name the one in use.
  if (char why[160]; !choose_simd_path_from_environment(why, sizeof why)) {
    std::fprintf(stderr, "%s\n", why);
    return exit_refused;
  }
  if (options.version) {
    print_version(program.name);
    return exit_completed;
  }

  long long asked = options.digits_asked;
  if (options.digits_given && asked > largest_length) {
    std::fprintf(stderr, "%s: length %lld refused: the largest length is %d digits\n", program.name, asked,
                 largest_length);
    return exit_refused;
  }

  // The record file is opened before any work, so that a bad name costs nothing.
  const bool json_to_stdout = options.json_path == "-";
  std::FILE* json = nullptr;
  if (json_to_stdout) {
    json = stdout;
  } else if (!options.json_path.empty()) {
    json = std::fopen(options.json_path.c_str(), "w");
    if (!json) {
      std::fprintf(stderr, "%s: cannot open '%s' for the JSON records\n", program.name,
                   options.json_path.c_str());
      return exit_refused;
    }
  }

  if (!options.digits_given && !ask_length(&asked)) return exit_refused;
  const int32_t digits = run_digits(asked);
  if (!check_physical_memory(digits, pi_memory_bytes(digits))) return exit_failed;
  const run_series series{&program, digits, &options, json, standard_error_is_terminal()};
  int exit_status = run_repeatedly(series);

  if (json && !json_to_stdout) {
    const bool written = !std::ferror(json);
    if (std::fclose(json) != 0 || !written) {
      std::fprintf(stderr, "%s: the JSON records could not be written to '%s'\n", program.name,
                   options.json_path.c_str());
      if (exit_status == exit_completed) exit_status = exit_failed;
    }
  }
  std::fflush(stdout);
  return exit_status;
}
