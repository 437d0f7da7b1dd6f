// The front-end state of a windowed program: program-wide variables shared by the window thread and
// the calculation worker, all zero at program start. Every variable that both threads touch is
// atomic (sequentially consistent), so that a repaint never reads a half-written figure and the
// order of the worker's stores is the order the window sees:
//   the window procedure writes computing (to 1) and digits before it starts the worker and does not
//   write them again until the worker's end-of-run message has arrived;
//   the worker stores its figures before it asks for a repaint, and elapsed_ms before finished;
//   painting only reads.
// best_times belongs to the window thread alone (load, record, save and painting all run there).
// The window handles of the state are in front_end_handles.h; this part is free of the platform.
#pragma once
#include <atomic>
#include <cstdint>

extern std::atomic<int32_t> computing;  // 1 from the start of a run until its end-of-run message
extern std::atomic<int32_t> digits;     // decimal digits of the current or last run
extern std::atomic<int32_t> finished;   // 1 once the current run's time is known and not yet recorded

// Memory and disk figures of the current run, in bytes. The memory figures are 64-bit: a machine
// with 4 GiB or more would wrap 32-bit ones.
extern std::atomic<uint64_t> total_physical;
extern std::atomic<uint64_t> available_physical;
extern std::atomic<uint64_t> memory_required;
extern std::atomic<uint64_t> disk_free;  // free bytes for the caller on the current drive
extern std::atomic<uint64_t> disk_total;
extern std::atomic<uint64_t> disk_required;  // the size of the pi.txt the run writes

extern std::atomic<uint32_t> elapsed_ms;  // duration of the run's computation

// Set by a close confirmed during a run; the driver polls it at every iteration boundary and stops
// there (never while it commits pi.txt). Cleared when a run starts.
extern std::atomic<bool> stop_requested;
// 1 while the worker is inside the AGM driver: the only time the program must not end at once.
extern std::atomic<int32_t> driver_running;

// Shortest time in milliseconds per size index k in slot k - 1, 0 = no completed run yet.
// Slots 12 to 19 belong to no size: they are only read from and written back to pi_rec.dat.
constexpr int record_slots = 20;
extern uint32_t best_times[record_slots];
