// A file replaced as a whole: the new contents are written to a temporary sibling of the target,
// created exclusively under a unique name, flushed to the disk and then renamed over the target.
// Readers see the earlier file or the complete new one, never a part; a failure or a kill leaves
// the earlier file as it was (a kill at most leaves a stray temporary file). A symbolic link named
// like the target is itself replaced, not followed.
//
// The only platform-dependent file of the core: exclusive creation, flushing to the disk and the
// rename that replaces an existing file differ between POSIX and Windows.
#pragma once
#include <cstdio>

struct file_replacement {
  std::FILE* file;          // open for writing while the replacement is pending, else null
  char target[260];
  char temporary[300];
};

// Creates the temporary file beside `target` (text mode: CR LF line ends on Windows when `text`).
// Fails, creating nothing, when the target's directory is not writable, the path too long, or the
// target is a directory (a file could never be renamed over it).
bool begin_file_replacement(file_replacement* r, const char* target, bool text);

// Flushes and closes the temporary file, forces it to the disk and renames it over the target.
// Returns false, with the temporary file removed and the target untouched, if any step failed or
// if `write_ok` is false (the caller's writes failed).
bool commit_file_replacement(file_replacement* r, bool write_ok);

// Closes and removes the temporary file; the target stays as it was. Harmless after a commit.
void discard_file_replacement(file_replacement* r);

// True when `path` names `target` or one of its temporary files: the same name in the same
// directory (however the directory is written), or an existing file that is the target itself (a
// link to it). Writing to such a path would destroy the target or a pending replacement.
bool names_replaced_file(const char* path, const char* target);
