// One instance per program: a marker in the global atom table, named by the program's table of names.
#pragma once

// Returns 1 when another instance of this program runs, else 0 after taking the marker.
// A marker without any window of the program's class is stale (left by a program that was killed
// before it could remove it): it is taken over, not refused.
int check_single_instance();

// Removes the marker if this instance holds it. Also runs at process exit, so that a run ended early
// by the AGM driver (allocation failure, pi.txt not opened) leaves no marker behind.
void remove_instance_atom();
