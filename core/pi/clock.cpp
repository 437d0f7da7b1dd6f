#include "core/pi/clock.h"

#include <chrono>

int32_t clock_ms() {
  using std::chrono::steady_clock;
  static const steady_clock::time_point origin = steady_clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now() - origin);
  return static_cast<int32_t>(elapsed.count());
}
