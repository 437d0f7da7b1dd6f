#include "console/usage.h"

#include <cstdio>

#include "console/build_info.h"
#include "console/console_main.h"

void print_help(const char* program, const char* variant) {
  std::printf(
      "Usage: %s [OPTIONS] [DIGITS]\n"
      "Compute pi to DIGITS decimal digits with the Gauss-Legendre AGM %s\n"
      "and write them to pi.txt in the current directory. Without DIGITS the length\n"
      "is read from standard input.\n"
      "\n"
      "DIGITS is rounded up to a power of two from %d to %d; the suffixes K and M\n"
      "multiply by 1024 and 1048576 (1M is 1048576 digits).\n"
      "\n"
      "Options:\n"
      "  -h, --help         show this help and exit\n"
      "      --version      show the version, the build and the vector path, and exit\n"
      "  -q, --quiet        print no timing lines, only failures\n"
      "      --repeat N     compute N times; after each run print its time and whether it\n"
      "                     verified; stop at the first failed run; end with best, median\n"
      "                     and worst time\n"
      "      --json FILE    write one JSON record per run to FILE (- for standard output)\n"
      "\n"
      "Exit status: 0 the digits in pi.txt are right, 1 a run failed (memory, pi.txt,\n"
      "rounding), 2 the command line or the length was refused, 3 the digits differ\n"
      "from pi.\n",
      program, variant, smallest_length, largest_length);
}

void print_version(const char* program) {
  std::printf("%s (pi-agm) %s\nbuild: %s\nvector path: %s\n", program, program_version(),
              build_description().c_str(), vector_path_name());
}

void print_usage_error(const char* program, const char* message) {
  std::fprintf(stderr, "%s: %s\nUsage: %s [OPTIONS] [DIGITS]\nTry '%s --help' for more information.\n",
               program, message, program, program);
}
