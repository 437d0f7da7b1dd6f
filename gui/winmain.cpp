// Entry of both windowed programs; the program is chosen by the table of names it is linked with.
#include <windows.h>

#include "gui/register_and_run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return register_and_run(instance); }
