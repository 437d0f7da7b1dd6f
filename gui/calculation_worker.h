// One run of a windowed program on its own thread: memory and disk checks, the run screen, the AGM
// driver, and the finish message or the message of a failure. Started by the main window after it
// has set computing to 1, stored digits, cleared stop_requested and grayed the size items.
//
// The worker never ends the program and never touches best_times: its last act is to post
// run_ended_message to the main window, whose thread enables the size items, records the time of a
// finished run and, when a close was confirmed meanwhile, ends the program. The program may end at
// any moment while driver_running is 0; while it is 1 a confirmed close sets stop_requested and
// waits for that message.
#pragma once
#include <windows.h>

void calculation_worker();

// Posted by the worker to the main window when the run is over, wparam and lparam 0.
constexpr UINT run_ended_message = WM_APP + 1;

// Total and available physical memory into total_physical and available_physical.
void query_memory();
// Free bytes for the caller and total bytes of the current drive into disk_free and disk_total. A
// failed query leaves both as they were.
void query_disk();

// Scroll Lock of the calling thread's keyboard state: on from the end of the computation until the
// finish message is dismissed, off otherwise.
void scroll_lock_off();
void scroll_lock_on();
