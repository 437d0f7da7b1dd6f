// Ctrl-C and termination requests during a stress test: the first asks every worker to stop at its
// next iteration boundary and the program to end with its summary; the second ends the process at
// once. Plain runs keep the system's default: a signal ends them where they are.
#pragma once

// Installs the handlers: SIGINT and SIGTERM (Linux), Ctrl-C and Ctrl-Break (Windows).
void catch_stop_signals();

// 0 until a stop was asked, then the exit status it stands for: 130 for SIGINT or Ctrl-C, 143 for
// SIGTERM or Ctrl-Break.
int stop_signal_status();

// The request by name: "SIGINT", "SIGTERM", "Ctrl-C", "Ctrl-Break" ("" before any).
const char* stop_signal_name();
