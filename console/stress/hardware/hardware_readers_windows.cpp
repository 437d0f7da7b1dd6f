// Windows: the WHEA-Logger events of the System log, through the event log's API (wevtapi), loaded
// at run time so that a system without it (Windows PE, an emulator) only lacks the source. The
// query may fail at any time (the event log service stopped: "RPC server unavailable"; Windows PE:
// "The parameter is incorrect"): the source is then named and read no more, and the test goes on.
// Windows tells no temperatures or clocks per CPU without a driver of its own; they are not read.
#include <windows.h>
#include <winevt.h>

#include <algorithm>
#include <vector>

#include "console/stress/hardware/hardware_readers.h"

namespace {

using query_function = EVT_HANDLE(WINAPI*)(EVT_HANDLE, LPCWSTR, LPCWSTR, DWORD);
using next_function = BOOL(WINAPI*)(EVT_HANDLE, DWORD, EVT_HANDLE*, DWORD, DWORD, PDWORD);
using render_function = BOOL(WINAPI*)(EVT_HANDLE, EVT_HANDLE, DWORD, DWORD, PVOID, PDWORD, PDWORD);
using close_function = BOOL(WINAPI*)(EVT_HANDLE);

// ": error 1722 (The RPC server is unavailable.)", in English, whose text is the same in every code
// page (the records are UTF-8); the number alone where the system has no English text, nothing for
// no error code at all.
std::string error_text(DWORD error) {
  if (error == 0) return "";
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                 MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr);
  std::string message = text;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  const bool ascii = std::all_of(message.begin(), message.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
  return ": error " + std::to_string(error) + (message.empty() || !ascii ? "" : " (" + message + ")");
}

class windows_readers final : public hardware_readers {
 public:
  windows_readers() {
    library_ = LoadLibraryW(L"wevtapi.dll");
    if (library_) {
      query_ = reinterpret_cast<query_function>(reinterpret_cast<void*>(GetProcAddress(library_, "EvtQuery")));
      next_ = reinterpret_cast<next_function>(reinterpret_cast<void*>(GetProcAddress(library_, "EvtNext")));
      render_ = reinterpret_cast<render_function>(reinterpret_cast<void*>(GetProcAddress(library_, "EvtRender")));
      close_ = reinterpret_cast<close_function>(reinterpret_cast<void*>(GetProcAddress(library_, "EvtClose")));
    }
    if (!query_ || !next_ || !render_ || !close_) {
      source_ = {"WHEA events", "unreadable: the event log's API (wevtapi.dll) is missing", false};
      return;
    }
    // The newest event before the test: only those after it are the test's.
    std::vector<whea_event> newest;
    std::string why;
    if (!query(L"", EvtQueryChannelPath | EvtQueryReverseDirection, 1, &newest, &why)) {
      source_ = {"WHEA events", "unreadable: " + why, false};
      return;
    }
    if (!newest.empty()) last_record_ = newest[0].record;
    source_ = {"WHEA events", "System log", true};
  }

  ~windows_readers() override {
    if (library_) FreeLibrary(library_);
  }

  std::vector<hardware_source> sources() const override { return {source_}; }

  void read(hardware_reading* reading, std::vector<std::string>* failures) override {
    *reading = hardware_reading{};
    if (!source_.found) return;
    std::string why;
    const std::wstring after = L" and EventRecordID > " + std::to_wstring(last_record_);
    if (!query(after, EvtQueryChannelPath | EvtQueryForwardDirection, 0, &reading->events, &why)) {
      failures->push_back("WHEA events (System log) could no longer be read (" + why + ")");
      source_ = {"WHEA events", "could no longer be read: " + why, false};
      return;
    }
    for (const whea_event& e : reading->events) last_record_ = std::max(last_record_, e.record);
  }

  std::string sensor_of(int32_t) const override { return ""; }

 private:
  // The WHEA-Logger's events 17, 18 and 19 that also meet `condition`, in the direction of
  // `flags`, at most `limit` of them (0: all).
  bool query(const std::wstring& condition, DWORD flags, size_t limit, std::vector<whea_event>* events,
             std::string* why) {
    const std::wstring xpath =
        L"*[System[Provider[@Name='Microsoft-Windows-WHEA-Logger'] and (EventID=17 or EventID=18 or EventID=19)" +
        condition + L"]]";
    EVT_HANDLE results = query_(nullptr, L"System", xpath.c_str(), flags);
    if (!results) return *why = "the event log query failed" + error_text(GetLastError()), false;
    bool ok = true;
    for (bool more = true; more && ok && (limit == 0 || events->size() < limit);) {
      EVT_HANDLE batch[16];
      DWORD returned = 0;
      if (!next_(results, 16, batch, INFINITE, 0, &returned)) {
        const DWORD error = GetLastError();
        if (error != ERROR_NO_MORE_ITEMS) ok = false, *why = "the event log query failed" + error_text(error);
        break;
      }
      for (DWORD i = 0; i < returned; ++i) {
        whea_event e;
        if (ok && (limit == 0 || events->size() < limit) && parse_whea_event(rendered(batch[i]), &e))
          events->push_back(e);
        close_(batch[i]);
      }
      more = returned > 0;
    }
    close_(results);
    return ok;
  }

  // An event as XML, in UTF-8; "" when it cannot be rendered.
  std::string rendered(EVT_HANDLE event) {
    DWORD used = 0, properties = 0;
    render_(nullptr, event, EvtRenderEventXml, 0, nullptr, &used, &properties);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || used == 0) return "";
    std::vector<wchar_t> xml(used / sizeof(wchar_t) + 1);
    if (!render_(nullptr, event, EvtRenderEventXml, used, xml.data(), &used, &properties)) return "";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, xml.data(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return "";
    std::string text(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, xml.data(), -1, &text[0], bytes, nullptr, nullptr);
    text.resize(bytes - 1);
    return text;
  }

  HMODULE library_ = nullptr;
  query_function query_ = nullptr;
  next_function next_ = nullptr;
  render_function render_ = nullptr;
  close_function close_ = nullptr;
  hardware_source source_;
  int64_t last_record_ = 0;
};

}  // namespace

std::unique_ptr<hardware_readers> open_hardware_readers(const std::vector<int32_t>&) {
  return std::make_unique<windows_readers>();
}
