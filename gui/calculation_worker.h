// One run of a windowed program on its own thread: memory and disk checks, the run screen, the AGM
// driver, the finish message and the record of the time. Started by the main window after it has
// set computing to 1, stored digits and grayed the size items.
#pragma once

void calculation_worker();

// Total and available physical memory into total_physical and available_physical.
void query_memory();
// Free bytes for the caller and total bytes of the current drive into disk_free and disk_total. A
// failed query leaves both as they were.
void query_disk();

// Scroll Lock of the calling thread's keyboard state: on from the end of the computation until the
// finish message is dismissed, off otherwise.
void scroll_lock_off();
void scroll_lock_on();
