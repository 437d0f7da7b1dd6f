// Remote control of the windowed programs for the end-to-end test under Wine. Each call does one
// thing and ends with status 0 on success, 1 on failure (a timeout included), 2 on bad usage:
//   wait-window CLASS MS          a top-level window of CLASS exists
//   wait-no-window CLASS MS       no window of CLASS exists
//   command CLASS ID              posts WM_COMMAND ID (a menu command) to the window of CLASS
//   key CLASS VK                  posts the key down and up of virtual key VK to it (for accelerators)
//   close CLASS                   posts WM_CLOSE to it (the close box)
//   open-menu CLASS LETTER        opens the menu of that mnemonic letter (as Alt+LETTER does)
//   cancel-mode CLASS             sends WM_CANCELMODE to it, which closes an open menu
//   answer CAPTION TEXT ID MS     waits for a dialog box with CAPTION that has a control showing TEXT
//                                 (TEXT "*": any box with that caption),
//                                 and ends it with button ID (1 OK, 2 cancel/close box, 6 Yes, 7 No)
//   enter CAPTION TEXT MS         waits for that box and presses Enter in it (its default button)
//   show-box CAPTION TEXT MS      waits for that box and prints every control's id and text
//   no-box MS                     no dialog box appears within MS milliseconds
//   add-atom NAME MS / has-atom NAME
//                                 the global atom table, for the single-instance marker; add-atom
//                                 then stays MS milliseconds, because Wine drops the table a few
//                                 seconds after the last process ends
//   system-dpi                    prints the system DPI (Wine's LogPixels setting)
//   has-font FAMILY               the font family is installed
//   version-info FILE             prints FILE's fixed version numbers and, from the string table of its
//                                 first translation, each standard text that it has, one a line
//   manifest FILE                 prints FILE's application manifest (resource 1 of type RT_MANIFEST)
// Texts are compared as Unicode, so the code page 932 texts of the programs are checked for the
// characters they show. Arguments come in as Unicode through the wide command line; output is UTF-8.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

void print(const std::wstring& text) {
  const std::string bytes = utf8(text);
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

std::wstring window_text(HWND window) {
  wchar_t buffer[1024];
  GetWindowTextW(window, buffer, 1024);
  return buffer;
}

std::wstring class_of(HWND window) {
  wchar_t buffer[256];
  GetClassNameW(window, buffer, 256);
  return buffer;
}

// Polls `found` every 50 ms until it holds or `ms` milliseconds have passed.
template <typename Predicate>
bool wait_for(DWORD ms, Predicate found) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (found()) return true;
    if (GetTickCount() - start >= ms) return false;
    Sleep(50);
  }
}

std::vector<HWND> visible_dialogs() {
  std::vector<HWND> dialogs;
  EnumWindows(
      [](HWND window, LPARAM list) -> BOOL {
        if (IsWindowVisible(window) && class_of(window) == L"#32770")
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> list;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM out) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&list));
  return list;
}

HWND find_box(const std::wstring& caption, const std::wstring& text) {
  for (HWND box : visible_dialogs()) {
    if (window_text(box) != caption) continue;
    if (text == L"*") return box;
    for (HWND child : children(box))
      if (window_text(child) == text) return box;
  }
  return nullptr;
}

HWND wait_box(const std::wstring& caption, const std::wstring& text, DWORD ms) {
  HWND box = nullptr;
  wait_for(ms, [&] { return (box = find_box(caption, text)) != nullptr; });
  return box;
}

HWND window_of(const std::wstring& class_name) { return FindWindowW(class_name.c_str(), nullptr); }

int fail(const std::wstring& what) {
  print(L"gui_test_driver: " + what + L"\n");
  return 1;
}

std::wstring dotted_version(DWORD high, DWORD low) {
  return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
         std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

// The version resource as Explorer's Properties read it: the fixed numbers, then the texts of the
// string table named by the first translation (language and code page).
int print_version_info(const std::wstring& file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return fail(L"no version information in " + file);
  std::vector<char> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return fail(L"unreadable: " + file);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return fail(L"no fixed version numbers in " + file);
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  print(L"fixed FileVersion " + dotted_version(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + L"\n");
  print(L"fixed ProductVersion " + dotted_version(fixed->dwProductVersionMS, fixed->dwProductVersionLS) +
        L"\n");
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
    return fail(L"no translation in " + file);
  const WORD* translation = static_cast<const WORD*>(value);
  wchar_t key[16];
  swprintf(key, 16, L"%04x%04x", translation[0], translation[1]);
  print(L"translation " + std::wstring(key) + L"\n");
  const std::wstring table = L"\\StringFileInfo\\" + std::wstring(key) + L"\\";
  for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                              L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
    if (VerQueryValueW(data.data(), (table + std::wstring(name)).c_str(), &value, &length) && length > 0)
      print(std::wstring(name) + L" " + static_cast<const wchar_t*>(value) + L"\n");
  }
  return 0;
}

int print_manifest(const std::wstring& file) {
  HMODULE module =
      LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return fail(L"cannot load " + file);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  if (loaded == nullptr) return fail(L"no manifest in " + file);
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), LockResource(loaded), SizeofResource(module, resource), &written,
            nullptr);
  return 0;
}

int run(const std::vector<std::wstring>& a) {
  const std::wstring& verb = a[0];
  auto number = [&](size_t i) { return DWORD(std::wcstoul(a[i].c_str(), nullptr, 10)); };

  if (verb == L"wait-window" && a.size() == 3)
    return wait_for(number(2), [&] { return window_of(a[1]) != nullptr; }) ? 0 : fail(L"no window " + a[1]);
  if (verb == L"wait-no-window" && a.size() == 3)
    return wait_for(number(2), [&] { return window_of(a[1]) == nullptr; }) ? 0
                                                                           : fail(L"still a window " + a[1]);
  if ((verb == L"command" && a.size() == 3) || (verb == L"key" && a.size() == 3) ||
      (verb == L"close" && a.size() == 2)) {
    HWND window = window_of(a[1]);
    if (window == nullptr) return fail(L"no window " + a[1]);
    if (verb == L"command")
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(number(2), 0), 0);
    else if (verb == L"key") {
      PostMessageW(window, WM_KEYDOWN, number(2), 1);
      PostMessageW(window, WM_KEYUP, number(2), 0xC0000001);
    } else
      PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if ((verb == L"open-menu" && a.size() == 3) || (verb == L"cancel-mode" && a.size() == 2)) {
    HWND window = window_of(a[1]);
    if (window == nullptr) return fail(L"no window " + a[1]);
    if (verb == L"open-menu")
      PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, a[2][0]);
    else
      SendMessageW(window, WM_CANCELMODE, 0, 0);
    return 0;
  }
  if (verb == L"answer" && a.size() == 5) {
    HWND box = wait_box(a[1], a[2], number(4));
    if (box == nullptr) return fail(L"no box " + a[1] + L" / " + a[2]);
    const WORD id = WORD(number(3));
    if (id == IDCANCEL)
      PostMessageW(box, WM_CLOSE, 0, 0);  // the close box
    else
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(box, id)));
    return wait_for(5000, [&] { return !IsWindow(box) || !IsWindowVisible(box); }) ? 0
                                                                                   : fail(L"box stays open");
  }
  if (verb == L"enter" && a.size() == 4) {
    HWND box = wait_box(a[1], a[2], number(3));
    if (box == nullptr) return fail(L"no box " + a[1] + L" / " + a[2]);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC01C0001);
    return wait_for(5000, [&] { return !IsWindow(box) || !IsWindowVisible(box); }) ? 0
                                                                                   : fail(L"box stays open");
  }
  if (verb == L"show-box" && a.size() == 4) {
    HWND box = wait_box(a[1], a[2], number(3));
    if (box == nullptr) return fail(L"no box " + a[1] + L" / " + a[2]);
    for (HWND child : children(box))
      print(std::to_wstring(GetDlgCtrlID(child)) + L" " + window_text(child) + L"\n");
    return 0;
  }
  if (verb == L"no-box" && a.size() == 2) {
    if (!wait_for(number(1), [] { return !visible_dialogs().empty(); })) return 0;
    return fail(L"a box appeared: " + window_text(visible_dialogs().front()));
  }
  if (verb == L"add-atom" && a.size() == 3) {
    if (GlobalAddAtomW(a[1].c_str()) == 0) return fail(L"atom not added");
    Sleep(number(2));
    return 0;
  }
  if (verb == L"has-atom" && a.size() == 2) return GlobalFindAtomW(a[1].c_str()) != 0 ? 0 : 1;
  if (verb == L"system-dpi" && a.size() == 1) {
    SetProcessDPIAware();  // so that Windows tells this process the system DPI rather than 96
    print(std::to_wstring(GetDpiForSystem()) + L"\n");
    return 0;
  }
  if (verb == L"has-font" && a.size() == 2) {
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, a[1].c_str(), LF_FACESIZE);
    HDC screen = GetDC(nullptr);
    const int found = EnumFontFamiliesExW(
        screen, &wanted, [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM) -> int { return 0; }, 0, 0);
    ReleaseDC(nullptr, screen);
    return found == 0 ? 0 : fail(L"no font " + a[1]);  // the callback's 0 stops the enumeration at a match
  }
  if (verb == L"version-info" && a.size() == 2) return print_version_info(a[1]);
  if (verb == L"manifest" && a.size() == 2) return print_manifest(a[1]);
  return 2;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr || count < 2) {
    print(L"usage: gui_test_driver VERB ARGUMENTS...\n");
    return 2;
  }
  const std::vector<std::wstring> arguments(argv + 1, argv + count);
  LocalFree(argv);
  const int status = run(arguments);
  if (status == 2) print(L"gui_test_driver: bad arguments for " + arguments[0] + L"\n");
  return status;
}
