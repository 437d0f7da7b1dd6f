// A line that survives the crash it may be looking for: written, flushed to the system and synced to
// the disk (fsync; Windows FlushFileBuffers) before the caller goes on, so that after a machine dies
// every line written before is in the file whole, and the missing last lines tell when it died.
#pragma once
#include <cstdio>
#include <string>

// Writes line and a line end to f and, when sync, waits until the disk holds them. False when a step
// failed (the stream's error flag also keeps a failed write).
bool write_durable_line(std::FILE* f, const std::string& line, bool sync);

// The current time in UTC as ISO 8601 to the second: "2026-12-08T15:04:05Z".
std::string utc_time_text();
