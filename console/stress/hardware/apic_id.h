// The APIC id of the processor the calling thread runs on, from cpuid: the number by which the
// hardware's own reports (machine checks, the WHEA events of Windows) name a logical CPU. Only
// meaningful on a thread pinned to one CPU.
#pragma once
#include <cstdint>

// The x2APIC id (cpuid leaf 0xB) where the processor has one, else the initial APIC id (leaf 1).
int64_t current_apic_id();
