#include "gui/front_end_state.h"

std::atomic<int32_t> computing;
std::atomic<int32_t> digits;
std::atomic<int32_t> finished;

std::atomic<uint64_t> total_physical;
std::atomic<uint64_t> available_physical;
std::atomic<uint64_t> memory_required;
std::atomic<uint64_t> disk_free;
std::atomic<uint64_t> disk_total;
std::atomic<uint64_t> disk_required;

std::atomic<uint32_t> elapsed_ms;

std::atomic<bool> stop_requested;
std::atomic<int32_t> driver_running;

uint32_t best_times[record_slots];
