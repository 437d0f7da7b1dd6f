#include "gui/help_path.h"

#include <cstring>

bool build_help_path(char* buffer, size_t size, const char* directory) {
  static const char file_name[] = "\\readme.txt";
  const size_t directory_length = std::strlen(directory);
  if (directory_length + sizeof file_name > size)  // sizeof counts the terminating zero
    return false;
  std::memcpy(buffer, directory, directory_length);
  std::memcpy(buffer + directory_length, file_name, sizeof file_name);
  return true;
}
