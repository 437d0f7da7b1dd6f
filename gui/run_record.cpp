#include "gui/run_record.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "gui/front_end_state.h"
#include "gui/size_index.h"

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

void load_record() {
  FILE* file = std::fopen(record_file_name, "r");
  if (file == nullptr) {
    for (uint32_t& slot : best_times) slot = 0;
    return;
  }
  for (uint32_t& slot : best_times) {
    uint32_t time;
    if (read_time(file, &time) != number_read::found) break;  // past a non-number nothing more can be read
    slot = time;
  }
  std::fclose(file);
}

void update_record(int32_t run_digits, uint32_t t) {
  uint32_t& slot = best_times[size_index_of_digits(run_digits) - 1];
  if (slot == 0 || t < slot) slot = t;
}

void save_record() {
  FILE* file = std::fopen(record_file_name, "w");
  if (file == nullptr) return;
  // Unsigned decimal: the same text as a signed conversion for every time below 2^31 ms (24 days),
  // and no negative numbers, which load_record would reject, above.
  for (uint32_t slot : best_times) std::fprintf(file, "%" PRIu32 "\n", slot);
  std::fclose(file);
}
