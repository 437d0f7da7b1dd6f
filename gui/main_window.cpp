#include "gui/main_window.h"

#include <process.h>

#include "gui/calculation_worker.h"
#include "gui/command_ids.h"
#include "gui/front_end_handles.h"
#include "gui/front_end_state.h"
#include "gui/help_and_about.h"
#include "gui/paint_main_window.h"
#include "gui/run_record.h"
#include "gui/screen_format.h"
#include "gui/single_instance.h"
#include "gui/size_index.h"
#include "gui/size_items.h"

static unsigned __stdcall worker_thread(void*) {
  calculation_worker();
  return 0;
}

// Starts a run of `run_digits` on a worker thread, unless one is in progress. The C runtime's thread
// start gives the worker the runtime's per-thread state, which the driver's stdio needs.
static void start_run(int32_t run_digits) {
  if (computing != 0) return;
  gray_size_items();
  computing = 1;
  digits = run_digits;
  finished = 0;
  stop_requested = false;
  const uintptr_t thread = _beginthreadex(nullptr, 0, worker_thread, nullptr, 0, nullptr);
  if (thread == 0) {
    enable_size_items();
    computing = 0;
    MessageBoxA(main_window, "計算を開始できませんでした。", failure_caption, MB_OK | MB_ICONERROR);
    return;
  }
  CloseHandle(reinterpret_cast<HANDLE>(thread));  // nobody waits for the worker
}

// A close confirmed while the driver runs: the window waits for the worker's end-of-run message.
static bool closing;

static void end_program(HWND window) {
  remove_instance_atom();
  DestroyWindow(window);
}

// Keeps the time of a finished run that has not been recorded yet (finished is 1 from the end of
// the computation until here), then saves the record.
static void record_finished_run() {
  if (finished.exchange(0) != 1) return;
  update_record(digits, elapsed_ms);
  save_record();
}

static void close_main_window(HWND window) {
  if (closing) return;  // confirmed already; the worker is stopping
  if (computing == 1) {
    if (MessageBoxA(window, "計算中です。計算を中断して終了しますか？", "確認",
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
      return;
    // The run may have ended while the question was open; then these find nothing to stop.
    stop_requested = true;
    if (driver_running == 1) {  // it stops at its next iteration boundary, or commits pi.txt first
      closing = true;
      return;
    }
    record_finished_run();  // a close during the finish message keeps the run's time
  }
  end_program(window);
}

// The worker's last act (calculation_worker.h): back to the idle state, or the end of the program
// when a close has been waiting for the worker.
static void end_run(HWND window) {
  enable_size_items();
  computing = 0;
  record_finished_run();
  if (closing) {
    end_program(window);
    return;
  }
  InvalidateRect(window, nullptr, TRUE);  // the idle screen with the new best time
}

static void run_command(int command) {
  if (command >= COMMAND_SIZE_FIRST && command <= COMMAND_SIZE_LAST) {
    start_run(digits_of_command(command));
    return;
  }
  switch (command) {
    case COMMAND_EXIT:
      SendMessageA(main_window, WM_CLOSE, 0, 0);  // the close box's path, confirmation included
      break;
    case COMMAND_HELP: open_help_file(); break;
    case COMMAND_ABOUT: show_about_dialog(); break;
  }
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      main_window = window;
      computing = 0;
      finished = 0;
      load_record();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      paint_main_window(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CLOSE: close_main_window(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_COMMAND: run_command(LOWORD(wparam)); return 0;
    case run_ended_message: end_run(window); return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
