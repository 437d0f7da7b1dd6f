// The texts of the idle and run screens. This file is compiled, like the front end, with code page
// 932 as its execution character set, so the literals below are the bytes the window draws; the
// first test pins that conversion down byte by byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gui/screen_format.h"

namespace {

template <typename... Args>
std::string formatted(void (*format)(char*, size_t, Args...), Args... args) {
  char buffer[160];
  std::memset(buffer, 0x55, sizeof buffer);
  format(buffer, sizeof buffer, args...);
  return buffer;
}

std::string label(int index) { return formatted(format_size_label, index); }

TEST(ScreenFormat, TextsAreCodePage932) {
  EXPECT_EQ(std::string("［  1.6万桁］"), "\x81\x6d  1.6\x96\x9c\x8c\x85\x81\x6e");
  EXPECT_EQ(label(1), "\x81\x6d  1.6\x96\x9c\x8c\x85\x81\x6e");
  EXPECT_EQ(std::string(physical_memory_label), "\x95\xa8\x97\x9d\x83\x81\x83\x82\x83\x8a\x81\x81");
  EXPECT_EQ(formatted(format_best_time, uint32_t(0)),
            "-\x82\xdc\x82\xbe\x96\xa2\x8c\x76\x8e\x5a\x82\xc5\x82\xb7\x81\x42");
}

TEST(ScreenFormat, IdleScreenLabelsAreThirteenBytesRightAligned) {
  const char* const expected[] = {"［  1.6万桁］", "［  3.2万桁］", "［  6.5万桁］", "［   13万桁］",
                                  "［   26万桁］", "［   52万桁］", "［  104万桁］", "［  209万桁］",
                                  "［  419万桁］", "［  838万桁］", "［ 1677万桁］", "［ 3355万桁］"};
  for (int k = 1; k <= 12; ++k) {
    EXPECT_EQ(label(k), expected[k - 1]) << "size index " << k;
    EXPECT_EQ(label(k).size(), 13u) << "size index " << k;
  }
}

TEST(ScreenFormat, RunHeadingCutsOffTheTenThousands) {
  auto heading = [](int32_t d) { return formatted(format_run_heading, d); };
  EXPECT_EQ(heading(16384), "1.6万桁の計算開始");
  EXPECT_EQ(heading(32768), "3.2万桁の計算開始");
  EXPECT_EQ(heading(65536), "6.5万桁の計算開始");
  EXPECT_EQ(heading(131072), "13万桁の計算開始");
  EXPECT_EQ(heading(1048576), "104万桁の計算開始");
  EXPECT_EQ(heading(33554432), "3355万桁の計算開始");
}

TEST(ScreenFormat, TimesSplitIntoHoursMinutesSecondsHundredths) {
  auto best = [](uint32_t ms) { return formatted(format_best_time, ms); };
  auto run = [](uint32_t ms) { return formatted(format_elapsed_line, ms); };
  const std::string written = "  計算結果をpi.txtに出力しました";

  EXPECT_EQ(best(0), "-まだ未計算です。");
  EXPECT_EQ(best(3723456), "001時間 02分 03.45秒");
  EXPECT_EQ(run(3723456), "01時間 02分 03.45秒" + written);

  EXPECT_EQ(best(1), "000時間 00分 00.00秒") << "a time below 10 ms is not 'not computed'";
  EXPECT_EQ(best(359999999), "099時間 59分 59.99秒");
  EXPECT_EQ(run(359999999), "99時間 59分 59.99秒" + written);
  EXPECT_EQ(run(360000000), "100時間 00分 00.00秒" + written) << "the hour widens from 100 on";
  EXPECT_EQ(run(0), "00時間 00分 00.00秒" + written);
  // The longest 32-bit time: 1193 h 2 min 47.295 s, every field still cut off, not rounded.
  EXPECT_EQ(best(4294967295u), "1193時間 02分 47.29秒");
  EXPECT_EQ(run(4294967295u), "1193時間 02分 47.29秒" + written);
}

TEST(ScreenFormat, DiskFiguresFillThirteenColumnsInBothForms) {
  auto disk = [](uint64_t v) { return formatted(format_disk_line, used_disk_label, v); };
  const std::string used = used_disk_label;
  EXPECT_EQ(used, "使用ディスク＝");
  EXPECT_EQ(disk(999999999), used + "    999999999");
  EXPECT_EQ(disk(1000000000), used + "   1000000000");
  EXPECT_EQ(disk(1000000007), used + "   1000000007") << "the low part keeps its zeros";
  EXPECT_EQ(disk(0), used + "            0");
  EXPECT_EQ(disk(18388), used + "        18388");
  EXPECT_EQ(disk(9999999999999ull), used + "9999999999999");
  EXPECT_EQ(disk(18446744073709551615ull), used + "18446744073709551615") << "wider, not cut";
  EXPECT_EQ(formatted(format_disk_line, disk_capacity_label, uint64_t(250000000000ull)),
            "ディスク容量＝ 250000000000");
  EXPECT_EQ(formatted(format_disk_line, free_disk_label, uint64_t(5)), "空きディスク＝            5");
}

TEST(ScreenFormat, MemoryFiguresDoNotWrapAboveFourGibibytes) {
  auto memory = [](const char* l, uint64_t v) { return formatted(format_memory_line, l, v); };
  EXPECT_EQ(memory(physical_memory_label, 8589934592ull), "物理メモリ＝   8589934592");
  EXPECT_EQ(memory(free_memory_label, 4294967296ull), "空きメモリ＝   4294967296");
  EXPECT_EQ(memory(used_memory_label, 352321576), "使用メモリ＝    352321576");
  EXPECT_EQ(memory(used_memory_label, 172072), "使用メモリ＝       172072");
  EXPECT_EQ(memory(physical_memory_label, 18446744073709551615ull), "物理メモリ＝18446744073709551615");
}

TEST(ScreenFormat, SmallBuffersAreNeverOverrun) {
  char buffer[12];
  std::memset(buffer, 0x55, sizeof buffer);
  format_elapsed_line(buffer, 8, 3723456);
  EXPECT_EQ(std::string(buffer), "01時間 ");  // 7 bytes and the terminating zero
  for (size_t i = 8; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x55) << "byte " << i;
}

TEST(ScreenFormat, EveryFailureHasItsOwnMessageSayingPiTxtIsUnchanged) {
  struct failure {
    pi_status status;
    int32_t differing_phase;
    const char* names;  // a part of the text that says which failure it is
  };
  const failure failures[] = {
      {pi_status::memory, 0, "メモリ"},
      {pi_status::file_open, 0, "作成できません"},
      {pi_status::file_write, 0, "書き出せません"},
      {pi_status::rounding, 0, "丸め誤差"},
      {pi_status::verification, 0, "小数第1234567桁"},
      {pi_status::not_reproducible, 0, "(初期値)"},
      {pi_status::not_reproducible, 7, "(第7反復)。\n円周率の桁は正しい可能性"},
      {pi_status::not_reproducible, 20, "(最終結果)。\n円周率の桁は検証済み"},
      {pi_status::not_reproducible, pi_rounding_differs, "(丸め誤差の最大値)"},
      {pi_status::cancelled, 0, "中断"},
  };
  pi_result result = {};
  result.iterations = 19;
  result.first_wrong_decimal = 1234567;
  std::vector<std::string> texts;
  for (const failure& f : failures) {
    result.differing_phase = f.differing_phase;
    char buffer[256];
    format_failure_message(buffer, sizeof buffer, f.status, result);
    const std::string text = buffer;
    EXPECT_NE(text.find(f.names), std::string::npos) << text;
    EXPECT_NE(text.find("pi.txtは元のままです。"), std::string::npos) << text;
    EXPECT_EQ(std::count(texts.begin(), texts.end(), text), 0) << "two failures share: " << text;
    texts.push_back(text);
  }
  char buffer[8];
  format_failure_message(buffer, sizeof buffer, pi_status::ok, result);
  EXPECT_STREQ(buffer, "");
}

}  // namespace
