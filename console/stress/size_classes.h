// The stress test's sizes by cache level. A run of D digits works in pi_memory_bytes(D) bytes; each
// class is the power of two whose working memory per worker matches one level of the caches:
//   l2     the largest that fits the L2 of one core (the smallest L2 of the workers' CPUs)
//   l3     the largest that fits the L3 divided among the workers that share it and run at the same
//          time (the smallest share)
//   ram    the smallest whose memory is at least four times all the L3 together (every distinct L3
//          of the workers' CPUs), so that a run works from main memory
//   blend  every power of two from l2's size to ram's, one per run in turn
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "console/stress/cpu_caches.h"

struct size_class_plan {
  std::vector<int32_t> sizes;      // the class's size, or blend's sizes in ascending order
  std::vector<std::string> lines;  // what the classes became and why, one line each, no line end:
                                   // "l2: 32768 digits, 344 KB per worker, L2 512 KB"
};

// The sizes of the class `name` for workers on `cpus`, whose caches are caches[i] (cpu_caches of
// cpus[i]); one_at_a_time: a single worker moves from CPU to CPU (--cycle), so an L3 is not shared.
// Returns false with a one-line refusal (no program name, no line end) when a cache the class needs
// is not described, or the class's size lies outside the lengths the programs offer.
bool plan_size_class(const std::string& name, const std::vector<int32_t>& cpus,
                     const std::vector<std::vector<cpu_cache>>& caches, bool one_at_a_time,
                     size_class_plan* plan, std::string* refusal);
