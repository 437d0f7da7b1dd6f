// The console entry shared by mevroc and sudel: asks for the number of digits, turns the answer
// into a power of two and runs the program's AGM driver once.
#pragma once
#include <cstdint>

constexpr int32_t smallest_length = 64;       // the Newton iterations start at 16 limbs
constexpr int32_t largest_length = 1 << 25;   // the largest size whose products round reliably

// Returns the process exit status: 0 after a completed run, 2 when the input is refused
// (one line on standard output says why; pi.txt is not touched).
int console_main(void (*compute_pi)(int32_t digits));
