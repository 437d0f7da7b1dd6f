// The texts of the console front end that no end-to-end run reaches: JSON string escaping of any
// byte, and the progress lines of a run (with its estimate) and of a stress test.
#include <gtest/gtest.h>

#include <string>

#include "console/json_record.h"
#include "console/progress.h"

TEST(ConsoleTexts, JsonStringEscapesWhatJsonRequires) {
  struct {
    std::string text, literal;
  } const cases[] = {
      {"", R"("")"},
      {"AMD Ryzen 9 7950X 16-Core Processor", R"("AMD Ryzen 9 7950X 16-Core Processor")"},
      {"say \"pi\"", R"("say \"pi\"")"},
      {"C:\\pi\\runs.json", R"("C:\\pi\\runs.json")"},
      {"a\nb\tc\rd\be\ff", R"("a\nb\tc\rd\be\ff")"},
      {"\x01\x1f\x7f", R"("\u0001\u001f\u007f")"},
      {"\xcf\x80 = 3.14", "\"\xcf\x80 = 3.14\""},  // UTF-8 passes unchanged
      {"/", R"("/")"},
  };
  for (const auto& c : cases) EXPECT_EQ(json_string(c.text.c_str()), c.literal) << c.text;
}

TEST(ConsoleTexts, ProgressLineAndEstimate) {
  struct {
    int32_t run, runs, j, iterations, elapsed_ms, iterations_ms;
    std::string text;
  } const cases[] = {
      // Nothing to estimate from before the first iteration.
      {1, 1, 0, 19, 400, 0, "iteration 0 of 19, 0:00 elapsed"},
      // 5 iterations took 10 s: 14 more and the final phase, about 30 s; seconds rounded up.
      {1, 1, 5, 19, 12500, 10000, "iteration 5 of 19, 0:12 elapsed, about 0:30 left"},
      {1, 1, 19, 19, 1000, 900, "iteration 19 of 19, 0:01 elapsed, about 0:01 left"},
      // 12 iterations in an hour: 15 more and the final phase, 16 x 5 minutes.
      {2, 3, 12, 27, 3725000, 3600000, "run 2 of 3, iteration 12 of 27, 1:02:05 elapsed, about 1:20:00 left"},
  };
  for (const auto& c : cases) {
    const int32_t left = estimated_ms_left(c.j, c.iterations, c.iterations_ms);
    EXPECT_EQ(progress_text(c.run, c.runs, c.j, c.iterations, c.elapsed_ms, left), c.text);
  }
}

TEST(ConsoleTexts, StressProgressLine) {
  struct {
    int32_t elapsed_ms, runs, errors, ms_left;
    std::string text;
  } const cases[] = {
      {42000, 37, 0, -1, "0:42 elapsed, 37 runs, 0 errors"},  // until Ctrl-C: nothing left to tell
      {1500, 1, 1, 18001, "0:01 elapsed, 1 run, 1 error, 0:19 left"},
      {3725000, 2, 2, 0, "1:02:05 elapsed, 2 runs, 2 errors, 0:00 left"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(stress_progress_text(c.elapsed_ms, c.runs, c.errors, c.ms_left), c.text);
}
