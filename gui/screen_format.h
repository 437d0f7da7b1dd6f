// The lines of the main window's two screens, formatted into caller buffers (code page 932 text) so
// that painting only draws them. Every function writes at most `size` bytes, terminating zero
// included.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/pi/pi.h"

// Times split as hours = t / 3600000, minutes = t / 60000 mod 60, seconds = t / 1000 mod 60 and
// hundredths = t / 10 mod 100, all cut off. Both screens pad the hours to a minimum width and widen
// beyond it: three digits on the idle screen, two on the run screen.

// Idle screen, row of size index k: the best time, or "-まだ未計算です。" for 0.
void format_best_time(char* buffer, size_t size, uint32_t ms);

// Idle screen, label of size index k: "［  1.6万桁］" .. "［ 3355万桁］", 13 bytes, the number
// right-aligned in five columns.
void format_size_label(char* buffer, size_t size, int index);

// Run screen heading: "1.6万桁の計算開始" for 16384 digits (tenths below 131072 digits, cut off),
// "13万桁の計算開始" for 131072.
void format_run_heading(char* buffer, size_t size, int32_t digits);

// Run screen memory line: the label, then the value right-aligned in 13 columns (wider values push
// the line to the right; nothing is cut off).
void format_memory_line(char* buffer, size_t size, const char* label, uint64_t bytes);

// Run screen disk line: the label, then the value in 13 columns. Values from 10^9 on are printed as
// the billions in four columns followed by nine zero-padded digits; both forms agree for every value.
void format_disk_line(char* buffer, size_t size, const char* label, uint64_t bytes);

// Run screen time line, shown once the computation has ended.
void format_elapsed_line(char* buffer, size_t size, uint32_t ms);

extern const char physical_memory_label[];  // 物理メモリ＝
extern const char free_memory_label[];      // 空きメモリ＝
extern const char used_memory_label[];      // 使用メモリ＝
extern const char disk_capacity_label[];    // ディスク容量＝
extern const char free_disk_label[];        // 空きディスク＝
extern const char used_disk_label[];        // 使用ディスク＝

// The message box of a run that ended without a result (caption failure_caption): what happened and
// that pi.txt was left as it was. For pi_status::verification the text names the first decimal of
// the first block that differs, for pi_status::not_reproducible what first differed from the known
// answer (the start values, iteration j, the final result or the largest rounding distance); for
// pi_status::ok it is empty.
void format_failure_message(char* buffer, size_t size, pi_status status, const pi_result& result);

extern const char failure_caption[];  // エラー
