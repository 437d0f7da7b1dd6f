#include "core/numbers/pi_file.h"


namespace {

constexpr int32_t block_limbs = 25;     // 100 digits: two lines of five groups of ten
constexpr int32_t digits_per_gap = 1000;  // an empty line after every thousand digits

// Ten groups of ten digits from 25 limbs q[0..24], on two lines. A group spans two and a half
// limbs, so q[2], q[7], q[12], q[17] and q[22] are split into their high half (q / 100), which
// ends one group, and their low half (q % 100), which starts the next.
int write_block(std::FILE* f, const int16_t* q) {
  int bad = std::fprintf(f, "%04d%04d%02d %02d%04d%04d %04d%04d%02d %02d%04d%04d %04d%04d%02d\n",
                         q[0], q[1], q[2] / 100, q[2] % 100, q[3], q[4], q[5], q[6], q[7] / 100,
                         q[7] % 100, q[8], q[9], q[10], q[11], q[12] / 100) < 0;
  bad |= std::fprintf(f, "%02d%04d%04d %04d%04d%02d %02d%04d%04d %04d%04d%02d %02d%04d%04d\n",
                      q[12] % 100, q[13], q[14], q[15], q[16], q[17] / 100, q[17] % 100, q[18],
                      q[19], q[20], q[21], q[22] / 100, q[22] % 100, q[23], q[24]) < 0;
  return bad;
}

// The tail (fewer than 25 limbs), two digits at a time: a blank after every tenth digit, a line
// end instead after every fiftieth.
int write_tail(std::FILE* f, const int16_t* q, int32_t count) {
  int bad = 0;
  int32_t written = 0;
  for (int32_t i = 0; i < 2 * count; ++i) {
    int pair = i % 2 == 0 ? q[i / 2] / 100 : q[i / 2] % 100;
    bad |= std::fprintf(f, "%02d", pair) < 0;
    written += 2;
    if (written % 50 == 0)
      bad |= std::fputc('\n', f) == EOF;
    else if (written % 10 == 0)
      bad |= std::fputc(' ', f) == EOF;
  }
  return bad;
}

}  // namespace

bool write_pi_digits(std::FILE* f, const int16_t* p, int32_t limbs) {
  int bad = std::fputs("PI=3.\n\n", f) == EOF;
  const int32_t full = limbs / block_limbs * block_limbs;
  int32_t digits = 0;
  for (int32_t i = 0; i < full; i += block_limbs) {
    bad |= write_block(f, p + i);
    digits += 4 * block_limbs;
    if (digits == digits_per_gap) {
      digits = 0;
      bad |= std::fputc('\n', f) == EOF;
    }
  }
  bad |= write_tail(f, p + full, limbs - full);
  bad |= std::fputc('\n', f) == EOF;
  return !bad && !std::ferror(f);
}
