// Menu sizes, what a run needs on disk, and the help file path.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "gui/help_path.h"
#include "gui/size_index.h"

namespace {

TEST(Sizes, CommandsIndexesAndDigitsAgree) {
  for (int k = 1; k <= size_count; ++k) {
    const int32_t d = digits_of_size_index(k);
    EXPECT_EQ(d, int32_t(1) << (13 + k)) << "size index " << k;
    EXPECT_EQ(digits_of_command(first_size_command + k - 1), d) << "size index " << k;
    EXPECT_EQ(size_index_of_digits(d), k) << "digits " << d;
  }
  EXPECT_EQ(last_size_command - first_size_command + 1, size_count);
  EXPECT_EQ(digits_of_command(101), 16384);
  EXPECT_EQ(digits_of_command(112), 33554432);
}

// The digit file as the writer lays it out, emitted character by character with CR LF line ends:
// header, blocks of 100 digits as two lines of five groups, an empty line after every 1000 digits,
// the tail in pieces of two digits with a blank after every tenth digit and a line end after every
// fiftieth, and a final line end. Only the digits' values are left out (all '0').
uint64_t laid_out_size(int32_t digits) {
  std::string file = "PI=3.\r\n\r\n";
  const int limbs = digits / 4 - 1;
  const int full = limbs / 25 * 25;
  int counter = 0;
  for (int block = 0; block < full; block += 25) {
    for (int line = 0; line < 2; ++line)
      for (int group = 0; group < 5; ++group) file += std::string(10, '0') + (group == 4 ? "\r\n" : " ");
    counter += 100;
    if (counter == 1000) {
      counter = 0;
      file += "\r\n";
    }
  }
  int tail = 0;
  for (int i = full; i < limbs; ++i)
    for (int half = 0; half < 2; ++half) {
      file += "00";
      tail += 2;
      if (tail % 50 == 0)
        file += "\r\n";
      else if (tail % 10 == 0)
        file += " ";
    }
  file += "\r\n";
  return file.size();
}

TEST(Sizes, DiskBytesAreTheSizeOfTheDigitFile) {
  const uint64_t expected[size_count] = {18388,   36770,   73536,   147068,  294131,   588256,
                                         1176507, 2353009, 4706015, 9412023, 18824042, 37648077};
  for (int k = 1; k <= size_count; ++k)
    EXPECT_EQ(pi_file_bytes(digits_of_size_index(k)), expected[k - 1]) << "size index " << k;

  // Against the character-by-character layout, for the menu sizes it can afford and for the
  // small counts where the main part is empty (64) or exactly 1000 digits (1024).
  for (int32_t d :
       {64, 128, 256, 1024, 4096, 16384, 32768, 65536, 131072, 262144, 524288, 1048576, 2097152, 4194304})
    EXPECT_EQ(pi_file_bytes(d), laid_out_size(d)) << "digits " << d;
}

TEST(Sizes, HelpPathRefusesWhatDoesNotFit) {
  char buffer[260 + 8];
  std::memset(buffer, 0x55, sizeof buffer);

  EXPECT_TRUE(build_help_path(buffer, 260, "C:\\pi"));
  EXPECT_STREQ(buffer, "C:\\pi\\readme.txt");

  // 248 characters + "\readme.txt" (11) + the terminating zero fill the 260 bytes exactly.
  const std::string longest(248, 'd');
  std::memset(buffer, 0x55, sizeof buffer);
  ASSERT_TRUE(build_help_path(buffer, 260, longest.c_str()));
  EXPECT_EQ(std::string(buffer), longest + "\\readme.txt");
  for (size_t i = 260; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x55) << "byte " << i;

  std::memset(buffer, 0x55, sizeof buffer);
  EXPECT_FALSE(build_help_path(buffer, 260, (longest + "d").c_str()));
  for (size_t i = 0; i < sizeof buffer; ++i)
    ASSERT_EQ(buffer[i], 0x55) << "a refused path writes nothing, byte " << i;
}

}  // namespace
