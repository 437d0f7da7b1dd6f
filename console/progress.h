// The progress line of a long run: drawn on standard error when it is a terminal, redrawn in place
// after every phase, erased at the end. Standard output (the timing lines) is never touched.
#pragma once
#include <cstdint>
#include <string>

// Milliseconds still to go after iteration j of `iterations`, from the mean time of the iterations
// so far: (iterations - j) more iterations and the final phase, which costs about one iteration
// (two products and a reciprocal against three products and an inverse square root). -1 when
// nothing is known yet (j = 0).
int32_t estimated_ms_left(int32_t j, int32_t iterations, int32_t iterations_ms);

// "iteration 5 of 19, 0:12 elapsed, about 0:40 left", prefixed by "run 2 of 3, " when runs > 1;
// "about ... left" is left out when ms_left < 0. Times as m:ss, or h:mm:ss from an hour on.
std::string progress_text(int32_t run, int32_t runs, int32_t j, int32_t iterations, int32_t elapsed_ms,
                          int32_t ms_left);

// The progress line of a stress test: "0:42 elapsed, 37 runs, 0 errors", and ", 0:18 left" when
// ms_left >= 0.
std::string stress_progress_text(int32_t elapsed_ms, int32_t runs, int32_t errors, int32_t ms_left);

// True when standard error is a terminal.
bool standard_error_is_terminal();

struct progress_line {
  bool enabled = false;
  size_t width = 0;  // characters drawn by the last call, 0 when nothing is shown
};

// Replaces what the line shows by text (blanks cover a longer previous text).
void draw_progress(progress_line* line, const std::string& text);
// Removes the line; the cursor is back at the start of an empty line.
void erase_progress(progress_line* line);
