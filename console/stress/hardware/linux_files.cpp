#include "console/stress/hardware/linux_files.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string hardware_root() {
  const char* stand_in = std::getenv("PI_AGM_HARDWARE_ROOT");
  std::string root = stand_in ? stand_in : "";
  while (!root.empty() && root.back() == '/') root.pop_back();
  return root;
}

bool read_text(const std::string& path, std::string* text) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return false;
  text->clear();
  char block[4096];
  for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) text->append(block, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool read_number(const std::string& path, int64_t* value, std::string* why) {
  std::string text;
  if (!read_text(path, &text)) {
    *why = path + ": " + std::strerror(errno);
    return false;
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0) {
    *why = path + ": not a number";
    return false;
  }
  *value = v;
  return true;
}

std::string first_line(const std::string& path) {
  std::string text;
  if (!read_text(path, &text)) return "";
  return text.substr(0, text.find('\n'));
}

std::vector<std::pair<int32_t, std::string>> numbered_entries(const std::string& directory, const char* prefix,
                                                              const char* suffix) {
  std::vector<std::pair<int32_t, std::string>> entries;
  DIR* d = opendir(directory.c_str());
  if (!d) return entries;
  const size_t length = std::strlen(prefix);
  while (const dirent* e = readdir(d)) {
    if (std::strncmp(e->d_name, prefix, length) != 0) continue;
    const char* number = e->d_name + length;
    const size_t digits = std::strspn(number, "0123456789");
    if (digits == 0 || digits > 6 || std::strcmp(number + digits, suffix) != 0) continue;
    entries.emplace_back(std::atoi(number), e->d_name);
  }
  closedir(d);
  std::sort(entries.begin(), entries.end());
  return entries;
}
