// The run record pi_rec.dat in the current directory: best_times as 20 lines of decimal integers,
// slot k - 1 on line k, in text mode (CR LF line ends on Windows). Both windowed programs share it
// when they run in the same directory.
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

// Writes all 20 slots to the file. A file that cannot be written is skipped silently; the table stays
// in memory and is written after the next completed run.
void save_record();
