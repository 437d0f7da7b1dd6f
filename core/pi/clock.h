#pragma once
#include <cstdint>

// Milliseconds of wall time from a monotonic clock. Only differences are meaningful. The clock has
// no state of its own (no origin kept from a first call), so runs on several threads share nothing
// through it, and 64 bits do not wrap however long a process runs.
int64_t clock_ms();
