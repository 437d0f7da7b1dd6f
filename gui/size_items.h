// Graying of the twelve size items (commands 101..112) of the main window's menu while a run is in
// progress. Exit, Help and About are never grayed. Called from the window thread and the worker.
#pragma once

void gray_size_items();
void enable_size_items();
