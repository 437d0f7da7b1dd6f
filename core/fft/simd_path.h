// The vector width of the transforms, chosen at run time: every x86-64 has 16-byte vectors (sse2);
// processors with AVX2 and AVX-512 also get paths with two and four points per vector. Each path is a
// whole transform engine compiled for its width (transform_engine.h); every path gives exactly the same
// doubles (the same operations in the same order, lane by lane), so the choice changes the speed and
// nothing else.
//
// The widest path the processor supports is used unless select_simd_path chose another one before the
// first transform. The selection is process-wide, made once at start, before any thread computes; a
// thread may override it for its own transforms (select_thread_simd_path: a stress test that gives
// each run a path in turn). Every transform then goes through the engine's table, and nothing below
// it asks again.
#pragma once
#include <cstddef>

#include "core/fft/transform_engine.h"

enum class simd_path { sse2, avx2, avx512 };

constexpr int simd_path_count = 3;

// "sse2", "avx2", "avx512": the names of --version, of records and of the variable PI_AGM_SIMD.
const char* simd_path_name(simd_path path);

// The path of that name; false for any other text (names are lower case).
bool simd_path_from_name(const char* name, simd_path* path);

// Whether this processor and its operating system can run the path (sse2 always can).
bool simd_path_supported(simd_path path);

// The widest supported path.
simd_path best_simd_path();

// Selects the engine of every later transform. Precondition: simd_path_supported(path).
void select_simd_path(simd_path path);

// Selects the engine of the calling thread's later transforms, over the process-wide selection.
// Precondition: simd_path_supported(path).
void select_thread_simd_path(simd_path path);

// The path in use on the calling thread: its own, else the one selected, else best_simd_path().
simd_path selected_simd_path();

// The engine of the path in use on the calling thread.
const transform_engine& selected_engine();

// Selects the path of that name (sse2, avx2 or avx512) and returns true, or returns false and leaves a
// one-line reason (no line end) in `why` when the name names no path or a path this processor lacks;
// then nothing is selected. `asked_as` starts the reason: "PI_AGM_SIMD=" or "--simd ".
bool choose_simd_path(const char* name, const char* asked_as, char* why, size_t why_size);

// choose_simd_path with the environment variable PI_AGM_SIMD (unset or empty: the widest path the
// processor supports). The front ends call it before any other work, and so before any thread
// computes, and end the program when it refuses.
bool choose_simd_path_from_environment(char* why, size_t why_size);
