// A fresh temporary directory that becomes the current directory for the lifetime of the scope;
// the previous current directory is restored and the directory removed afterwards.
#pragma once
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

struct ScopedTempDir {
  std::filesystem::path previous, path;
  explicit ScopedTempDir(const std::string& tag) {
    static std::atomic<int> counter{0};
    previous = std::filesystem::current_path();
    path = std::filesystem::temp_directory_path() /
           ("pi_test_" + tag + "_" + std::to_string(counter++) + "_" +
            std::to_string(reinterpret_cast<uintptr_t>(this) & 0xffff));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    std::filesystem::current_path(path);
  }
  ~ScopedTempDir() {
    std::error_code ec;
    std::filesystem::current_path(previous, ec);
    std::filesystem::remove_all(path, ec);
  }
};
