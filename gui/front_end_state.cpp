#include "gui/front_end_state.h"

int32_t computing;
int32_t digits;
int32_t finished;

uint64_t total_physical;
uint64_t available_physical;
uint64_t memory_required;
uint64_t disk_free;
uint64_t disk_total;
uint64_t disk_required;

uint32_t elapsed_ms;

uint32_t best_times[record_slots];
