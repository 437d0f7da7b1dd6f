#include "console/build_info.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/fft/simd_path.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/utsname.h>
#endif

#ifndef PI_AGM_VERSION
#error "PI_AGM_VERSION must be defined by the build"
#endif

namespace {

// Trims the ends and folds runs of blanks (brand strings are padded with spaces).
std::string squeezed(const char* text) {
  std::string out;
  for (const char* c = text; *c; ++c) {
    const bool blank = *c == ' ' || *c == '\t' || *c == '\n' || *c == '\r';
    if (!blank)
      out += *c;
    else if (!out.empty() && out.back() != ' ')
      out += ' ';
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string cpuid_brand() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned int regs[4];
  if (!__get_cpuid(0x80000000u, &regs[0], &regs[1], &regs[2], &regs[3]) || regs[0] < 0x80000004u) return "";
  char brand[49] = {};
  for (unsigned int leaf = 0; leaf < 3; ++leaf) {
    __get_cpuid(0x80000002u + leaf, &regs[0], &regs[1], &regs[2], &regs[3]);
    std::memcpy(brand + 16 * leaf, regs, 16);
  }
  return squeezed(brand);
#else
  return "";
#endif
}

#ifndef _WIN32
std::string cpuinfo_model_name() {
  std::FILE* file = std::fopen("/proc/cpuinfo", "r");
  if (!file) return "";
  char line[512];
  std::string name;
  while (name.empty() && std::fgets(line, sizeof line, file)) {
    if (std::strncmp(line, "model name", 10) != 0) continue;
    const char* colon = std::strchr(line, ':');
    if (colon) name = squeezed(colon + 1);
  }
  std::fclose(file);
  return name;
}
#endif

}  // namespace

const char* program_version() { return PI_AGM_VERSION; }

std::string build_description() {
  std::string compiler;
#if defined(__clang__)
  compiler = "Clang " __clang_version__;
#elif defined(__GNUC__)
  compiler = "GCC " __VERSION__;
#elif defined(_MSC_VER)
  compiler = "MSVC " + std::to_string(_MSC_VER);
#else
  compiler = "unknown compiler";
#endif
#if defined(_WIN32)
  const char* system = "Windows";
#elif defined(__linux__)
  const char* system = "Linux";
#else
  const char* system = "unknown system";
#endif
#if defined(__x86_64__) || defined(_M_X64)
  const char* machine = "x86-64";
#elif defined(__i386__) || defined(_M_IX86)
  const char* machine = "x86";
#elif defined(__aarch64__)
  const char* machine = "arm64";
#else
  const char* machine = "unknown machine";
#endif
  return squeezed(compiler.c_str()) + ", " + system + " " + machine;
}

const char* vector_path_name() { return simd_path_name(selected_simd_path()); }

std::string processor_name() {
  std::string name;
#ifndef _WIN32
  name = cpuinfo_model_name();
#endif
  if (name.empty()) name = cpuid_brand();
  return name.empty() ? "unknown" : name;
}

std::string operating_system_name() {
#ifdef _WIN32
  // GetVersionEx reports the version the program is manifested for; RtlGetVersion the real one.
  struct os_version_info {
    ULONG size, major, minor, build, platform;
    WCHAR service_pack[128];
  } info = {};
  info.size = sizeof info;
  using rtl_get_version = LONG(WINAPI*)(os_version_info*);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto get_version =
      ntdll
          ? reinterpret_cast<rtl_get_version>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
          : nullptr;
  if (!get_version || get_version(&info) != 0) return "Windows";
  char text[64];
  std::snprintf(text, sizeof text, "Windows %lu.%lu.%lu", info.major, info.minor, info.build);
  return text;
#else
  utsname names;
  if (uname(&names) != 0) return "unknown";
  return std::string(names.sysname) + " " + names.release + " " + names.machine;
#endif
}
