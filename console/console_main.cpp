#include "console/console_main.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>

#include <cerrno>
#endif

#include "console/console_options.h"
#include "console/physical_memory.h"
#include "console/progress.h"
#include "console/repeat_loop.h"
#include "console/stress/cpu_caches.h"
#include "console/stress/cpu_set.h"
#include "console/stress/size_classes.h"
#include "console/stress/stress_mode.h"
#include "console/stress/stress_worker.h"
#include "console/typed_length.h"
#include "console/usage.h"
#include "core/fft/simd_path.h"
#include "core/numbers/file_replacement.h"

namespace {

// The prompt and the typed length, read as DIGITS is read; refusals on standard output after the
// prompt, as always.
bool ask_length(typed_length* asked) {
  std::printf("length of pi =? ");
  std::fflush(stdout);
  std::string word;
  if (!read_length_word(stdin, &word)) {
    std::printf("no length read: type the number of digits to compute (%d to %d)\n", smallest_length,
                largest_length);
    return false;
  }
  if (!parse_length(word.c_str(), asked)) {
    std::printf("%s\n", invalid_length_text(word.c_str()).c_str());
    return false;
  }
  const std::string refusal = length_refusal(*asked);
  if (!refusal.empty()) std::printf("%s\n", refusal.c_str());
  return refusal.empty();
}

// A standard stream that was closed when the program started is opened on the null device, in the
// direction that fails every use: otherwise the first file the run opens would receive its number,
// and what the program prints would go into that file (the digits' temporary file). Writes to a
// closed standard output still fail, and are still found.
void reserve_standard_streams() {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
#endif
}

// The smallest power of two not below the length asked for, and never below the smallest length.
int32_t run_digits(long long asked) {
  int32_t digits = smallest_length;
  while (digits < asked) digits *= 2;
  return digits;
}

int run_console_program(int argc, const char* const* argv, const console_program& program) {
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
  if (!options.simd.empty() && options.simd != "all") {
    if (char why[160]; !choose_simd_path(options.simd.c_str(), "--simd ", why, sizeof why)) {
      std::fprintf(stderr, "%s: %s\n", program.name, why);
      return exit_refused;
    }
  }
  if (options.version) {
    print_version(program.name);
    return exit_completed;
  }

  int32_t threads = 1;
  if (std::string refusal;
      !thread_count(options.threads, static_cast<int32_t>(allowed_cpus().size()), &threads, &refusal)) {
    std::fprintf(stderr, "%s: %s\n", program.name, refusal.c_str());
    return exit_refused;
  }

  typed_length asked = options.digits_asked;
  if (options.digits_given) {
    const std::string refusal = length_refusal(asked);
    if (!refusal.empty()) {
      std::fprintf(stderr, "%s: %s\n", program.name, refusal.c_str());
      return exit_refused;
    }
  }

  // Records written into pi.txt would destroy it (or the file that replaces it).
  const bool json_to_stdout = options.json_path == "-";
  if (!options.json_path.empty() && !json_to_stdout &&
      names_replaced_file(options.json_path.c_str(), pi_file_name)) {
    std::fprintf(stderr, "%s: --json '%s' refused: it names the digit file %s\n", program.name,
                 options.json_path.c_str(), pi_file_name);
    return exit_refused;
  }

  std::vector<int32_t> cpus;  // of the stress test's workers
  std::vector<int32_t> idle_cpus;
  std::vector<int32_t> sizes;
  size_class_plan classes;
  int32_t workers = 1;  // computing at once
  if (options.stress) {
    // --threads all: one worker on every CPU of the test.
    if (options.threads == "all" && !options.cpus.empty())
      threads = static_cast<int32_t>(options.cpus.size());
    std::string refusal;
    bool accepted = choose_stress_cpus(options, threads, &cpus, &idle_cpus, &refusal);
    if (options.cycle_seconds == 0) workers = static_cast<int32_t>(cpus.size()) / threads;
    if (accepted && !options.size_class.empty()) {
      // The classes are planned per worker: a threaded worker by the caches of its first CPU.
      std::vector<int32_t> firsts;
      std::vector<std::vector<cpu_cache>> caches;
      for (size_t i = 0; i<cpus.size(); i += options.cycle_seconds> 0 ? 1 : threads) {
        firsts.push_back(cpus[i]);
        caches.push_back(cpu_caches(cpus[i]));
      }
      accepted =
          plan_size_class(options.size_class, firsts, caches, options.cycle_seconds > 0, &classes, &refusal);
    }
    if (!accepted) {
      std::fprintf(stderr, "%s: %s\n", program.name, refusal.c_str());
      return exit_refused;
    }
  } else if (!options.digits_given && !ask_length(&asked)) {
    return exit_refused;
  }
  if (!classes.sizes.empty())
    sizes = classes.sizes;
  else
    sizes = {options.digits_given || !options.stress ? run_digits(asked.value) : default_stress_digits};
  const int32_t digits = sizes.back();  // the largest
  if (!check_physical_memory(digits, workers, pi_memory_bytes(digits) + (threads - 1) * pi_thread_bytes))
    return exit_failed;

  // The record file is opened only once the run is accepted: a refusal leaves it as it was.
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
  int exit_status;
  if (options.stress) {
    stress_plan plan{&program, sizes, {}, classes.lines, cpus};
    if (options.simd == "all") {
      for (int path = 0; path < simd_path_count; ++path)
        if (simd_path_supported(static_cast<simd_path>(path))) plan.paths.push_back(static_cast<simd_path>(path));
    } else {
      plan.paths = {selected_simd_path()};
    }
    plan.threads = threads;
    plan.idle_cpus = idle_cpus;
    plan.cycle_seconds = options.cycle_seconds;
    plan.runs_per_worker = options.repeat;
    plan.seconds = options.seconds;
    plan.stop_on_error = options.stop_on_error;
    plan.quiet = options.quiet;
    plan.progress = standard_error_is_terminal();
    plan.json = json;
    plan.json_synced = json && !json_to_stdout;
    exit_status = run_stress_test(plan);
  } else {
    const run_series series{&program, digits, &options, json, standard_error_is_terminal(), threads};
    exit_status = run_repeatedly(series);
  }

  // Every write to the record file is checked here: the error flag keeps the first failure, and the
  // last buffer is written by the close. Records on standard output are checked with it.
  if (json && !json_to_stdout) {
    const bool written = !std::ferror(json);
    if (std::fclose(json) != 0 || !written) {
      std::fprintf(stderr, "%s: the JSON records could not be written to '%s'\n", program.name,
                   options.json_path.c_str());
      if (exit_status != exit_not_verified) exit_status = exit_failed;  // also after a stop by a signal
    }
  }
  return exit_status;
}

// Every line a program prints is part of what its exit status vouches for ("all N runs verified",
// "Total time"), so a write to standard output that failed (a full disk, a closed pipe) fails the
// program: the error flag keeps the first failure, the flush writes the last buffer.
int with_output_checked(const char* program, int exit_status) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return exit_status;
  std::fprintf(stderr, "%s: standard output could not be written\n", program);
  return exit_status == exit_completed ? exit_failed : exit_status;
}

// Memory kept back for the failure of an allocation: the C++ runtime must itself allocate the
// exception that reports the failure, and under a tight limit it could not, and would abort. Any
// thread may reach the handler; the exchange gives the block back once.
std::atomic<void*> allocation_reserve{nullptr};

[[noreturn]] void release_reserve_and_throw() {
  std::free(allocation_reserve.exchange(nullptr));
  throw std::bad_alloc();
}

}  // namespace

int console_main(int argc, const char* const* argv, const console_program& program) {
  // A stress test's worker process: it speaks only to the main process that started it.
  if (argc >= 2 && std::strcmp(argv[1], stress_worker_option) == 0)
    return run_stress_worker(argc - 2, argv + 2, program);
  reserve_standard_streams();
  // The drivers allocate with the C functions and report a shortage themselves; what the front end
  // allocates (options, texts, records) can fail at any moment under a tight memory limit.
  allocation_reserve = std::malloc(64 << 10);
  if (allocation_reserve) {
    std::set_new_handler(release_reserve_and_throw);
    try {
      return with_output_checked(program.name, run_console_program(argc, argv, program));
    } catch (const std::bad_alloc&) {
    }
  }
  std::printf("Memory Allocation Failure!\n");
  return with_output_checked(program.name, exit_failed);
}
