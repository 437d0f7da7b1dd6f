#include "console/stress/durable_line.h"

#include <ctime>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

bool write_durable_line(std::FILE* f, const std::string& line, bool sync) {
  if (std::fprintf(f, "%s\n", line.c_str()) < 0 || std::fflush(f) != 0) return false;
  if (!sync) return true;
#ifdef _WIN32
  return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) != 0;
#else
  return fsync(fileno(f)) == 0;
#endif
}

std::string utc_time_text() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}
