#include "console/stress/hardware/interrupt_counts.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

// A whole word of decimal digits, at most 18 of them (no overflow).
bool read_count(const std::string& word, int64_t* value) {
  if (word.empty() || word.size() > 18 || !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  *value = std::strtoll(word.c_str(), nullptr, 10);
  return true;
}

}  // namespace

bool parse_interrupt_counts(const std::string& text, const std::vector<std::string>& names, interrupt_counts* counts) {
  std::istringstream lines(text);
  std::string line, word;
  // The header: the online CPUs, whose numbers need not be consecutive.
  std::vector<int32_t> cpus;
  if (!std::getline(lines, line)) return false;
  for (std::istringstream header(line); header >> word;) {
    int64_t cpu;
    if (word.compare(0, 3, "CPU") != 0 || !read_count(word.substr(3), &cpu) || cpu > INT32_MAX) return false;
    cpus.push_back(static_cast<int32_t>(cpu));
  }
  if (cpus.empty()) return false;
  counts->clear();
  while (std::getline(lines, line)) {
    std::istringstream row(line);
    if (!(row >> word) || word.back() != ':') continue;
    const std::string name = word.substr(0, word.size() - 1);
    if (std::find(names.begin(), names.end(), name) == names.end()) continue;
    std::map<int32_t, int64_t>& by_cpu = (*counts)[name];
    for (int32_t cpu : cpus) {
      int64_t count;
      if (!(row >> word) || !read_count(word, &count)) return false;
      by_cpu[cpu] = count;
    }
  }
  return true;
}
