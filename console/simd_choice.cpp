#include "console/simd_choice.h"

#include <cstdio>
#include <cstdlib>

#include "core/fft/simd_path.h"

bool choose_simd_path(char* message, size_t message_size) {
  const char* name = std::getenv("PI_AGM_SIMD");
  if (name == nullptr || name[0] == '\0') return true;
  simd_path path;
  if (!simd_path_from_name(name, &path)) {
    std::snprintf(message, message_size, "PI_AGM_SIMD=%.40s refused: the vector paths are sse2, avx2 and avx512",
                  name);
    return false;
  }
  if (!simd_path_supported(path)) {
    std::snprintf(message, message_size, "PI_AGM_SIMD=%s refused: this processor cannot run the %s path", name, name);
    return false;
  }
  select_simd_path(path);
  return true;
}
