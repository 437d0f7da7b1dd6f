// A hand-written parser rather than getopt_long or an options library: a dozen options, identical
// behaviour and messages on Linux and Windows (the MinGW runtime's getopt differs in its messages
// and in argument permutation), and no dependency to keep up to date.
#include "console/console_options.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "console/stress/cpu_set.h"

namespace {

// "--name=value" or "--name value": the value of a long option that takes one, or null.
// *index moves past the arguments used.
const char* option_value(int argc, const char* const* argv, int* index, const char* name) {
  const char* argument = argv[*index];
  const size_t length = std::strlen(name);
  if (std::strncmp(argument, name, length) != 0) return nullptr;
  if (argument[length] == '=') return argument + length + 1;
  if (argument[length] != '\0' || *index + 1 >= argc) return nullptr;
  return argv[++*index];
}

bool takes_value(const char* argument, const char* name) {
  const size_t length = std::strlen(name);
  return std::strncmp(argument, name, length) == 0 && (argument[length] == '\0' || argument[length] == '=');
}

// A plain decimal number from 1 to largest; false for anything else.
bool parse_count(const char* text, int32_t largest, int32_t* count) {
  int64_t v = 0;
  const char* c = text;
  for (; *c >= '0' && *c <= '9' && v <= largest; ++c) v = v * 10 + (*c - '0');
  if (c == text || *c != '\0' || v < 1 || v > largest) return false;
  *count = static_cast<int32_t>(v);
  return true;
}

bool set_digits(const char* argument, console_options* options, std::string* error) {
  if (options->digits_given || !options->size_class.empty()) {
    *error = std::string("more than one DIGITS argument: '") + argument + "'";
    return false;
  }
  for (const char* name : {"l2", "l3", "ram", "blend"})
    if (std::strcmp(argument, name) == 0) {
      options->size_class = name;
      return true;
    }
  if (!parse_length(argument, &options->digits_asked)) {
    *error = invalid_length_text(argument);
    return false;
  }
  options->digits_given = true;
  return true;
}

}  // namespace

bool parse_options(int argc, const char* const* argv, console_options* options, std::string* error) {
  // The options that take a whole number, and what it counts.
  const struct {
    const char* name;
    const char* what;
    int32_t* value;
  } counts[] = {{"--repeat", "runs", &options->repeat},
                {"--workers", "workers", &options->workers},
                {"--seconds", "seconds", &options->seconds},
                {"--cycle", "seconds", &options->cycle_seconds}};
  bool only_digits = false;  // after "--"
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    const auto count = std::find_if(std::begin(counts), std::end(counts),
                                    [&](const auto& c) { return takes_value(argument, c.name); });
    if (only_digits || argument[0] != '-' || argument[1] == '\0') {
      if (!set_digits(argument, options, error)) return false;
    } else if (std::strcmp(argument, "--") == 0) {
      only_digits = true;
    } else if (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0) {
      options->help = true;
    } else if (std::strcmp(argument, "--version") == 0) {
      options->version = true;
    } else if (std::strcmp(argument, "-q") == 0 || std::strcmp(argument, "--quiet") == 0) {
      options->quiet = true;
    } else if (std::strcmp(argument, "--stress") == 0) {
      options->stress = true;
    } else if (std::strcmp(argument, "--stop-on-error") == 0) {
      options->stop_on_error = true;
    } else if (count != std::end(counts)) {
      const char* value = option_value(argc, argv, &i, count->name);
      if (!value) {
        *error = std::string("option '") + count->name + "' needs a number of " + count->what;
        return false;
      }
      if (!parse_count(value, INT32_MAX, count->value)) {
        *error =
            std::string("invalid number of ") + count->what + " for '" + count->name + "': '" + value + "'";
        return false;
      }
    } else if (takes_value(argument, "--cpus")) {
      const char* value = option_value(argc, argv, &i, "--cpus");
      if (!value) {
        *error = "option '--cpus' needs a list of CPUs, e.g. 0,2,4-7";
        return false;
      }
      if (!parse_cpu_list(value, &options->cpus)) {
        *error = std::string("invalid list of CPUs for '--cpus': '") + value +
                 "' (numbers and ranges, each CPU once, e.g. 0,2,4-7)";
        return false;
      }
    } else if (takes_value(argument, "--simd")) {
      const char* value = option_value(argc, argv, &i, "--simd");
      if (!value || *value == '\0') {
        *error = "option '--simd' needs a vector path: sse2, avx2, avx512 (with --stress also all)";
        return false;
      }
      options->simd = value;
    } else if (takes_value(argument, "--threads")) {
      const char* value = option_value(argc, argv, &i, "--threads");
      if (!value || *value == '\0') {
        *error = "option '--threads' needs a number of threads, or all";
        return false;
      }
      options->threads = value;
    } else if (takes_value(argument, "--cycle-order")) {
      const char* value = option_value(argc, argv, &i, "--cycle-order");
      if (!value || (std::strcmp(value, "cores") != 0 && std::strcmp(value, "alternate") != 0)) {
        *error = std::string("option '--cycle-order' needs cores or alternate") +
                 (value ? std::string(", not '") + value + "'" : "");
        return false;
      }
      options->cycle_order = value;
    } else if (takes_value(argument, "--json")) {
      const char* value = option_value(argc, argv, &i, "--json");
      if (!value || *value == '\0') {
        *error = "option '--json' needs a file name (or - for standard output)";
        return false;
      }
      options->json_path = value;
    } else {
      *error = std::string("unknown option '") + argument + "'";
      return false;
    }
  }
  if (!options->stress) {
    const char* stress_only = options->workers            ? "--workers"
                              : !options->cpus.empty()    ? "--cpus"
                              : options->seconds          ? "--seconds"
                              : options->stop_on_error    ? "--stop-on-error"
                              : options->cycle_seconds    ? "--cycle"
                              : options->simd == "all"    ? "--simd all"
                                                          : nullptr;
    if (stress_only) {
      *error = std::string("option '") + stress_only + "' needs --stress";
      return false;
    }
    if (!options->size_class.empty()) {
      *error = "size class '" + options->size_class + "' needs --stress (else give DIGITS)";
      return false;
    }
  }
  if (!options->cycle_order.empty() && !options->cycle_seconds) {
    *error = "option '--cycle-order' needs --cycle";
    return false;
  }
  if (options->cycle_seconds && options->workers) {
    *error = "options '--cycle' and '--workers' exclude each other: --cycle runs one worker";
    return false;
  }
  return true;
}

bool thread_count(const std::string& asked, int32_t allowed_cpus, int32_t* threads, std::string* refusal) {
  if (asked.empty() || asked == "all") {
    *threads = asked.empty() ? 1 : allowed_cpus;
    return true;
  }
  int32_t count = 0;
  if (!parse_count(asked.c_str(), INT32_MAX, &count)) {
    *refusal = "invalid number of threads for '--threads': '" + asked + "' (a count from 1 to " +
               std::to_string(allowed_cpus) + ", or all)";
    return false;
  }
  if (count > allowed_cpus) {
    *refusal = "--threads " + asked + " refused: this process may use " + std::to_string(allowed_cpus) +
               (allowed_cpus == 1 ? " CPU" : " CPUs");
    return false;
  }
  *threads = count;
  return true;
}
