#include "gui/calculation_worker.h"

#include <ctime>

#include "gui/front_end_handles.h"
#include "gui/front_end_state.h"
#include "gui/program_names.h"
#include "gui/run_record.h"
#include "gui/size_index.h"
#include "gui/size_items.h"

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

static void abandon_run() {
  enable_size_items();
  computing = 0;
}

static void repaint_main_window() { InvalidateRect(main_window, nullptr, TRUE); }

void calculation_worker() {
  // The run's own size: once computing is cleared below, a size command may already store the
  // next run's digits before this run's time is recorded.
  const int32_t run_digits = digits;
  const uint32_t start = millisecond_clock();
  scroll_lock_off();

  query_memory();
  memory_required = run_memory_bytes(run_digits);
  if (memory_required > total_physical) {
    if (user_declines("メモリ不足です。仮想メモリを使って強制的に計算しますか？\n"
                      "(この場合ハードディスクを酷使します。また計算速度も著しく遅くなります。)")) {
      abandon_run();
      return;
    }
  } else if (memory_required > available_physical) {
    if (user_declines("メモリ不足です。仮想メモリを使って計算しますか？")) {
      abandon_run();
      return;
    }
  }

  query_disk();
  disk_required = pi_file_bytes(run_digits);
  if (disk_required > disk_free) {
    MessageBoxA(main_window, "ディスク容量が足りません。", "確認", MB_OK);
    abandon_run();
    return;
  }
  repaint_main_window();  // the run screen with the figures above

  agm_driver(run_digits, nullptr, nullptr);

  scroll_lock_on();
  const uint32_t now = millisecond_clock();
  const uint32_t run_ms = now - start;  // unsigned: right across a wrap of the clock
  finished = 1;
  elapsed_ms = run_ms;
  repaint_main_window();  // adds the time line

  MessageBoxA(main_window, "円周率の計算が終了しました", "確認", MB_OK);

  scroll_lock_off();
  enable_size_items();
  computing = 0;
  finished = 0;
  update_record(run_digits, run_ms);
  save_record();
  repaint_main_window();  // the idle screen with the new best time
}
