#include "core/numbers/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

bool is_directory(const char* path) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat s;  // lstat: a link named like the target is replaced, whatever it points to
  return lstat(path, &s) == 0 && S_ISDIR(s.st_mode);
#endif
}

int process_id() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<int>(getpid());
#endif
}

// The temporary files of a target: "<target>.<process>-<counter>.tmp".
const char temporary_format[] = "%s.%d-%u.tmp";

// True when `name` could be one of temporary_format's names for `target_name`.
bool is_temporary_name(const std::string& name, const std::string& target_name) {
  const std::string head = target_name + ".", tail = ".tmp";
  return name.size() > head.size() + tail.size() && name.compare(0, head.size(), head) == 0 &&
         name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

#ifdef _WIN32
bool is_separator(char c) { return c == '/' || c == '\\'; }
#else
bool is_separator(char c) { return c == '/'; }
#endif

// The absolute form of the directory that holds `path`, and its last component (both in lower case
// on Windows, whose names ignore case); false when the directory does not exist.
bool split_absolute(const char* path, std::string* directory, std::string* name) {
  const std::string text = path;
  size_t end = text.size();
  while (end > 0 && !is_separator(text[end - 1])) --end;
  *name = text.substr(end);
  std::string parent = end == 0 ? "." : text.substr(0, end);
#ifdef _WIN32
  char full[_MAX_PATH];
  if (!_fullpath(full, parent.c_str(), sizeof full)) return false;
  *directory = full;
  const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  for (char& c : *directory) c = c == '/' ? '\\' : lower(c);
  for (char& c : *name) c = lower(c);
  return GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES;
#else
  char* full = realpath(parent.c_str(), nullptr);
  if (!full) return false;
  *directory = full;
  std::free(full);
  return true;
#endif
}

// True when both paths name one existing file (following links).
bool same_file(const char* a, const char* b) {
#ifdef _WIN32
  auto identity = [](const char* path, BY_HANDLE_FILE_INFORMATION* info) {
    const HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(h, info) != 0;
    CloseHandle(h);
    return ok;
  };
  BY_HANDLE_FILE_INFORMATION x, y;
  return identity(a, &x) && identity(b, &y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
#else
  struct stat x, y;
  return stat(a, &x) == 0 && stat(b, &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
#endif
}

// Opens `path` for writing only if it does not exist yet; -1 otherwise.
int create_exclusive(const char* path, bool text) {
#ifdef _WIN32
  return _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | (text ? _O_TEXT : _O_BINARY), _S_IREAD | _S_IWRITE);
#else
  (void)text;
  return open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
}

bool flush_to_disk(std::FILE* f) {
  if (std::fflush(f) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return fsync(fileno(f)) == 0;
#endif
}

bool rename_over(const char* from, const char* to) {
#ifdef _WIN32
  // Another process may hold the target for a moment: a second run replacing it at the same time, a
  // virus scanner reading it. The replacement is tried again for about a second before it fails, as
  // long as our temporary file is still there.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    if (GetFileAttributesA(from) == INVALID_FILE_ATTRIBUTES || is_directory(to)) return false;
    Sleep(50);
  }
  return false;
#else
  return std::rename(from, to) == 0;
#endif
}

// The directory part of `path` ("." when there is none), for syncing the rename itself.
void sync_directory_of(const char* path) {
#ifndef _WIN32
  char directory[260] = ".";
  if (const char* slash = std::strrchr(path, '/')) {
    const size_t length = static_cast<size_t>(slash - path);
    if (length > 0 && length < sizeof directory) {
      std::memcpy(directory, path, length);
      directory[length] = '\0';
    }
  }
  const int fd = open(directory, O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);  // best effort: the rename is done; this only hastens it to the disk
    close(fd);
  }
#else
  (void)path;
#endif
}

}  // namespace

bool begin_file_replacement(file_replacement* r, const char* target, bool text) {
  r->file = nullptr;
  r->temporary[0] = '\0';
  if (std::strlen(target) >= sizeof r->target || is_directory(target)) return false;
  std::strcpy(r->target, target);
  // Unique among processes (the id) and within one (the counter, shared by the threads of the
  // process); an existing name, a stray file of a killed run for instance, is skipped.
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::snprintf(r->temporary, sizeof r->temporary, temporary_format, target, process_id(), counter++);
    const int fd = create_exclusive(r->temporary, text);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      break;
    }
#ifdef _WIN32
    r->file = _fdopen(fd, "w");
#else
    r->file = fdopen(fd, "w");
#endif
    if (r->file) return true;
#ifdef _WIN32
    _close(fd);
#else
    close(fd);
#endif
    std::remove(r->temporary);
    break;
  }
  r->temporary[0] = '\0';
  return false;
}

bool commit_file_replacement(file_replacement* r, bool write_ok) {
  if (!r->file) return false;
  bool ok = write_ok && !std::ferror(r->file) && flush_to_disk(r->file);
  // fclose flushes the last buffer, so a full disk may show only here.
  ok = std::fclose(r->file) == 0 && ok;
  r->file = nullptr;
  if (ok && rename_over(r->temporary, r->target)) {
    r->temporary[0] = '\0';
    sync_directory_of(r->target);
    return true;
  }
  std::remove(r->temporary);
  r->temporary[0] = '\0';
  return false;
}

void discard_file_replacement(file_replacement* r) {
  if (r->file) std::fclose(r->file);
  r->file = nullptr;
  if (r->temporary[0]) std::remove(r->temporary);
  r->temporary[0] = '\0';
}

bool names_replaced_file(const char* path, const char* target) {
  if (same_file(path, target)) return true;
  std::string path_directory, path_name, target_directory, target_name;
  if (!split_absolute(path, &path_directory, &path_name) ||
      !split_absolute(target, &target_directory, &target_name))
    return false;
  return path_directory == target_directory &&
         (path_name == target_name || is_temporary_name(path_name, target_name));
}
