#include "core/fft/simd_path.h"

#include <atomic>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const path_names[simd_path_count] = {"sse2", "avx2", "avx512"};
const transform_engine* const engines[simd_path_count] = {&sse2_engine, &avx2_engine, &avx512_engine};

// -1 until a path is selected or first asked for. Atomic, so that two threads that both find no
// selection and store the same default do not race.
std::atomic<int> selected{-1};

// The calling thread's own path, or -1: the process-wide one.
thread_local int thread_selected = -1;

int selected_index() {
  if (thread_selected >= 0) return thread_selected;
  int path = selected.load(std::memory_order_relaxed);
  if (path < 0) {
    path = static_cast<int>(best_simd_path());
    selected.store(path, std::memory_order_relaxed);
  }
  return path;
}

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
  selected.store(static_cast<int>(path), std::memory_order_relaxed);
}

void select_thread_simd_path(simd_path path) {
  assert(simd_path_supported(path));
  thread_selected = static_cast<int>(path);
}

simd_path selected_simd_path() { return static_cast<simd_path>(selected_index()); }

const transform_engine& selected_engine() { return *engines[selected_index()]; }

bool choose_simd_path(const char* name, const char* asked_as, char* why, size_t why_size) {
  simd_path path;
  if (!simd_path_from_name(name, &path)) {
    std::snprintf(why, why_size, "%s%.40s refused: the vector paths are sse2, avx2 and avx512", asked_as, name);
    return false;
  }
  if (!simd_path_supported(path)) {
    std::snprintf(why, why_size, "%s%s refused: this processor cannot run the %s path", asked_as, name, name);
    return false;
  }
  select_simd_path(path);
  return true;
}

bool choose_simd_path_from_environment(char* why, size_t why_size) {
  const char* name = std::getenv("PI_AGM_SIMD");
  if (name == nullptr || name[0] == '\0') {
    select_simd_path(best_simd_path());
    return true;
  }
  return choose_simd_path(name, "PI_AGM_SIMD=", why, why_size);
}
