#pragma once
#include <cstdint>

// Milliseconds of wall time from a monotonic clock, counted from the first call. Only differences
// are meaningful; they stay correct for runs of up to 24 days.
int32_t clock_ms();
