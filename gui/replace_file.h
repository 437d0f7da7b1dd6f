// Replacing a small file whole: the new contents go to a fresh temporary file beside it, which is
// flushed to the disk and renamed over the file. A reader sees the old file or the new one, never a
// part; on any failure the old file is left as it was and the temporary file removed.
#pragma once
#include <cstddef>

// Returns whether `name` now holds the `size` bytes of `bytes`.
bool replace_file(const char* name, const char* bytes, size_t size);
