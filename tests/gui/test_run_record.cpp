// pi_rec.dat: load, update, merge and save of the best times, in a fresh temporary directory per test.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "gui/front_end_state.h"
#include "gui/run_record.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class RunRecord : public ::testing::Test {
 protected:
  void SetUp() override { clear_table(); }
  static void clear_table() {
    for (uint32_t& slot : best_times) slot = 0;
  }
  static void write_file(const std::string& text) { std::ofstream("pi_rec.dat", std::ios::binary) << text; }
  static std::vector<std::string> file_lines() {
    std::ifstream in("pi_rec.dat");  // text mode: CR LF reads as one line end on Windows
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  static std::string file_text() {
    std::ifstream in("pi_rec.dat", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static std::vector<uint32_t> table() { return {best_times, best_times + record_slots}; }

  ScopedTempDir directory_{"pi_rec"};  // the current directory during the test
};

TEST_F(RunRecord, MissingFileMeansNoSizeWasRun) {
  for (int k = 0; k < record_slots; ++k) best_times[k] = 1000 + k;
  load_record();
  EXPECT_EQ(table(), std::vector<uint32_t>(record_slots, 0));
  EXPECT_FALSE(fs::exists("pi_rec.dat"));
}

TEST_F(RunRecord, SaveWritesTwentyLinesThatLoadReadsBack) {
  const std::vector<uint32_t> times = {172,   0,     688,   1376,   2752,    5505,      11010,
                                       22020, 44040, 88080, 176160, 3723456, 13,        14,
                                       15,    16,    17,    18,     19,      2147483647};
  std::copy(times.begin(), times.end(), best_times);
  save_record();

  const std::vector<std::string> lines = file_lines();
  ASSERT_EQ(lines.size(), 20u);
  for (int k = 0; k < record_slots; ++k) EXPECT_EQ(lines[k], std::to_string(times[k])) << "line " << k + 1;

  clear_table();
  load_record();
  EXPECT_EQ(table(), times);
}

TEST_F(RunRecord, ShortFileFillsOnlyItsSlots) {
  // Numbers separated by any white space, CR LF included; the slots beyond stay as they were (0
  // when the window is created).
  write_file("5\r\n6 \t7\n\n\n8");
  load_record();
  std::vector<uint32_t> expected(record_slots, 0);
  expected[0] = 5, expected[1] = 6, expected[2] = 7, expected[3] = 8;
  EXPECT_EQ(table(), expected);

  write_file("");
  best_times[4] = 99;
  load_record();
  EXPECT_EQ(best_times[0], 5u) << "an empty file changes nothing";
  EXPECT_EQ(best_times[4], 99u);
}

TEST_F(RunRecord, GarbageEndsTheReading) {
  const struct {
    const char* text;
    std::vector<uint32_t> head;  // the first slots after loading; all others 0
  } cases[] = {
      {"10 20 abc 30", {10, 20, 0}},
      {"12abc 30", {12, 0}},
      {"1.5 30", {1, 0}},
      {"- 5 30", {0, 0}},
      {"garbage", {0}},
      {"\x01\xff\x80 7", {0}},
      {"+9 8", {9, 8, 0}},
  };
  for (const auto& c : cases) {
    clear_table();
    write_file(c.text);
    load_record();
    std::vector<uint32_t> expected(record_slots, 0);
    std::copy(c.head.begin(), c.head.end(), expected.begin());
    EXPECT_EQ(table(), expected) << "file: " << c.text;
  }
}

TEST_F(RunRecord, NumbersThatAreNoTimesReadAsZero) {
  // Negative numbers and numbers beyond 32 bits (which would overflow a plain "%d" read) count as
  // no time, but the reading goes on after them.
  write_file("-5 4294967295 4294967296 99999999999999999999999 -2147483648 -0 7 2147483648");
  load_record();
  std::vector<uint32_t> expected(record_slots, 0);
  expected[1] = 4294967295u;
  expected[6] = 7;
  expected[7] = 2147483648u;
  EXPECT_EQ(table(), expected);
}

TEST_F(RunRecord, UpdateKeepsTheShortestTimeOfEachSize) {
  for (int k = 12; k < record_slots; ++k) best_times[k] = 100 + k;
  const std::vector<uint32_t> before = table();

  update_record(1048576, 12345);  // size index 7: empty slot takes the time
  std::vector<uint32_t> expected = before;
  expected[6] = 12345;
  EXPECT_EQ(table(), expected);

  update_record(1048576, 12346);  // slower: unchanged
  EXPECT_EQ(table(), expected);

  update_record(1048576, 12000);  // faster: replaced
  expected[6] = 12000;
  EXPECT_EQ(table(), expected);

  update_record(16384, 4000000000u);  // unsigned comparison: a long time is not a negative one
  update_record(16384, 3999999999u);
  expected[0] = 3999999999u;
  update_record(33554432, 1);
  expected[11] = 1;
  EXPECT_EQ(table(), expected);
}

TEST_F(RunRecord, RunAfterLoadWritesBackEverySlot) {
  // What a worker does after a completed run: the slots of other sizes and 12 to 19 survive.
  write_file(
      "111\n222\n333\n444\n555\n666\n777\n888\n999\n1010\n1111\n1212\n"
      "13\n14\n15\n16\n17\n18\n19\n20\n");
  load_record();
  update_record(32768, 200);  // faster than 222
  update_record(65536, 400);  // slower than 333
  save_record();

  const std::vector<std::string> lines = file_lines();
  const std::vector<std::string> expected = {"111", "200", "333",  "444",  "555",  "666", "777",
                                             "888", "999", "1010", "1111", "1212", "13",  "14",
                                             "15",  "16",  "17",   "18",   "19",   "20"};
  EXPECT_EQ(lines, expected);
}

TEST(RecordMerge, KeepsTheBetterTimeOfEachSlot) {
  const struct {
    uint32_t mine, theirs, kept;
  } slots[] = {
      {0, 0, 0},            // neither program has a time
      {0, 500, 500},        // only the file's
      {500, 0, 500},        // only ours
      {400, 500, 400},      // ours shorter
      {500, 400, 400},      // theirs shorter
      {500, 500, 500},      // the same time
      {4000000000u, 1, 1},  // unsigned: long times are not negative ones
      {1, 4000000000u, 1}, {0, 4294967295u, 4294967295u},
  };
  static_assert(sizeof slots / sizeof slots[0] <= record_slots, "one slot per case");
  uint32_t mine[record_slots] = {}, theirs[record_slots] = {}, kept[record_slots] = {};
  int k = 0;
  for (const auto& slot : slots) mine[k] = slot.mine, theirs[k] = slot.theirs, kept[k++] = slot.kept;
  merge_best_times(mine, theirs);
  for (k = 0; k < record_slots; ++k) EXPECT_EQ(mine[k], kept[k]) << "slot " << k;
}

TEST_F(RunRecord, SaveKeepsTimesThatAnotherProgramSavedSinceTheLoad) {
  load_record();  // no file yet: all slots empty
  write_file("900\n500\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n77\n");  // the other program
  update_record(16384, 700);                                                        // faster than 900
  update_record(65536, 300);                                                        // a slot only we have
  ASSERT_TRUE(save_record());
  std::vector<std::string> expected(record_slots, "0");
  expected[0] = "700", expected[1] = "500", expected[2] = "300", expected[19] = "77";
  EXPECT_EQ(file_lines(), expected);
  clear_table();
  load_record();
  EXPECT_EQ(best_times[1], 500u) << "the table shows the merged times as well";
}

TEST_F(RunRecord, FailedSaveLeavesTheEarlierRecordAndNoTemporaryFile) {
  const std::string earlier = "5\n6\n";  // the read-only record's text
  const struct {
    const char* obstacle;
    void (*make)();
  } cases[] = {
      {"an empty directory named pi_rec.dat", [] { fs::create_directory("pi_rec.dat"); }},
      {"a directory with content",
       [] {
         fs::create_directory("pi_rec.dat");
         std::ofstream("pi_rec.dat/inside") << "kept";
       }},
      {"a read-only record",
       [] {
         std::ofstream("pi_rec.dat", std::ios::binary) << "5\n6\n";
         fs::permissions("pi_rec.dat",
                         fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
       }},
  };
  for (const auto& c : cases) {
    std::error_code ignored;
    fs::permissions("pi_rec.dat", fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all("pi_rec.dat");
    c.make();
    const bool directory = fs::is_directory("pi_rec.dat");
    const size_t entries = directory ? size_t(std::distance(fs::directory_iterator("pi_rec.dat"), {})) : 0;
    best_times[3] = 1234;
    EXPECT_FALSE(save_record()) << c.obstacle;
    if (directory)
      EXPECT_EQ(size_t(std::distance(fs::directory_iterator("pi_rec.dat"), {})), entries) << c.obstacle;
    else
      EXPECT_EQ(file_text(), earlier) << c.obstacle;
    EXPECT_EQ(best_times[3], 1234u) << c.obstacle << ": the table keeps the time for the next save";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(".")) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"pi_rec.dat"}) << c.obstacle << ": no temporary file left";
  }
  fs::permissions("pi_rec.dat", fs::perms::owner_write, fs::perm_options::add);  // so that it can be removed
}

}  // namespace
