// The words that describe a stress worker's job to the process that runs it: a job read back from
// its own words is the same job, and a word list that is not exactly such a description is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/stress/stress_worker.h"

namespace {

bool parsed(const std::vector<std::string>& words, worker_job* job) {
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  return parse_worker_arguments(static_cast<int>(argv.size()), argv.data(), job);
}

TEST(StressWorker, JobWordsReadBackAndRefusals) {
  worker_job job;
  job.parent = 4194305, job.cpus = {5, 2, 3, 63}, job.threads = 4, job.first_turn = 7, job.runs = 3,
  job.start_for_ms = int64_t{2147483647} * 1000;
  job.acknowledged = true;
  job.sizes = {32768, 65536, 268435456};
  job.paths = {simd_path::sse2};
  const std::vector<std::string> words = worker_arguments(job);
  worker_job back;
  ASSERT_TRUE(parsed(words, &back));
  EXPECT_EQ(back.parent, job.parent);
  EXPECT_EQ(back.cpus, job.cpus);
  EXPECT_EQ(back.threads, job.threads);
  EXPECT_EQ(back.first_turn, job.first_turn);
  EXPECT_EQ(back.runs, job.runs);
  EXPECT_EQ(back.start_for_ms, job.start_for_ms);
  EXPECT_EQ(back.acknowledged, job.acknowledged);
  EXPECT_EQ(back.sizes, job.sizes);
  EXPECT_EQ(back.paths, job.paths);

  // Each case replaces the word at `at` (or, with at = -1, appends it; with an empty word, drops it).
  const struct {
    int at;
    const char* word;
  } refused[] = {
      {1, ""},                    // a word missing
      {-1, "cpus=1"},             // a word twice
      {-1, "colour=blue"},        // an unknown word
      {1, "cpus"},                // no value
      {1, "cpus=-1"},             // not a list of CPUs
      {1, "cpus=65536"},          // beyond the largest CPU
      {1, "cpus=2,3,2,63"},       // a CPU twice
      {1, "cpus=2-3,63"},         // fewer CPUs than threads
      {2, "threads=5"},           // more threads than CPUs
      {4, "runs=3x"},             // trailing text
      {6, "acknowledged=2"},      // not a flag
      {7, "sizes=32768,3000"},    // not a power of two
      {7, "sizes=32"},            // below the smallest length
      {7, "sizes=536870912"},     // above the largest
      {7, "sizes=32768,,65536"},  // an empty item
      {7, "sizes="},              // no size
      {8, "paths=sse3"},          // no such path
  };
  for (const auto& r : refused) {
    std::vector<std::string> changed = words;
    if (r.at < 0) changed.push_back(r.word);
    else if (*r.word) changed[r.at] = r.word;
    else changed.erase(changed.begin() + r.at);
    worker_job ignored;
    EXPECT_FALSE(parsed(changed, &ignored)) << r.at << ": " << r.word;
  }
}

}  // namespace
