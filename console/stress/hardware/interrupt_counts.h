// The per-CPU counts of /proc/interrupts: a header of CPU columns ("CPU0 CPU1 ..."), then one row
// per interrupt, "NAME: count count ... description", with one count per column.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Row name -> CPU number -> count, for the rows of `names` that the text has. False when the text is
// not such a table (no CPU header) or a named row has fewer counts than the header has CPUs.
using interrupt_counts = std::map<std::string, std::map<int32_t, int64_t>>;
bool parse_interrupt_counts(const std::string& text, const std::vector<std::string>& names, interrupt_counts* counts);
