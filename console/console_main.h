// The console entry shared by mevroc and sudel:  PROGRAM [OPTIONS] [DIGITS]
// Without arguments it asks for the number of digits on standard input, turns the answer into a
// power of two, runs the program's AGM driver once and prints its transcript.
#pragma once
#include <cstdint>

#include "core/pi/pi.h"

constexpr int32_t smallest_length = 64;      // 16 limbs: square_root's inverse root takes 8
constexpr int32_t largest_length = 1 << 28;  // the largest size whose products round reliably

using pi_driver = pi_status (*)(int32_t digits, const pi_events* events, pi_result* result);

// Exit statuses of the console programs.
constexpr int exit_completed = 0;     // pi.txt holds the run's digits, verified against pi (a stress
                                      // test: every run verified)
constexpr int exit_failed = 1;        // memory (also too little physical memory), pi.txt not
                                      // creatable or writable, rounding check, JSON records
constexpr int exit_refused = 2;       // the command line or the length was refused; nothing computed
constexpr int exit_not_verified = 3;  // the digits differ from pi, or a phase of the run differs
                                      // from its known answer; pi.txt not replaced
constexpr int exit_hardware_error = 4;  // a stress test whose runs all verified while the hardware
                                        // reported errors (machine checks, memory controllers)
// A stress test stopped by a signal without an error returns 128 + its number: 130, 143.

// What differs between the two console programs.
struct console_program {
  const char* name;     // "mevroc"
  const char* variant;  // what the AGM iterates on, for --help: "on a and b"
  pi_driver compute_pi;
};

// Returns the process exit status above. Every outcome but a completed run prints one line that
// says why; pi.txt is replaced only by a completed run, never by a stress test.
int console_main(int argc, const char* const* argv, const console_program& program);
