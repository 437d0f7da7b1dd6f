// For the integrator: a stand-in until the core's atomic file writer is merged; then replace_file
// becomes a call of it.
#include "gui/replace_file.h"

#include <fcntl.h>

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#define close_file _close
#define flush_file _commit
#define write_file _write
#define process_id _getpid
#else
#include <unistd.h>
#define close_file close
#define flush_file fsync
#define write_file write
#define process_id getpid
#endif

bool replace_file(const char* name, const char* bytes, size_t size) {
  // A name of our own in the same directory (so that the rename stays on one file system); an
  // exclusive create never reuses a file of another program.
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = std::string(name) + ".tmp" + std::to_string(process_id()) + "_" + std::to_string(attempt);
    fd = open(temporary.c_str(),
              O_WRONLY | O_CREAT | O_EXCL
#ifdef _WIN32
                  | O_BINARY
#endif
              ,
              0644);
  }
  if (fd < 0) return false;

  bool written = true;
  for (size_t done = 0; written && done < size;) {
    const auto n = write_file(fd, bytes + done, unsigned(size - done));
    written = n > 0;
    if (written) done += size_t(n);
  }
  written = written && flush_file(fd) == 0;
  written = close_file(fd) == 0 && written;
#ifdef _WIN32
  const bool renamed = written && MoveFileExA(temporary.c_str(), name, MOVEFILE_REPLACE_EXISTING) != 0;
#else
  const bool renamed = written && std::rename(temporary.c_str(), name) == 0;
#endif
  if (!renamed) std::remove(temporary.c_str());
  return renamed;
}
