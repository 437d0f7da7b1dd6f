#include "console/physical_memory.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

int64_t physical_memory_bytes() {
#ifdef _WIN32
  MEMORYSTATUSEX status;
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return static_cast<int64_t>(status.ullTotalPhys);
#else
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page_size = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return 0;
  return static_cast<int64_t>(pages) * page_size;
#endif
}

bool fits_in_physical_memory(int64_t needed_bytes, int64_t physical_bytes) {
  return physical_bytes <= 0 || needed_bytes <= physical_bytes;
}

std::string physical_memory_refusal(int32_t digits, int32_t workers, int64_t bytes_per_run,
                                    int64_t physical_bytes) {
  char line[240];
  if (workers == 1)
    std::snprintf(line, sizeof line,
                  "length %d refused: it needs %lld bytes of memory, this machine has %lld", digits,
                  static_cast<long long>(bytes_per_run), static_cast<long long>(physical_bytes));
  else
    std::snprintf(
        line, sizeof line,
        "length %d refused: %d workers need %lld bytes of memory (%lld each), this machine has %lld", digits,
        workers, static_cast<long long>(workers * bytes_per_run), static_cast<long long>(bytes_per_run),
        static_cast<long long>(physical_bytes));
  return line;
}

bool check_physical_memory(int32_t digits, int32_t workers, int64_t bytes_per_run) {
  const int64_t physical = physical_memory_bytes();
  // workers <= 65536 and bytes_per_run < 2^32: the product fits.
  if (fits_in_physical_memory(workers * bytes_per_run, physical)) return true;
  std::printf("%s\n", physical_memory_refusal(digits, workers, bytes_per_run, physical).c_str());
  return false;
}
