#include "gui/paint_main_window.h"

#include "gui/front_end_state.h"
#include "gui/screen_format.h"
#include "gui/size_index.h"

HFONT create_display_font(const char* face, int height) {
  return CreateFontA(height, 0, 0, 0, 0, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0,
                     FF_MODERN | DEFAULT_PITCH, face);
}

static void draw(HDC dc, int x, int y, const char* text) { TextOutA(dc, x, y, text, lstrlenA(text)); }

static void paint_idle_screen(HDC dc) {
  char line[128];
  for (int k = 1; k <= size_count; ++k) {
    format_best_time(line, sizeof line, best_times[k - 1]);
    draw(dc, 10, 20 * k - 10, line);
  }
  for (int k = 1; k <= size_count; ++k) {
    format_size_label(line, sizeof line, k);
    draw(dc, 170, 20 * k - 10, line);
  }
}

static void paint_run_screen(HDC dc) {
  char line[128];
  format_run_heading(line, sizeof line, digits);
  draw(dc, 10, 10, line);
  format_memory_line(line, sizeof line, physical_memory_label, total_physical);
  draw(dc, 10, 30, line);
  format_memory_line(line, sizeof line, free_memory_label, available_physical);
  draw(dc, 10, 50, line);
  format_memory_line(line, sizeof line, used_memory_label, memory_required);
  draw(dc, 10, 70, line);
  format_disk_line(line, sizeof line, disk_capacity_label, disk_total);
  draw(dc, 220, 30, line);
  format_disk_line(line, sizeof line, free_disk_label, disk_free);
  draw(dc, 220, 50, line);
  format_disk_line(line, sizeof line, used_disk_label, disk_required);
  draw(dc, 220, 70, line);
  if (finished >= 1) {
    format_elapsed_line(line, sizeof line, elapsed_ms);
    draw(dc, 10, 100, line);
  }
}

void paint_main_window(HDC dc) {
  HFONT font = create_display_font("ＭＳ 明朝", 0);
  HGDIOBJ previous = SelectObject(dc, font);
  if (computing == 0)
    paint_idle_screen(dc);
  else
    paint_run_screen(dc);
  SelectObject(dc, previous);
  DeleteObject(font);
}
