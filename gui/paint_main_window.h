// Painting of the main window: the idle screen (best time and label per size) while no run is in
// progress, else the run screen (size, memory and disk figures, and the time once it is known).
#pragma once
#include <windows.h>

void paint_main_window(HDC dc);

// A Shift-JIS font of the given face and height (0: the platform's default height), modern family.
HFONT create_display_font(const char* face, int height);
