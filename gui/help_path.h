// The path of the help file: readme.txt in the current directory (not the program's directory).
#pragma once
#include <cstddef>

// Writes directory + "\readme.txt" into buffer, which holds `size` bytes. Returns false, and writes
// nothing, when the path and its terminating zero do not fit.
bool build_help_path(char* buffer, size_t size, const char* directory);
