// The run record pi_rec.dat in the current directory: best_times as 20 lines of decimal integers,
// slot k - 1 on line k, in text mode (CR LF line ends on Windows). Both windowed programs share it
// when they run in the same directory, each saving after its own runs; a save therefore merges
// with what the file holds at that moment instead of writing back what was loaded at start-up.
#pragma once
#include <cstdint>

// Fills best_times from the file. A missing file sets all slots to 0. Otherwise the numbers are read
// in order, separated by any white space, until the end of the file or the first text that is not a
// number; slots beyond that keep their values. A number that is not a valid time (negative, or above
// 2^32 - 1) is read as 0.
void load_record();

// Keeps the shorter of t and the stored time in the slot of the size of `run_digits`; an empty slot (0)
// takes t.
void update_record(int32_t run_digits, uint32_t t);

// Keeps in every slot of `times` the better of its time and the time of the same slot of `other`:
// the shorter of two recorded times, or the one recorded time when the other slot is 0 (none).
void merge_best_times(uint32_t* times, const uint32_t* other);

// Re-reads the file, merges it into best_times (so that the times another program saved since the
// load survive), and replaces the file with all 20 slots: written to a temporary file beside it and
// renamed over it, so that a failed write (full disk, no permission, a directory in the way) leaves
// the earlier file as it was. A record made read-only is not replaced either. A failed save is silent; the
// table stays in memory and is written after the next completed run. Returns whether the file was replaced.
bool save_record();
