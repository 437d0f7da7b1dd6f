// The check that keeps a console run out of swap: a run whose buffers exceed the physical memory
// of the machine would page for hours instead of computing, so it is refused before any work.
#pragma once
#include <cstdint>
#include <string>

// The total physical memory of the machine in bytes, or 0 when the platform does not tell
// (sysconf on Linux and other POSIX systems, GlobalMemoryStatusEx on Windows).
int64_t physical_memory_bytes();

// True when a run needing needed_bytes fits in physical_bytes of physical memory. An unknown
// figure (physical_bytes <= 0) lets every run through: the check only refuses what it knows
// cannot fit.
bool fits_in_physical_memory(int64_t needed_bytes, int64_t physical_bytes);

// The one line that refuses `workers` runs of `digits` at once (1 but in a stress test), each
// needing bytes_per_run, on a machine with physical_bytes (no line end).
std::string physical_memory_refusal(int32_t digits, int32_t workers, int64_t bytes_per_run,
                                    int64_t physical_bytes);

// Prints the refusal and returns false when `workers` runs at once do not fit this machine; true
// otherwise.
bool check_physical_memory(int32_t digits, int32_t workers, int64_t bytes_per_run);
