// The platform handles of the front-end state (front_end_state.h holds the rest), set once at start.
#pragma once
#include <windows.h>

extern HINSTANCE instance_handle;  // kept once the accelerators are loaded; owns the about dialog
extern ATOM instance_atom;         // the single-instance marker, 0 = none (or already removed)
extern HWND main_window;           // owner of every message box
