#include "core/fft/simd_path.h"

#include <cassert>
#include <cstring>

namespace {

const char* const path_names[simd_path_count] = {"sse2", "avx2", "avx512"};

// -1 until a path is selected or first asked for.
int selected = -1;

}  // namespace

const char* simd_path_name(simd_path path) { return path_names[static_cast<int>(path)]; }

bool simd_path_from_name(const char* name, simd_path* path) {
  for (int i = 0; i < simd_path_count; ++i)
    if (std::strcmp(name, path_names[i]) == 0) {
      *path = static_cast<simd_path>(i);
      return true;
    }
  return false;
}

// __builtin_cpu_supports also checks that the operating system saves the wide registers (XGETBV).
// __builtin_cpu_init makes the answer valid also before the runtime's own initialisation has run.
bool simd_path_supported(simd_path path) {
  __builtin_cpu_init();
  switch (path) {
    case simd_path::sse2: return true;
    case simd_path::avx2: return __builtin_cpu_supports("avx2");
    case simd_path::avx512: return __builtin_cpu_supports("avx512f");
  }
  return false;
}

simd_path best_simd_path() {
  if (simd_path_supported(simd_path::avx512)) return simd_path::avx512;
  if (simd_path_supported(simd_path::avx2)) return simd_path::avx2;
  return simd_path::sse2;
}

void select_simd_path(simd_path path) {
  assert(simd_path_supported(path));
  selected = static_cast<int>(path);
}

simd_path selected_simd_path() {
  if (selected < 0) selected = static_cast<int>(best_simd_path());
  return static_cast<simd_path>(selected);
}
