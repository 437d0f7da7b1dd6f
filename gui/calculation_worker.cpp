#include "gui/calculation_worker.h"

#include <ctime>

#include "gui/front_end_handles.h"
#include "gui/front_end_state.h"
#include "gui/program_names.h"
#include "gui/screen_format.h"
#include "gui/size_index.h"

// Milliseconds since the program started (the C runtime's clock counts them on Windows); only
// differences are used, modulo 2^32.
static_assert(CLOCKS_PER_SEC == 1000, "clock() counts milliseconds");
static uint32_t millisecond_clock() { return uint32_t(std::clock()); }

void query_memory() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatusEx(&status);
  total_physical = status.ullTotalPhys;
  available_physical = status.ullAvailPhys;
}

void query_disk() {
  ULARGE_INTEGER free_for_caller, total;
  if (GetDiskFreeSpaceExA(nullptr, &free_for_caller, &total, nullptr)) {
    disk_free = free_for_caller.QuadPart;
    disk_total = total.QuadPart;
  }
}

static void set_scroll_lock(BYTE state) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SCROLL] = state;  // bit 0: toggled on; bit 7 (pressed) stays clear
  SetKeyboardState(keys);
}

void scroll_lock_off() { set_scroll_lock(0); }

void scroll_lock_on() { set_scroll_lock(1); }

static bool user_declines(const char* text) {
  return MessageBoxA(main_window, text, "警告", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES;
}

static void repaint_main_window() { InvalidateRect(main_window, nullptr, TRUE); }

// The worker's last act, on every path: the window thread takes over (see calculation_worker.h).
static void end_worker() { PostMessageA(main_window, run_ended_message, 0, 0); }

static bool stop_polled(void*) { return stop_requested.load(); }

void calculation_worker() {
  // The run's own size, as it was when the run started.
  const int32_t run_digits = digits;
  scroll_lock_off();

  query_memory();
  memory_required = uint64_t(pi_memory_bytes(run_digits));
  if (memory_required > total_physical) {
    if (user_declines("メモリ不足です。仮想メモリを使って強制的に計算しますか？\n"
                      "(この場合ハードディスクを酷使します。また計算速度も著しく遅くなります。)")) {
      end_worker();
      return;
    }
  } else if (memory_required > available_physical) {
    if (user_declines("メモリ不足です。仮想メモリを使って計算しますか？")) {
      end_worker();
      return;
    }
  }

  query_disk();
  disk_required = pi_file_bytes(run_digits);
  if (disk_required > disk_free) {
    MessageBoxA(main_window, "ディスク容量が足りません。", "確認", MB_OK);
    end_worker();
    return;
  }

  // The time of the run starts once every question has been answered.
  const uint32_t start = millisecond_clock();
  repaint_main_window();  // the run screen with the figures above

  // driver_running before stop_requested is read, and the window thread stores stop_requested before
  // it reads driver_running (both sequentially consistent): either the window sees the driver
  // running and waits, or this thread sees the stop and never starts the driver.
  driver_running = 1;
  pi_status status = pi_status::cancelled;
  pi_result result = {};
  if (!stop_requested) {
    const pi_events events = {nullptr, nullptr, nullptr, stop_polled};
    status = agm_driver(run_digits, &events, &result);
  }
  if (status == pi_status::ok) {
    scroll_lock_on();
    const uint32_t run_ms = millisecond_clock() - start;  // unsigned: right across a wrap of the clock
    elapsed_ms = run_ms;
    finished = 1;  // after the time: a repaint or a close that sees finished sees this run's time
  }
  driver_running = 0;

  if (stop_requested) {  // the program is closing: no message; the window thread records the time
    end_worker();
    return;
  }
  if (status == pi_status::ok) {
    repaint_main_window();  // adds the time line
    MessageBoxA(main_window, "円周率の計算が終了しました", "確認", MB_OK);
    scroll_lock_off();
  } else {
    char text[256];
    format_failure_message(text, sizeof text, status, result);
    MessageBoxA(main_window, text, failure_caption, MB_OK | MB_ICONERROR);
  }
  end_worker();
}
