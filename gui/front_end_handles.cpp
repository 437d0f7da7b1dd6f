#include "gui/front_end_handles.h"

HINSTANCE instance_handle;
ATOM instance_atom;
HWND main_window;
