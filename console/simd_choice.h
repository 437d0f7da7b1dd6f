// The vector path of a program's transforms, forced by the environment variable PI_AGM_SIMD
// (sse2, avx2 or avx512; unset or empty: the widest path the processor supports). Shared by the
// console programs and the windowed ones, which call it before any other work.
#pragma once
#include <cstddef>

// Selects the path PI_AGM_SIMD names and returns true, or returns false and leaves a one-line reason
// (no line end) in message when the value names no path or a path this processor lacks; then nothing
// is selected and the program should end with a non-zero status.
bool choose_simd_path(char* message, size_t message_size);
