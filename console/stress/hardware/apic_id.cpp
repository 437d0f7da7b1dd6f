#include "console/stress/hardware/apic_id.h"

#include <cpuid.h>

int64_t current_apic_id() {
  unsigned eax, ebx, ecx, edx;
  if (__get_cpuid_max(0, nullptr) >= 0xB) {
    __cpuid_count(0xB, 0, eax, ebx, ecx, edx);
    if (ebx != 0) return edx;  // leaf 0xB present: EBX counts the CPUs at this level
  }
  __cpuid(1, eax, ebx, ecx, edx);
  return ebx >> 24;
}
