#include "console/usage.h"

#include <cstdio>

#include "console/build_info.h"
#include "console/console_main.h"
#include "console/stress/stress_mode.h"
#include "core/pi/known_answers.h"

void print_help(const char* program, const char* variant) {
  std::printf(
      "Usage: %s [OPTIONS] [DIGITS]\n"
      "Compute pi to DIGITS decimal digits with the Gauss-Legendre AGM %s\n"
      "and write them to pi.txt in the current directory. Without DIGITS the length\n"
      "is read from standard input.\n"
      "\n"
      "DIGITS is rounded up to a power of two from %d to %d; the suffixes K\n"
      "and M multiply by 1024 and 1048576 (1M is 1048576 digits).\n"
      "\n"
      "Options:\n"
      "  -h, --help         show this help and exit\n"
      "      --version      show the version, the build, the vector path and the digest\n"
      "                     of the known answers, and exit\n"
      "  -q, --quiet        print no timing lines, only failures (with --stress: only\n"
      "                     the errors and the last line)\n"
      "      --repeat N     compute N times; after each run print its time and whether\n"
      "                     it verified; stop at the first failed run; end with best,\n"
      "                     median and worst time (with --stress: N runs per worker)\n"
      "      --json FILE    write one JSON record per run to FILE (- for standard\n"
      "                     output)\n"
      "      --simd PATH    the vector path of the transforms: sse2, avx2 or avx512\n"
      "                     (default: the widest the processor has)\n"
      "      --threads N    one computation on N threads (default 1; all: every CPU\n"
      "                     the process may use); the digits and every phase are the\n"
      "                     same for any N\n"
      "\n"
      "Stress test:\n"
      "      --stress       one worker per CPU, each a process pinned to its CPU,\n"
      "                     computes DIGITS (default %d) back to back; every run\n"
      "                     is verified in memory and checked phase by phase against\n"
      "                     the known answers; pi.txt is not written. One line per\n"
      "                     run, a summary per CPU at the end; without --seconds or\n"
      "                     --repeat it runs until Ctrl-C. A worker that crashes or\n"
      "                     hangs is an error of its CPU, and so is a machine check\n"
      "                     that the CPU reports (the hardware's reports are read\n"
      "                     about once a second: machine checks, EDAC, temperatures,\n"
      "                     clocks, throttling)\n"
      "      --threads N    each worker one computation on N threads, pinned to N\n"
      "                     consecutive CPUs, those left over idle (all: one worker\n"
      "                     on every CPU); an error names the worker's CPUs (cpu\n"
      "                     0-7): find the faulty core among them with --cycle 10\n"
      "                     --cpus 0-7\n"
      "      --workers N    N workers on the first N CPUs (with --threads: N sets)\n"
      "      --cpus LIST    the CPUs to test, e.g. 0,2,4-7\n"
      "      --seconds S    start no run after S seconds; the runs in progress finish\n"
      "      --stop-on-error  stop every worker at the first error (else only the\n"
      "                     worker that failed stops)\n"
      "      --cycle S      one worker instead, on one CPU at a time (one per physical\n"
      "                     core), moving to the next every S seconds after its run;\n"
      "                     a CPU that failed is skipped; --repeat N: N rounds\n"
      "      --cycle-order alternate  the CPUs from both ends in turn\n"
      "      --simd all     every vector path the processor has, one per run in turn\n"
      "  With --json FILE each record is synced to the disk before the next run,\n"
      "  between a start record (the plan, the processor, the caches) and an end\n"
      "  record.\n"
      "  In place of DIGITS a size class from the caches: l2 (fits one core's L2), l3\n"
      "  (its share of the L3), ram (four times all the L3), blend (l2 to ram in turn).\n"
      "Memory per worker:",
      program, variant, smallest_length, largest_length, default_stress_digits);
  // The figures of pi_memory_bytes, in MB of 10^6 bytes.
  const char* const sizes[] = {"1M", "4M", "16M", "64M", "256M"};
  const char* const separators[] = {" ", ", ", ", ", ", ", ",\n"};
  for (int i = 0; i < 5; ++i)
    std::printf("%s%lld MB at %s", separators[i],
                static_cast<long long>((pi_memory_bytes(int32_t{1} << (20 + 2 * i)) + 500000) / 1000000),
                sizes[i]);
  std::printf(
      "; the workers together must fit in the physical memory.\n"
      "\n"
      "Exit status: 0 the digits in pi.txt are right (with --stress: every run\n"
      "verified), 1 a run failed (memory, pi.txt, rounding) or standard output could\n"
      "not be written, 2 the command line, the length or the --json file was\n"
      "refused, 3 the digits differ from pi, or a phase of a run differs from its\n"
      "known answer (not reproducible), or a stress worker crashed or hung, 4 a\n"
      "stress test whose runs all verified while the hardware reported errors, 130 or\n"
      "143 a stress test stopped by Ctrl-C or SIGTERM without an error.\n");
}

void print_version(const char* program) {
  std::printf("%s (pi-agm) %s\nbuild: %s\nvector path: %s\nknown answers: %016llx\n", program,
              program_version(), build_description().c_str(), vector_path_name(),
              static_cast<unsigned long long>(known_answers_digest()));
}

void print_usage_error(const char* program, const char* message) {
  std::fprintf(stderr, "%s: %s\nUsage: %s [OPTIONS] [DIGITS]\nTry '%s --help' for more information.\n",
               program, message, program, program);
}
