#include "gui/screen_format.h"

#include <cinttypes>
#include <cstdio>

#include "gui/size_index.h"

const char physical_memory_label[] = "物理メモリ＝";
const char free_memory_label[] = "空きメモリ＝";
const char used_memory_label[] = "使用メモリ＝";
const char disk_capacity_label[] = "ディスク容量＝";
const char free_disk_label[] = "空きディスク＝";
const char used_disk_label[] = "使用ディスク＝";

static uint32_t hours_of(uint32_t ms) { return ms / 3600000; }
static uint32_t minutes_of(uint32_t ms) { return ms / 60000 % 60; }
static uint32_t seconds_of(uint32_t ms) { return ms / 1000 % 60; }
static uint32_t hundredths_of(uint32_t ms) { return ms / 10 % 100; }

void format_best_time(char* buffer, size_t size, uint32_t ms) {
  if (ms == 0)
    std::snprintf(buffer, size, "-まだ未計算です。");
  else
    std::snprintf(buffer, size, "%03" PRIu32 "時間 %02" PRIu32 "分 %02" PRIu32 ".%02" PRIu32 "秒",
                  hours_of(ms), minutes_of(ms), seconds_of(ms), hundredths_of(ms));
}

// The size in units of ten thousand digits, cut off: tenths below 131072 digits ("6.5" for 65536).
static void format_ten_thousands(char* buffer, size_t size, int32_t digits) {
  if (digits < 131072)
    std::snprintf(buffer, size, "%d.%d", int(digits / 10000), int(digits / 1000 % 10));
  else
    std::snprintf(buffer, size, "%d", int(digits / 10000));
}

void format_size_label(char* buffer, size_t size, int index) {
  char number[16];
  format_ten_thousands(number, sizeof number, digits_of_size_index(index));
  std::snprintf(buffer, size, "［%5s万桁］", number);
}

void format_run_heading(char* buffer, size_t size, int32_t digits) {
  char number[16];
  format_ten_thousands(number, sizeof number, digits);
  std::snprintf(buffer, size, "%s万桁の計算開始", number);
}

void format_memory_line(char* buffer, size_t size, const char* label, uint64_t bytes) {
  std::snprintf(buffer, size, "%s%13" PRIu64, label, bytes);
}

void format_disk_line(char* buffer, size_t size, const char* label, uint64_t bytes) {
  const uint64_t billion = 1000000000;
  if (bytes < billion)
    std::snprintf(buffer, size, "%s%13" PRIu64, label, bytes);
  else
    std::snprintf(buffer, size, "%s%4" PRIu64 "%09" PRIu64, label, bytes / billion, bytes % billion);
}

void format_elapsed_line(char* buffer, size_t size, uint32_t ms) {
  std::snprintf(buffer, size,
                "%02" PRIu32 "時間 %02" PRIu32 "分 %02" PRIu32 ".%02" PRIu32
                "秒  計算結果をpi.txtに出力しました",
                hours_of(ms), minutes_of(ms), seconds_of(ms), hundredths_of(ms));
}

const char failure_caption[] = "エラー";

void format_failure_message(char* buffer, size_t size, pi_status status, const pi_result& result) {
  static const char unchanged[] = "pi.txtは元のままです。";
  switch (status) {
    case pi_status::ok: std::snprintf(buffer, size, "%s", ""); return;
    case pi_status::memory:
      std::snprintf(buffer, size, "メモリを確保できませんでした。計算を中止しました。\n%s", unchanged);
      return;
    case pi_status::file_open:
      std::snprintf(buffer, size,
                    "pi.txtを書き出すファイルを作成できませんでした。計算を中止しました。\n"
                    "フォルダに書き込めるか確認してください。\n%s",
                    unchanged);
      return;
    case pi_status::file_write:
      std::snprintf(buffer, size,
                    "計算結果をpi.txtに書き出せませんでした。\n"
                    "ディスクの空き容量を確認してください。\n%s",
                    unchanged);
      return;
    case pi_status::rounding:
      std::snprintf(buffer, size, "計算の丸め誤差が大きすぎるため、計算結果を信頼できません。\n%s",
                    unchanged);
      return;
    case pi_status::verification:
      std::snprintf(buffer, size,
                    "計算結果が円周率と一致しませんでした(小数第%" PRId64
                    "桁から)。\n"
                    "ハードウェアの異常が考えられます。\n%s",
                    result.first_wrong_decimal, unchanged);
      return;
    case pi_status::not_reproducible: {
      // The final result and the rounding distance are compared after the digits were verified.
      const int32_t phase = result.differing_phase;
      char what[32];
      if (phase == pi_rounding_differs)
        std::snprintf(what, sizeof what, "丸め誤差の最大値");
      else if (phase == 0)
        std::snprintf(what, sizeof what, "初期値");
      else if (phase > result.iterations)
        std::snprintf(what, sizeof what, "最終結果");
      else
        std::snprintf(what, sizeof what, "第%d反復", static_cast<int>(phase));
      std::snprintf(buffer, size,
                    "計算の途中経過が既知の値と一致しませんでした(%s)。\n"
                    "%sハードウェアの異常が考えられます。\n%s",
                    what,
                    phase == pi_rounding_differs || phase > result.iterations
                        ? "円周率の桁は検証済みですが、"
                        : "円周率の桁は正しい可能性がありますが、",
                    unchanged);
      return;
    }
    case pi_status::cancelled: std::snprintf(buffer, size, "計算を中断しました。\n%s", unchanged); return;
    case pi_status::threads:
      std::snprintf(buffer, size, "計算のスレッドを作成できませんでした。\n%s", unchanged);
      return;
  }
  // A status this front end does not know yet.
  std::snprintf(buffer, size, "計算に失敗しました。\n%s", unchanged);
}
