#include "gui/help_and_about.h"

#include <cstring>

#include "gui/command_ids.h"
#include "gui/front_end_handles.h"
#include "gui/help_path.h"

// The support web page, a build setting (the CMake cache variable PI_SUPPORT_URL); empty when the
// build names none. Then the about dialog's button opens the readme.txt shipped beside the program
// and shows that name instead of an address.
static const char support_page_address[] = PI_SUPPORT_URL;
static const char shipped_readme_name[] = "readme.txt";

static bool has_support_page() { return support_page_address[0] != '\0'; }

void open_help_file() {
  char directory[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
  if (length == 0 || length >= sizeof directory)  // failed, or the size it would need
    return;
  char path[MAX_PATH];
  if (!build_help_path(path, sizeof path, directory)) return;
  ShellExecuteA(main_window, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

// readme.txt in the directory of the program file (where the package ships it), not the current one.
static void open_shipped_readme() {
  char directory[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, directory, sizeof directory);
  if (length == 0 || length >= sizeof directory)  // failed, or cut short
    return;
  char* last_separator = std::strrchr(directory, '\\');
  if (last_separator == nullptr) return;
  *last_separator = '\0';
  char path[MAX_PATH];
  if (!build_help_path(path, sizeof path, directory)) return;
  ShellExecuteA(main_window, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void show_about_dialog() {
  const INT_PTR result = DialogBoxParamA(instance_handle, "ABOUTDLG", main_window, about_dialog_proc, 0);
  if (result != ABOUT_SUPPORT_PAGE) return;
  if (has_support_page())
    ShellExecuteA(main_window, nullptr, support_page_address, nullptr, nullptr, SW_SHOWNORMAL);
  else
    open_shipped_readme();
}

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, ABOUT_SUPPORT_PAGE,
                      has_support_page() ? support_page_address : shipped_readme_name);
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
