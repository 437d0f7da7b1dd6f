#include "gui/size_index.h"

int32_t digits_of_size_index(int index) { return int32_t(16384) << (index - 1); }

int32_t digits_of_command(int command) { return int32_t(1) << (command - 87); }

int size_index_of_digits(int32_t digits) {
  int32_t k = digits / 16384;
  int index = 1;
  while (k > 1) {
    k /= 2;
    ++index;
  }
  return index;
}

uint64_t pi_file_bytes(int32_t digits) {
  const uint64_t line_end = 2;                      // CR LF
  const uint64_t limbs = uint64_t(digits / 4) - 1;  // four decimals per limb; limb 0 holds the 3
  const uint64_t blocks = limbs / 25;               // 100 digits = two lines of fifty
  const uint64_t main_lines = 2 * blocks;
  const uint64_t empty_lines = blocks / 10;       // one after every thousand digits
  const uint64_t tail_digits = 4 * (limbs % 25);  // 0..96
  const uint64_t tail_line_ends = tail_digits / 50;
  const uint64_t tail_blanks = tail_digits / 10 - tail_line_ends;

  const uint64_t line_ends = 2 + main_lines + empty_lines + tail_line_ends + 1;
  // "PI=3."; a main line is five groups of ten digits and four blanks.
  return 5 + main_lines * 54 + tail_digits + tail_blanks + line_ends * line_end;
}
