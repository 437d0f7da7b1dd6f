// The front-end state of a windowed program: program-wide variables shared by the window thread and
// the calculation worker, all zero at program start. There is no lock; each variable has one writer
// at a time:
//   the window procedure writes computing (to 1) and digits before it starts the worker and does not
//   write them again until the worker has cleared computing;
//   the worker stores its figures before it asks for a repaint, and clears computing last;
//   painting only reads.
// The window handles of the state are in front_end_handles.h; this part is free of the platform.
#pragma once
#include <cstdint>

extern int32_t computing;  // 1 while a run is in progress
extern int32_t digits;     // decimal digits of the current or last run
extern int32_t finished;   // 1 once the current run's time is known

// Memory and disk figures of the current run, in bytes. The memory figures are 64-bit: a machine
// with 4 GiB or more would wrap 32-bit ones.
extern uint64_t total_physical;
extern uint64_t available_physical;
extern uint64_t memory_required;
extern uint64_t disk_free;  // free bytes for the caller on the current drive
extern uint64_t disk_total;
extern uint64_t disk_required;  // the size of the pi.txt the run writes

extern uint32_t elapsed_ms;  // duration of the run

// Shortest time in milliseconds per size index k in slot k - 1, 0 = no completed run yet.
// Slots 12 to 19 belong to no size: they are only read from and written back to pi_rec.dat.
constexpr int record_slots = 20;
extern uint32_t best_times[record_slots];
