/* Menu command ids of the main window, shared by the C++ sources and the resource scripts (which is
   why this header holds nothing but defines). The size commands 101..112 are 2^14 .. 2^25 digits. */
#pragma once

#define COMMAND_EXIT 100
#define COMMAND_SIZE_FIRST 101
#define COMMAND_SIZE_LAST 112
#define COMMAND_HELP 190
#define COMMAND_ABOUT 191

/* Controls of the about dialog ABOUTDLG besides OK (1) and cancel (2). */
#define ABOUT_PROGRAM_NAME 201
#define ABOUT_DESCRIPTION 202
#define ABOUT_RULE 203
#define ABOUT_SUPPORT_LABEL 204
#define ABOUT_SUPPORT_PAGE 210
