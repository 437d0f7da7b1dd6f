#include "console/stress/size_classes.h"

#include <algorithm>

#include "console/console_main.h"

namespace {

// Bytes as the lines give them: memory in KB of 1000 bytes, as the other memory figures; a cache in
// KB of 1024 bytes, as the system describes it.
std::string memory_kb(int64_t bytes) { return std::to_string((bytes + 500) / 1000) + " KB"; }
std::string cache_kb(int64_t bytes) { return std::to_string(bytes / 1024) + " KB"; }

// The largest power of two whose run fits in `bytes`; 0 when even the smallest does not.
int32_t largest_fitting(int64_t bytes) {
  int32_t digits = 0;
  for (int32_t d = smallest_length; d <= largest_length && pi_memory_bytes(d) <= bytes; d *= 2) digits = d;
  return digits;
}

// The smallest power of two whose run needs at least `bytes`; 0 when none the programs offer does.
int32_t smallest_filling(int64_t bytes) {
  for (int32_t d = smallest_length; d <= largest_length; d *= 2)
    if (pi_memory_bytes(d) >= bytes) return d;
  return 0;
}

// The cache of that level in a CPU's list, or null.
const cpu_cache* at_level(const std::vector<cpu_cache>& caches, int32_t level) {
  for (const cpu_cache& c : caches)
    if (c.level == level) return &c;
  return nullptr;
}

std::string class_line(const char* name, int32_t digits, const std::string& why) {
  return std::string(name) + ": " + std::to_string(digits) + " digits, " +
         memory_kb(pi_memory_bytes(digits)) + " per worker, " + why;
}

}  // namespace

bool plan_size_class(const std::string& name, const std::vector<int32_t>& cpus,
                     const std::vector<std::vector<cpu_cache>>& caches, bool one_at_a_time,
                     size_class_plan* plan, std::string* refusal) {
  const std::string refused = "--stress " + name + " refused: ";
  const std::string give_digits = "; give DIGITS instead";
  // The smallest L2, the smallest share of an L3, and every distinct L3.
  int64_t l2 = INT64_MAX, l3_share = INT64_MAX, l3_shared_by = 1;
  std::vector<const cpu_cache*> l3s;
  for (size_t i = 0; i < cpus.size(); ++i) {
    const cpu_cache* c2 = at_level(caches[i], 2);
    const cpu_cache* c3 = at_level(caches[i], 3);
    if (!c2 || !c3) {
      *refusal = refused + "the " + (c2 ? "L3" : "L2") + " cache of CPU " + std::to_string(cpus[i]) +
                 " cannot be read" + give_digits;
      return false;
    }
    l2 = std::min(l2, c2->bytes);
    int64_t sharing = 1;
    if (!one_at_a_time)
      sharing = std::count_if(cpus.begin(), cpus.end(), [&](int32_t cpu) {
        return std::find(c3->cpus.begin(), c3->cpus.end(), cpu) != c3->cpus.end();
      });
    if (c3->bytes / sharing < l3_share) l3_share = c3->bytes / sharing, l3_shared_by = sharing;
    if (std::none_of(l3s.begin(), l3s.end(), [&](const cpu_cache* c) { return c->cpus == c3->cpus; }))
      l3s.push_back(c3);
  }
  int64_t all_l3 = 0;
  for (const cpu_cache* c : l3s) all_l3 += c->bytes;

  const int32_t l2_digits = largest_fitting(l2), l3_digits = largest_fitting(l3_share);
  const int32_t ram_digits = smallest_filling(4 * all_l3);
  if (l2_digits == 0 || ram_digits == 0) {
    *refusal = refused + (l2_digits == 0 ? "the L2 (" + cache_kb(l2) + ") holds no run of " +
                                               std::to_string(smallest_length) + " digits"
                                         : "four times the L3 (" + cache_kb(all_l3) +
                                               ") is more than a run of the largest length needs") +
               give_digits;
    return false;
  }
  plan->lines = {
      class_line("l2", l2_digits, "L2 " + cache_kb(l2)),
      class_line("l3", l3_digits,
                 "L3 " + cache_kb(l3_share * l3_shared_by) +
                     (l3_shared_by > 1 ? " shared by " + std::to_string(l3_shared_by) + " workers" : "")),
      class_line("ram", ram_digits, "4 x " + std::string(l3s.size() > 1 ? "the L3s " : "L3 ") + cache_kb(all_l3))};
  plan->sizes.clear();
  if (name == "l2") plan->sizes = {l2_digits};
  if (name == "l3") plan->sizes = {l3_digits};
  if (name == "ram") plan->sizes = {ram_digits};
  if (plan->sizes == std::vector<int32_t>{0}) {
    *refusal = refused + "a share of the L3 (" + cache_kb(l3_share) + ") holds no run of " +
               std::to_string(smallest_length) + " digits" + give_digits;
    return false;
  }
  if (name == "blend") {
    for (int32_t d = l2_digits; d <= ram_digits; d *= 2) plan->sizes.push_back(d);
    plan->lines.push_back("blend: " + std::to_string(plan->sizes.size()) + " sizes from " +
                          std::to_string(l2_digits) + " to " + std::to_string(ram_digits) +
                          " digits, one per run in turn");
  }
  return true;
}
