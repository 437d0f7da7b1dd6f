#include "console/progress.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

std::string clock_text(int32_t ms) {
  const int32_t seconds = ms / 1000;
  char text[32];
  if (seconds >= 3600)
    std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  else
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  return text;
}

}  // namespace

int32_t estimated_ms_left(int32_t j, int32_t iterations, int32_t iterations_ms) {
  if (j <= 0) return -1;
  // iterations_ms < 2^31 and iterations - j + 1 <= 32: the product fits in 64 bits.
  return static_cast<int32_t>(int64_t{iterations_ms} * (iterations - j + 1) / j);
}

std::string progress_text(int32_t run, int32_t runs, int32_t j, int32_t iterations, int32_t elapsed_ms,
                          int32_t ms_left) {
  std::string text;
  if (runs > 1) text = "run " + std::to_string(run) + " of " + std::to_string(runs) + ", ";
  text += "iteration " + std::to_string(j) + " of " + std::to_string(iterations) + ", " +
          clock_text(elapsed_ms) + " elapsed";
  // Time left rounded up: "0:00 left" would read as done.
  if (ms_left >= 0) text += ", about " + clock_text(ms_left + 999) + " left";
  return text;
}

std::string stress_progress_text(int32_t elapsed_ms, int32_t runs, int32_t errors, int32_t ms_left) {
  std::string text = clock_text(elapsed_ms) + " elapsed, " + std::to_string(runs) +
                     (runs == 1 ? " run, " : " runs, ") + std::to_string(errors) +
                     (errors == 1 ? " error" : " errors");
  if (ms_left >= 0) text += ", " + clock_text(ms_left + 999) + " left";
  return text;
}

bool standard_error_is_terminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

void draw_progress(progress_line* line, const std::string& text) {
  if (!line->enabled) return;
  const int cover = line->width > text.size() ? static_cast<int>(line->width - text.size()) : 0;
  std::fprintf(stderr, "\r%s%*s", text.c_str(), cover, "");
  if (cover > 0) std::fprintf(stderr, "\r%s", text.c_str());
  std::fflush(stderr);
  line->width = text.size();
}

void erase_progress(progress_line* line) {
  if (!line->enabled || line->width == 0) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(line->width), "");
  std::fflush(stderr);
  line->width = 0;
}
