#include "core/pi/clock.h"

#include <chrono>

int64_t clock_ms() {
  using std::chrono::steady_clock;
  return std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count();
}
