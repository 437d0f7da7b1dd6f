// Worker processes on Windows: CreateProcess of this program's own file, two anonymous pipes per
// worker as its standard input (bytes from the main process) and output (its reports), and one job
// object that kills every worker when the main process ends and its handle closes.
#include <windows.h>

#include <cstdlib>
#include <cstdio>
#include <mutex>

#include "console/stress/worker_process.h"

namespace {

// A handle becomes inheritable only while its worker is created, under this lock: a worker created
// at the same moment on another thread would inherit it too, and the channel would outlive its
// worker.
std::mutex creation_lock;
HANDLE worker_job = nullptr;  // created with the first worker, under creation_lock; never closed

HANDLE handle_of(intptr_t value) { return reinterpret_cast<HANDLE>(value); }

void make_job() {
  worker_job = CreateJobObjectW(nullptr, nullptr);
  if (!worker_job) return;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(worker_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

std::string system_error_text(DWORD error) {
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                 nullptr);
  std::string out = text;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.')) out.pop_back();
  return out.empty() ? "error " + std::to_string(error) : out;
}

// The exceptions that end a process, by code: what the processor or the program's own checks raised.
const char* exception_name(DWORD code) {
  switch (code) {
    case 0x80000002: return "datatype misalignment";
    case 0x80000003: return "breakpoint";
    case 0x80000004: return "single step";
    case 0xC0000005: return "access violation";
    case 0xC0000006: return "in-page error";
    case 0xC000001D: return "illegal instruction";
    case 0xC0000025: return "noncontinuable exception";
    case 0xC000008C: return "array bounds exceeded";
    case 0xC000008D: return "floating-point denormal operand";
    case 0xC000008E: return "floating-point division by zero";
    case 0xC000008F: return "floating-point inexact result";
    case 0xC0000090: return "floating-point invalid operation";
    case 0xC0000091: return "floating-point overflow";
    case 0xC0000092: return "floating-point stack check";
    case 0xC0000093: return "floating-point underflow";
    case 0xC0000094: return "integer division by zero";
    case 0xC0000095: return "integer overflow";
    case 0xC0000096: return "privileged instruction";
    case 0xC00000FD: return "stack overflow";
    case 0xC0000409: return "stack buffer overrun";
    default: return nullptr;
  }
}

// An exception that nothing handled ends the worker with its code as the exit status, at once: no
// error dialog, no debugger (Wine's included), which would keep the worker alive.
LONG WINAPI end_with_exception_code(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// Ctrl-C and Ctrl-Break reach every process of the console: the main process stops the workers.
BOOL WINAPI ignore_console_event(DWORD event) { return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT; }

bool transfer_all(bool reading, HANDLE channel, char* data, size_t bytes) {
  while (bytes > 0) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(bytes < (1u << 20) ? bytes : (1u << 20));
    const BOOL ok = reading ? ReadFile(channel, data, chunk, &done, nullptr)
                            : WriteFile(channel, data, chunk, &done, nullptr);
    if (!ok || done == 0) return false;
    data += done, bytes -= done;
  }
  return true;
}

}  // namespace

bool start_worker_process(const std::vector<std::string>& arguments, worker_process* worker, std::string* why) {
  wchar_t self[32768];
  const DWORD length = GetModuleFileNameW(nullptr, self, 32768);
  if (length == 0 || length >= 32768) {
    *why = "no worker process could be started: the program's own file is not known";
    return false;
  }
  std::wstring command = L"\"" + std::wstring(self) + L"\"";
  for (const std::string& a : arguments) command += L" " + std::wstring(a.begin(), a.end());  // ASCII words

  std::lock_guard<std::mutex> hold(creation_lock);
  if (!worker_job) make_job();
  HANDLE worker_reads, main_writes, main_reads, worker_writes;
  if (!CreatePipe(&worker_reads, &main_writes, nullptr, 0)) {
    *why = "no channel to a worker process: " + system_error_text(GetLastError());
    return false;
  }
  if (!CreatePipe(&main_reads, &worker_writes, nullptr, 0)) {
    *why = "no channel to a worker process: " + system_error_text(GetLastError());
    CloseHandle(worker_reads), CloseHandle(main_writes);
    return false;
  }
  SetHandleInformation(worker_reads, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  SetHandleInformation(worker_writes, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  HANDLE errors = nullptr;  // standard error, for what a worker's runtime may print
  const HANDLE own_errors = GetStdHandle(STD_ERROR_HANDLE);
  if (own_errors && own_errors != INVALID_HANDLE_VALUE)
    DuplicateHandle(GetCurrentProcess(), own_errors, GetCurrentProcess(), &errors, 0, TRUE, DUPLICATE_SAME_ACCESS);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = worker_reads, startup.hStdOutput = worker_writes, startup.hStdError = errors;
  PROCESS_INFORMATION created = {};
  // Suspended until it is in the job, so that it cannot outlive the main process.
  const BOOL ok = CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                                 &startup, &created);
  const DWORD error = GetLastError();
  CloseHandle(worker_reads), CloseHandle(worker_writes);
  if (errors) CloseHandle(errors);
  if (!ok) {
    CloseHandle(main_reads), CloseHandle(main_writes);
    *why = "no worker process could be started: " + system_error_text(error);
    return false;
  }
  if (worker_job) AssignProcessToJobObject(worker_job, created.hProcess);  // else it dies with its channel
  ResumeThread(created.hThread);
  CloseHandle(created.hThread);
  worker->id = created.dwProcessId;
  worker->process = reinterpret_cast<intptr_t>(created.hProcess);
  worker->to_worker = reinterpret_cast<intptr_t>(main_writes);
  worker->from_worker = reinterpret_cast<intptr_t>(main_reads);
  return true;
}

bool receive_from_worker(worker_process* worker, void* data, size_t bytes) {
  return transfer_all(true, handle_of(worker->from_worker), static_cast<char*>(data), bytes);
}

void send_to_worker(worker_process* worker, char message) {
  transfer_all(false, handle_of(worker->to_worker), &message, 1);
}

void kill_worker_process(worker_process* worker) { TerminateProcess(handle_of(worker->process), 1); }

worker_end wait_for_worker_process(worker_process* worker) {
  CloseHandle(handle_of(worker->from_worker));
  const HANDLE process = handle_of(worker->process);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  CloseHandle(handle_of(worker->to_worker));
  // An NTSTATUS with its high bit set is an exception that ended the process (a warning or an error).
  if (!(code & 0x80000000u)) return {worker_end_kind::exited, code, ""};
  char name[80];
  const char* known = exception_name(code);
  std::snprintf(name, sizeof name, known ? "exception 0x%08lX, %s" : "exception 0x%08lX",
                static_cast<unsigned long>(code), known);
  return {worker_end_kind::crashed, code, name};
}

bool become_worker_process(int64_t parent) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(end_with_exception_code);
  SetConsoleCtrlHandler(ignore_console_event, TRUE);
  const HANDLE main_process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(parent));
  if (!main_process) return false;
  const bool alive = WaitForSingleObject(main_process, 0) == WAIT_TIMEOUT;
  CloseHandle(main_process);
  return alive;
}

bool send_to_main(const void* data, size_t bytes) {
  return transfer_all(false, GetStdHandle(STD_OUTPUT_HANDLE), static_cast<char*>(const_cast<void*>(data)), bytes);
}

int receive_from_main(bool wait) {
  const HANDLE channel = GetStdHandle(STD_INPUT_HANDLE);
  DWORD waiting = 0;
  if (!wait) {
    if (!PeekNamedPipe(channel, nullptr, 0, nullptr, &waiting, nullptr)) std::_Exit(1);  // the main process has gone
    if (waiting == 0) return -1;
  }
  unsigned char received;
  if (!transfer_all(true, channel, reinterpret_cast<char*>(&received), 1)) std::_Exit(1);
  return received;
}
