#include "gui/run_record.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <filesystem>

#include "core/numbers/file_replacement.h"
#include "gui/front_end_state.h"
#include "gui/size_index.h"

namespace fs = std::filesystem;

static const char record_file_name[] = "pi_rec.dat";

enum class number_read { found, not_a_number, end_of_file };

// Reads one decimal integer after optional white space, like scanf's "%d", but without its undefined
// behaviour on overflow: a value outside 0..2^32 - 1 becomes 0. A sign without digits is no number.
static number_read read_time(FILE* file, uint32_t* time) {
  int c;
  do c = std::fgetc(file);
  while (c != EOF && std::isspace(c));
  if (c == EOF) return number_read::end_of_file;

  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = std::fgetc(file);
  }
  if (c == EOF || !std::isdigit(c)) {
    if (c != EOF) std::ungetc(c, file);
    return number_read::not_a_number;
  }

  uint64_t value = 0;  // saturates at 2^32, just above every valid time
  for (; c != EOF && std::isdigit(c); c = std::fgetc(file)) {
    value = value * 10 + uint64_t(c - '0');
    if (value > UINT32_MAX) value = uint64_t(UINT32_MAX) + 1;
  }
  if (c != EOF) std::ungetc(c, file);

  const bool valid = value <= UINT32_MAX && !(negative && value != 0);
  *time = valid ? uint32_t(value) : 0;
  return number_read::found;
}

// Reads the file's numbers into the first slots of `times`, as load_record describes. Returns false,
// leaving `times` as it was, when the file cannot be opened.
static bool read_record_file(uint32_t* times) {
  FILE* file = std::fopen(record_file_name, "r");
  if (file == nullptr) return false;
  for (int k = 0; k < record_slots; ++k) {
    uint32_t time;
    if (read_time(file, &time) != number_read::found) break;  // past a non-number nothing more can be read
    times[k] = time;
  }
  std::fclose(file);
  return true;
}

void load_record() {
  if (!read_record_file(best_times))
    for (uint32_t& slot : best_times) slot = 0;
}

void update_record(int32_t run_digits, uint32_t t) {
  uint32_t& slot = best_times[size_index_of_digits(run_digits) - 1];
  if (slot == 0 || t < slot) slot = t;
}

void merge_best_times(uint32_t* times, const uint32_t* other) {
  for (int k = 0; k < record_slots; ++k)
    if (times[k] == 0 || (other[k] != 0 && other[k] < times[k])) times[k] = other[k];
}

// A record that exists as something other than a file the owner may write (a directory in the way,
// or a file made read-only) is left as it is: a rename would replace a read-only file all the same
// on some systems.
static bool record_may_be_replaced() {
  std::error_code error;
  const fs::file_status status = fs::status(record_file_name, error);
  if (!fs::exists(status)) return true;
  return fs::is_regular_file(status) && (status.permissions() & fs::perms::owner_write) != fs::perms::none;
}

bool save_record() {
  uint32_t on_disk[record_slots] = {};
  read_record_file(on_disk);  // missing or unreadable: nothing to keep
  merge_best_times(best_times, on_disk);
  if (!record_may_be_replaced()) return false;

  file_replacement replacement;
  if (!begin_file_replacement(&replacement, record_file_name, true)) return false;
  // Unsigned decimal: the same text as a signed conversion for every time below 2^31 ms (24 days),
  // and no negative numbers, which load_record would reject, above.
  bool written = true;
  for (uint32_t slot : best_times)
    written = std::fprintf(replacement.file, "%" PRIu32 "\n", slot) > 0 && written;
  return commit_file_replacement(&replacement, written);
}
