#include "gui/help_and_about.h"

#include "gui/command_ids.h"
#include "gui/front_end_handles.h"
#include "gui/help_path.h"
#include "gui/support_page.h"

void open_help_file() {
  char directory[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
  if (length == 0 || length >= sizeof directory)  // failed, or the size it would need
    return;
  char path[MAX_PATH];
  if (!build_help_path(path, sizeof path, directory)) return;
  ShellExecuteA(main_window, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void show_about_dialog() {
  const INT_PTR result = DialogBoxParamA(instance_handle, "ABOUTDLG", main_window, about_dialog_proc, 0);
  if (result == ABOUT_SUPPORT_PAGE)
    ShellExecuteA(main_window, nullptr, SUPPORT_PAGE_ADDRESS, nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetFocus(GetDlgItem(dialog, IDOK));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
        case IDCANCEL:
        case ABOUT_SUPPORT_PAGE:
          EndDialog(dialog, LOWORD(wparam));
          break;
      }
      return TRUE;
  }
  return FALSE;
}
