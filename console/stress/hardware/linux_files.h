// The text files of Linux's /proc and /sys that the hardware readers take, all under the directory
// that stands for / (PI_AGM_HARDWARE_ROOT).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The value of PI_AGM_HARDWARE_ROOT without a trailing '/', "" (that is, /) without it.
std::string hardware_root();

// The whole file; false when it cannot be read.
bool read_text(const std::string& path, std::string* text);

// A file of one decimal number (a line end after it); false for anything else, with *why
// ("PATH: not a number").
bool read_number(const std::string& path, int64_t* value, std::string* why);

// The first line of a file, without its line end; "" when it cannot be read.
std::string first_line(const std::string& path);

// The entries of a directory named PREFIX, a number and SUFFIX ("hwmon3", "temp2_label"), by
// number: (number, name).
std::vector<std::pair<int32_t, std::string>> numbered_entries(const std::string& directory, const char* prefix,
                                                              const char* suffix = "");
