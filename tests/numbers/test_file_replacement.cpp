// Replacing a file as a whole: after every outcome the target is the earlier file byte for byte or
// the complete new one, and no temporary file is left in the directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/numbers/file_replacement.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

const std::string earlier = "the earlier file\n";
const std::string contents(100000, 'x');  // larger than any stream buffer

std::string read_file(const fs::path& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t files_in_current_directory() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("."), fs::directory_iterator()));
}

#ifndef _WIN32
// Runs `write` under a file-size limit of 4096 bytes with SIGXFSZ ignored, so that writes beyond
// it fail with an error (as on a full disk) instead of ending the process.
bool with_file_size_limit(bool (*write)(file_replacement*), file_replacement* r) {
  rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const bool ok = write(r);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, old_handler);
  return ok;
}
#endif

bool write_contents(file_replacement* r) {
  const bool written = std::fwrite(contents.data(), 1, contents.size(), r->file) == contents.size();
  return commit_file_replacement(r, written);
}

enum class outcome { replaced, kept, not_begun };

struct Case {
  const char* name;
  void (*prepare)();  // makes the target (or what stands in its place)
  bool (*finish)(file_replacement*);
  outcome expected;
};

void plain_target() { std::ofstream("target", std::ios::binary) << earlier; }
void no_target() {}
void directory_target() { fs::create_directory("target"); }
#ifndef _WIN32
void symlink_target() {
  std::ofstream("linked", std::ios::binary) << earlier;
  fs::create_symlink("linked", "target");
}
#endif

bool commit_after_write(file_replacement* r) { return write_contents(r); }
bool commit_with_failed_writes(file_replacement* r) {
  std::fputs("part", r->file);
  return commit_file_replacement(r, false);
}
bool discard(file_replacement* r) {
  std::fputs("part", r->file);
  discard_file_replacement(r);
  return false;
}
#ifndef _WIN32
bool commit_beyond_file_size_limit(file_replacement* r) { return with_file_size_limit(write_contents, r); }
#endif

TEST(FileReplacement, TargetIsEarlierFileOrCompleteNewOne) {
  const Case cases[] = {
      {"replaces an existing file", plain_target, commit_after_write, outcome::replaced},
      {"creates a missing file", no_target, commit_after_write, outcome::replaced},
      {"writes reported failed", plain_target, commit_with_failed_writes, outcome::kept},
      {"discarded", plain_target, discard, outcome::kept},
      {"target is a directory", directory_target, nullptr, outcome::not_begun},
#ifndef _WIN32
      {"file-size limit reached", plain_target, commit_beyond_file_size_limit, outcome::kept},
      {"symbolic link replaced, not followed", symlink_target, commit_after_write, outcome::replaced},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir("replacement");
    c.prepare();
    const size_t files_before = files_in_current_directory();
    const bool existed = fs::exists(fs::symlink_status("target"));
    file_replacement r;
    const bool begun = begin_file_replacement(&r, "target", false);
    ASSERT_EQ(begun, c.expected != outcome::not_begun);
    if (begun) {
      EXPECT_EQ(c.finish(&r), c.expected == outcome::replaced);
      EXPECT_EQ(read_file("target"), c.expected == outcome::replaced ? contents : earlier);
      EXPECT_FALSE(fs::is_symlink("target") && c.expected == outcome::replaced);
    }
    if (fs::exists("linked")) {
      EXPECT_EQ(read_file("linked"), earlier) << "the link's target was written";
    }
    EXPECT_EQ(files_in_current_directory(),
              files_before + (existed || !begun || c.expected != outcome::replaced ? 0 : 1))
        << "a temporary file was left behind";
  }
}

// Two replacements of one target pending at once (two runs in one directory) use different
// temporary files; the last commit wins with a complete file.
TEST(FileReplacement, ConcurrentReplacementsUseSeparateFiles) {
  ScopedTempDir dir("concurrent");
  plain_target();
  file_replacement first, second;
  ASSERT_TRUE(begin_file_replacement(&first, "target", false));
  ASSERT_TRUE(begin_file_replacement(&second, "target", false));
  EXPECT_STRNE(first.temporary, second.temporary);
  std::fputs("first\n", first.file);
  std::fputs("second\n", second.file);
  EXPECT_TRUE(commit_file_replacement(&second, true));
  EXPECT_TRUE(commit_file_replacement(&first, true));
  EXPECT_EQ(read_file("target"), "first\n");
  EXPECT_EQ(files_in_current_directory(), 1u);
}

}  // namespace
