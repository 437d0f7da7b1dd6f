// The processes of a stress test's workers: each worker computes in a process of its own, started
// by the main process as this same program with a worker argument, so that a worker that crashes
// (a wild address, an illegal instruction: what a faulty core computes besides wrong doubles) ends
// only itself and is named as the error of its CPU, and a wild write cannot reach another worker's
// arrays or the main process's records.
//
// A worker and the main process talk over one channel: the worker sends fixed-size reports, the
// main process single bytes (a stop, an acknowledgement). The worker dies with the main process:
// Linux: PR_SET_PDEATHSIG; Windows: a job object that kills its processes when its last handle
// closes. Only the main process's side is thread-safe (workers are started and watched from
// threads of their own).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The main process's side.
struct worker_process {
  int64_t id = 0;  // process id (Linux pid; Windows process id)
  intptr_t process = 0, to_worker = 0, from_worker = 0;  // Windows handles; Linux: the socket
};

// Starts this program again with `arguments` (argv[1..]); false with a one-line reason (no line
// end) when the system refuses.
bool start_worker_process(const std::vector<std::string>& arguments, worker_process* worker, std::string* why);

// Waits for `bytes` bytes from the worker; false when the channel ended first (the worker ended).
bool receive_from_worker(worker_process* worker, void* data, size_t bytes);

// Sends one byte to the worker; a worker that has ended is ignored (never a signal).
void send_to_worker(worker_process* worker, char byte);

// Ends the worker at once (SIGKILL; TerminateProcess), wherever it is.
void kill_worker_process(worker_process* worker);

// How a worker process ended, waited for and released with everything it held.
enum class worker_end_kind {
  exited,   // returned from main: `code` its exit status
  crashed,  // a fault of the processor's making: a signal or an exception (`code`, named by `name`)
  killed,   // a signal from outside (SIGKILL, SIGTERM ...): not the processor's fault
};
struct worker_end {
  worker_end_kind kind;
  int64_t code;      // exit status, signal number or exception code
  std::string name;  // "SIGSEGV", "exception 0xC0000005, access violation"; "" for exited
};
worker_end wait_for_worker_process(worker_process* worker);

// The worker's side, in the process started by start_worker_process.

// Makes the calling process a worker of the process `parent`: it dies with it, ignores the stop
// signals (a terminal's Ctrl-C reaches every process of its group; the main process passes the stop
// on) and, on Windows, ends with the exception's code instead of a crash dialog. False when the
// parent is already gone.
bool become_worker_process(int64_t parent);

// Sends `bytes` bytes to the main process; false when it has gone.
bool send_to_main(const void* data, size_t bytes);

// The next byte from the main process: without waiting (-1 when none has come) or, with `wait`,
// once one comes. The end of the channel (the main process has gone) ends the worker at once.
int receive_from_main(bool wait);
