// The digit file: layout figures for every offered size, the exact text against a reference built
// from the digit string, the ends of the file for the sizes with special tails, and the failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/numbers/pi_file.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
const std::string eol = "\r\n";
#else
const std::string eol = "\n";
#endif

namespace {

// Limbs with every kind of value, so that zero padding of all four digits and of both halves of
// a split limb is exercised: 0, 5, 42, 628, 1000, 9999, ...
std::vector<int16_t> synthetic_limbs(int32_t count) {
  std::vector<int16_t> p(count);
  for (int32_t i = 0; i < count; ++i) p[i] = static_cast<int16_t>((i * int64_t{7919} + i / 3 * 13) % 10000);
  static const int16_t specials[] = {0, 5, 42, 628, 1000, 9999, 100, 99, 1};
  for (int32_t i = 0; i < count && i < 9; ++i) p[i * 3 % count] = specials[i];
  return p;
}

std::string digit_string(const std::vector<int16_t>& p) {
  std::string s;
  char buf[8];
  for (int16_t q : p) {
    std::snprintf(buf, sizeof buf, "%04d", q);
    s += buf;
  }
  return s;
}

// The file as a reader sees it: lines of five ten-digit groups, an empty line after each thousand
// digits of the main part (whole 100-digit blocks), then the rest with a blank after each ten
// digits, a line end after each fifty, and a final line end.
std::string reference_file(const std::string& digits) {
  const size_t main_digits = digits.size() / 100 * 100;
  std::string out = "PI=3." + eol + eol;
  for (size_t i = 0; i < main_digits; i += 50) {
    for (size_t g = 0; g < 5; ++g) out += digits.substr(i + 10 * g, 10) + (g < 4 ? " " : eol);
    if ((i + 50) % 1000 == 0) out += eol;
  }
  for (size_t i = main_digits; i < digits.size(); ++i) {
    out += digits[i];
    const size_t k = i - main_digits + 1;
    if (k % 50 == 0)
      out += eol;
    else if (k % 10 == 0)
      out += ' ';
  }
  return out + eol;
}

std::string read_file(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string write_and_read(const std::vector<int16_t>& limbs) {
  std::FILE* f = std::fopen("pi.txt", "w");
  EXPECT_TRUE(f && write_pi_digits(f, limbs.data(), static_cast<int32_t>(limbs.size())));
  if (f) std::fclose(f);
  return read_file("pi.txt");
}

// Digits replaced by 'd' and line ends by '|': the shape of a piece of the file.
std::string shape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') continue;
    out += s[i] >= '0' && s[i] <= '9' ? 'd' : s[i] == '\n' ? '|' : s[i];
  }
  return out;
}

std::string ten(char c = 'd') { return std::string(10, c); }

TEST(DigitFile, LayoutFiguresOfEveryMenuSize) {
  ScopedTempDir dir("layout");
  struct Row { int log2D; long decimals, main_lines, tail_digits, line_ends, crlf_bytes; };
  const Row rows[] = {
      {14, 16380, 326, 80, 346, 18388},          {15, 32764, 654, 64, 690, 36770},
      {16, 65532, 1310, 32, 1378, 73536},        {17, 131068, 2620, 68, 2755, 147068},
      {18, 262140, 5242, 40, 5507, 294131},      {19, 524284, 10484, 84, 11012, 588256},
      {20, 1048572, 20970, 72, 22022, 1176507},  {21, 2097148, 41942, 48, 44042, 2353009},
      {22, 4194300, 83886, 0, 88083, 4706015},   {23, 8388604, 167772, 4, 176163, 9412023},
      {24, 16777212, 335544, 12, 352324, 18824042}, {25, 33554428, 671088, 28, 704645, 37648077}};
  for (const Row& r : rows) {
    SCOPED_TRACE("D = 2^" + std::to_string(r.log2D));
    const int32_t n = (1 << r.log2D) / 4;
    const std::vector<int16_t> limbs = synthetic_limbs(n - 1);
    const std::string file = write_and_read(limbs);
    long digit_count = 0, line_ends = 0;
    for (char c : file) {
      digit_count += c >= '0' && c <= '9';
      line_ends += c == '\n';
    }
    EXPECT_EQ(digit_count - 1, r.decimals);  // the header's 3 is not a decimal
    EXPECT_EQ(line_ends, r.line_ends);
    EXPECT_EQ(static_cast<long>(file.size()), r.crlf_bytes - (eol.size() == 1 ? r.line_ends : 0));
    EXPECT_EQ(r.main_lines, static_cast<long>(limbs.size() / 25 * 2));
    EXPECT_EQ(r.tail_digits, static_cast<long>(limbs.size() % 25 * 4));
    ASSERT_TRUE(file == reference_file(digit_string(limbs))) << "text differs from the reference";
  }
}

TEST(DigitFile, HeaderAndZeroPaddingOfEveryLimbPosition) {
  ScopedTempDir dir("padding");
  // Every limb position of a 25-limb block in turn holds a one-digit value.
  for (int pos = 0; pos < 25; ++pos) {
    std::vector<int16_t> limbs(50, 1111);
    limbs[pos] = 5;
    limbs[25 + pos] = 628;
    const std::string file = write_and_read(limbs);
    ASSERT_EQ(file.substr(0, 5 + 2 * eol.size()), "PI=3." + eol + eol);
    EXPECT_EQ(file, reference_file(digit_string(limbs))) << "position " << pos;
  }
  std::vector<int16_t> limbs(25, 0);
  limbs[0] = 628;
  limbs[2] = 5;
  const std::string file = write_and_read(limbs);
  EXPECT_EQ(file.substr(5 + 2 * eol.size(), 21), "0628000000 0500000000");
}

TEST(DigitFile, EndsOfTheFileForTheSpecialTails) {
  ScopedTempDir dir("tails");
  const std::string line = ten() + " " + ten() + " " + ten() + " " + ten() + " " + ten() + "|";
  struct Case { int log2D; std::string end; };
  const Case cases[] = {
      // 16300 digits in the main part: six lines after the last empty line, then 80 tail digits.
      {14, "||" + line + line + line + line + line + line + line + ten() + " " + ten() + " " + ten() + " |"},
      // no tail: the main part's last line end, then the final one (an empty last line)
      {22, line + line + "|"},
      // a one-limb tail: a line of four digits
      {23, line + "dddd|"},
      // exactly 1000 digits in the main part, so its empty line comes before the 20-digit tail
      {10, line + "|" + ten() + " " + ten() + " |"},
      // no main part: 60 digits in the tail's format
      {6, "PI=d.||" + line + ten() + " |"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("D = 2^" + std::to_string(c.log2D));
    const std::string file = shape(write_and_read(synthetic_limbs((1 << c.log2D) / 4 - 1)));
    ASSERT_GE(file.size(), c.end.size());
    EXPECT_EQ(file.substr(file.size() - c.end.size()), c.end);
  }
}

}  // namespace
