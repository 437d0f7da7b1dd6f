// The Help menu: readme.txt of the current directory, and the about dialog ABOUTDLG with its button
// to the support web page or, without one, to the readme.txt shipped beside the program.
#pragma once
#include <windows.h>

// Opens readme.txt of the current directory with its associated application. Nothing is shown
// when the shell cannot open it, nor when the path would not fit MAX_PATH.
void open_help_file();

// Runs ABOUTDLG modally; its button 210 ends it and opens the support page (or, in a build without
// one, the readme.txt beside the program); OK and cancel only end it.
void show_about_dialog();

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
