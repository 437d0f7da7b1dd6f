#include "console/stress/hardware/whea_event.h"

#include <cerrno>
#include <cstdlib>

namespace {

// A decimal or 0x-hexadecimal number, the whole text, below 2^63.
bool read_number(const std::string& text, int64_t* value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* begin = text.c_str() + (hex ? 2 : 0);
  if (*begin < '0' || (*begin > '9' && !hex)) return false;  // no sign, no blank
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(begin, &end, hex ? 16 : 10);
  if (*end != '\0' || errno != 0 || v > INT64_MAX) return false;
  *value = static_cast<int64_t>(v);
  return true;
}

// The text of the first element that starts with `open` ("<EventID", "<Data Name='ApicId'"), up to
// its closing '<'; false when there is none.
bool element_text(const std::string& xml, const std::string& open, std::string* text) {
  for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
    const char next = xml[at + open.size()];
    if (next != '>' && next != ' ' && next != '/') continue;  // <EventIDX> is another element
    const size_t begin = xml.find('>', at);
    if (begin == std::string::npos || xml[begin - 1] == '/') return false;  // <Data Name='ApicId'/>
    const size_t end = xml.find('<', begin);
    if (end == std::string::npos) return false;
    *text = xml.substr(begin + 1, end - begin - 1);
    return true;
  }
  return false;
}

// An element's number: absent (false, *value untouched) or a number (true); garbage sets *bad.
bool element_number(const std::string& xml, const std::string& open, int64_t* value, bool* bad) {
  std::string text;
  if (!element_text(xml, open, &text)) return false;
  if (!read_number(text, value)) *bad = true;
  return !*bad;
}

// The Data element named `name`, its attribute in either quote.
bool data_number(const std::string& xml, const char* name, int64_t* value, bool* bad) {
  const std::string n(name);
  return element_number(xml, "<Data Name='" + n + "'", value, bad) ||
         element_number(xml, "<Data Name=\"" + n + "\"", value, bad);
}

}  // namespace

bool parse_whea_event(const std::string& xml, whea_event* event) {
  whea_event e;
  bool bad = false;
  int64_t id = 0, bank = -1;
  if (!element_number(xml, "<EventID", &id, &bad) || !element_number(xml, "<EventRecordID", &e.record, &bad) ||
      id > INT32_MAX)
    return false;
  e.id = static_cast<int32_t>(id);
  data_number(xml, "ApicId", &e.apic_id, &bad);
  data_number(xml, "MCABank", &bank, &bad);
  if (bad || bank > INT32_MAX) return false;
  e.bank = static_cast<int32_t>(bank);
  *event = e;
  return true;
}

const char* whea_event_kind(int32_t id) {
  return id == 18 ? "fatal machine check" : id == 19 ? "corrected machine check" : "corrected error";
}
