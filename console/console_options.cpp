// A hand-written parser rather than getopt_long or an options library: six options, identical
// behaviour and messages on Linux and Windows (the MinGW runtime's getopt differs in its messages
// and in argument permutation), and no dependency to keep up to date.
#include "console/console_options.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr long long length_cap = 1LL << 40;

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

bool set_digits(const char* argument, console_options* options, std::string* error) {
  if (options->digits_given) {
    *error = std::string("more than one DIGITS argument: '") + argument + "'";
    return false;
  }
  if (!parse_length(argument, &options->digits_asked)) {
    *error =
        std::string("invalid number of digits: '") + argument + "' (use a number, optionally with K or M)";
    return false;
  }
  options->digits_given = true;
  return true;
}

}  // namespace

bool parse_length(const char* text, long long* value) {
  long long v = 0;
  const char* c = text;
  for (; *c >= '0' && *c <= '9'; ++c) v = v < length_cap ? v * 10 + (*c - '0') : length_cap;
  if (c == text) return false;
  int shift = 0;
  if (*c == 'K' || *c == 'k')
    shift = 10, ++c;
  else if (*c == 'M' || *c == 'm')
    shift = 20, ++c;
  if (*c != '\0') return false;
  // v <= 2^40 + 9, so v << 20 stays far below 2^63.
  v <<= shift;
  *value = v < length_cap ? v : length_cap;
  return true;
}

bool parse_options(int argc, const char* const* argv, console_options* options, std::string* error) {
  bool only_digits = false;  // after "--"
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
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
    } else if (takes_value(argument, "--repeat")) {
      const char* value = option_value(argc, argv, &i, "--repeat");
      long long count = 0;
      if (!value) {
        *error = "option '--repeat' needs a number of runs";
        return false;
      }
      // A plain number of 1 to 2^31 - 1 runs; parse_length saturates far above that.
      const size_t length = std::strlen(value);
      if (length == 0 || value[length - 1] < '0' || value[length - 1] > '9' || !parse_length(value, &count) ||
          count < 1 || count > INT32_MAX) {
        *error = std::string("invalid number of runs for '--repeat': '") + value + "'";
        return false;
      }
      options->repeat = static_cast<int32_t>(count);
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
  return true;
}
