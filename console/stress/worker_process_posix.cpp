// Worker processes on Linux: posix_spawn of /proc/self/exe, one socket pair per worker (the
// worker's end as descriptor 3), the death of the parent passed on by PR_SET_PDEATHSIG.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "console/stress/worker_process.h"

extern char** environ;

namespace {

constexpr int worker_channel = 3;  // the worker's end of its socket pair

// The signals of a fault the processor made: a wrong address (SIGSEGV, SIGBUS), a wrong instruction
// (SIGILL, SIGTRAP), a wrong division (SIGFPE), or a check of the program's own that failed (SIGABRT).
bool fault_signal(int signal) {
  return signal == SIGSEGV || signal == SIGBUS || signal == SIGILL || signal == SIGFPE || signal == SIGABRT ||
         signal == SIGTRAP;
}

// Reads or writes all `bytes`, across partial transfers and interruptions; false at the end of
// the channel or on an error.
template <typename Transfer>
bool transfer_all(Transfer transfer, char* data, size_t bytes) {
  while (bytes > 0) {
    const ssize_t done = transfer(data, bytes);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done, bytes -= static_cast<size_t>(done);
  }
  return true;
}

}  // namespace

bool start_worker_process(const std::vector<std::string>& arguments, worker_process* worker, std::string* why) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
    *why = std::string("no channel to a worker process: ") + std::strerror(errno);
    return false;
  }
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  self[length > 0 ? length : 0] = '\0';
  std::vector<char*> argv{self};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // Only the worker's end reaches it, as descriptor 3 (dup2 clears its close-on-exec flag): the
  // other workers' channels stay closed to it, so each channel ends exactly when its worker does.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pair[1], worker_channel);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, "/proc/self/exe", &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pair[1]);
  if (error != 0) {
    close(pair[0]);
    *why = std::string("no worker process could be started: ") + std::strerror(error);
    return false;
  }
  worker->id = pid;
  worker->to_worker = worker->from_worker = pair[0];
  return true;
}

bool receive_from_worker(worker_process* worker, void* data, size_t bytes) {
  const int channel = static_cast<int>(worker->from_worker);
  return transfer_all([&](char* at, size_t left) { return recv(channel, at, left, 0); }, static_cast<char*>(data),
                      bytes);
}

void send_to_worker(worker_process* worker, char byte) {
  while (send(static_cast<int>(worker->to_worker), &byte, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {
  }
}

void kill_worker_process(worker_process* worker) { kill(static_cast<pid_t>(worker->id), SIGKILL); }

worker_end wait_for_worker_process(worker_process* worker) {
  close(static_cast<int>(worker->from_worker));
  int status = 0;
  while (waitpid(static_cast<pid_t>(worker->id), &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFSIGNALED(status)) return {worker_end_kind::exited, WEXITSTATUS(status), ""};
  const int signal = WTERMSIG(status);
  const char* abbreviation = sigabbrev_np(signal);
  const std::string name = abbreviation ? std::string("SIG") + abbreviation : "signal " + std::to_string(signal);
  return {fault_signal(signal) ? worker_end_kind::crashed : worker_end_kind::killed, signal, name};
}

bool become_worker_process(int64_t parent) {
  // SIGKILL when the thread that started this process ends (it waits for this process, so only
  // when the main process itself ends); the parent may have gone before this call.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != static_cast<pid_t>(parent)) return false;
  signal(SIGINT, SIG_IGN);
  signal(SIGTERM, SIG_IGN);
  return true;
}

bool send_to_main(const void* data, size_t bytes) {
  return transfer_all([](char* at, size_t left) { return send(worker_channel, at, left, MSG_NOSIGNAL); },
                      static_cast<char*>(const_cast<void*>(data)), bytes);
}

int receive_from_main(bool wait) {
  pollfd channel{worker_channel, POLLIN, 0};
  for (;;) {
    const int ready = poll(&channel, 1, wait ? -1 : 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return -1;
    unsigned char byte;
    const ssize_t got = recv(worker_channel, &byte, 1, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) _exit(1);  // the main process has gone: nobody is left to hear this worker
    return byte;
  }
}
