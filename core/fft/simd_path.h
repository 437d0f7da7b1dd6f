// The vector width of the transforms, chosen at run time: every x86-64 has 16-byte vectors (sse2);
// processors with AVX2 and AVX-512 also get paths with two and four points per vector. Every path gives
// exactly the same doubles (the same operations in the same order, lane by lane), so the choice changes
// the speed and nothing else.
//
// The widest path the processor supports is used unless select_simd_path chose another one before the
// first transform. The selection is process-wide; make it at start, before any thread computes.
#pragma once

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

// Selects the path of every later transform. Precondition: simd_path_supported(path).
void select_simd_path(simd_path path);

// The path in use: the one selected, or best_simd_path() if none was.
simd_path selected_simd_path();
