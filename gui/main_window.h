// The window procedure of the main window: creation (loads the record), painting, closing with a
// confirmation while a run is in progress, and the menu commands.
#pragma once
#include <windows.h>

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
