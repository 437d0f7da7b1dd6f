#include "gui/register_and_run.h"

#include "gui/front_end_handles.h"
#include "gui/main_window.h"
#include "gui/program_names.h"
#include "gui/single_instance.h"

static int fail_start(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK);
  remove_instance_atom();
  return 0;
}

int register_and_run(HINSTANCE instance) {
  if (check_single_instance()) {
    MessageBoxA(nullptr, "既に円周率計算ソフト[ mev???w.exe ]が起動しています。", "二重起動",
                MB_OK | MB_ICONWARNING);
    return 0;
  }

  WNDCLASSA window_class = {};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = main_window_proc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, icon_resource_name);
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszMenuName = menu_resource_name;
  window_class.lpszClassName = window_class_name;
  if (RegisterClassA(&window_class) == 0) return fail_start("ウインドウクラス作成失敗", nullptr);

  // A fixed client area of 560 x 420 below the menu: caption, system menu and minimize box only.
  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, 560, 420};
  AdjustWindowRect(&frame, style, TRUE);
  HWND window = CreateWindowExA(0, window_class_name, window_title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return fail_start("ウインドウの生成失敗", nullptr);
  ShowWindow(window, SW_SHOW);

  HACCEL accelerators = LoadAcceleratorsA(instance, accelerator_resource_name);
  if (accelerators == nullptr) return fail_start("アクセラレータ読込失敗", "");
  instance_handle = instance;

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {  // 0: WM_QUIT; -1: an error, end as well
    if (!TranslateAcceleratorA(main_window, accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return 0;
}
