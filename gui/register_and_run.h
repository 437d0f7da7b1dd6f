// The windowed entry: single instance, window class, main window, accelerators, message loop.
#pragma once
#include <windows.h>

// Returns the program's exit status, always 0 (start-up failures included, after their message).
int register_and_run(HINSTANCE instance);
