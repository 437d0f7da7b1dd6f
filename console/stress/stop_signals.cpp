#include "console/stress/stop_signals.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int interrupted_status = 128 + 2;  // SIGINT
constexpr int terminated_status = 128 + 15;  // SIGTERM

// Written by the handler (a signal handler on Linux, a thread of the system's on Windows): only a
// lock-free atomic may be touched there.
std::atomic<int> requested_status{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch lock-free atomics");

void request_stop(int status) {
  if (requested_status.exchange(status) != 0) _exit(status);  // the second request: at once
}

#ifdef _WIN32
BOOL WINAPI on_console_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  request_stop(event == CTRL_C_EVENT ? interrupted_status : terminated_status);
  return TRUE;
}
#else
extern "C" void on_stop_signal(int signal) { request_stop(128 + signal); }
#endif

}  // namespace

void catch_stop_signals() {
#ifdef _WIN32
  SetConsoleCtrlHandler(on_console_event, TRUE);
#else
  struct sigaction action = {};
  action.sa_handler = on_stop_signal;
  action.sa_flags = SA_RESTART;  // writes and waits in progress carry on
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
#endif
}

int stop_signal_status() { return requested_status.load(); }

const char* stop_signal_name() {
  const int status = requested_status.load();
#ifdef _WIN32
  return status == interrupted_status ? "Ctrl-C" : status == terminated_status ? "Ctrl-Break" : "";
#else
  return status == interrupted_status ? "SIGINT" : status == terminated_status ? "SIGTERM" : "";
#endif
}
