// The command line of the console programs:  PROGRAM [OPTIONS] [DIGITS]
//
//   -h, --help          usage, exit 0
//   --version           program, version, build and vector path, exit 0
//   -q, --quiet         no timing lines; only failures are printed
//   --repeat N          N runs of the same size (N >= 1)
//   --json FILE         one JSON record per run into FILE ("-": standard output after each run)
//   --                  what follows is DIGITS even if it starts with '-'
//   DIGITS              a decimal number with an optional suffix K (x 2^10) or M (x 2^20)
//
// Options may come before or after DIGITS; "--repeat=N" and "--json=FILE" are accepted too.
#pragma once
#include <cstdint>
#include <string>

#include "console/typed_length.h"

struct console_options {
  bool help = false;
  bool version = false;
  bool quiet = false;
  int32_t repeat = 0;          // 0: not asked; the plain single run
  std::string json_path;       // empty: no JSON record
  bool digits_given = false;   // false: the length is asked for on standard input
  typed_length digits_asked;   // DIGITS as given, before rounding
};

// Fills options from argv[1..argc-1]. Returns false on the first unknown option, missing or bad
// option value, bad or second DIGITS, with *error saying which (no program name, no line end).
bool parse_options(int argc, const char* const* argv, console_options* options, std::string* error);
