// What a console program reports about itself and the machine (--version and the JSON record).
#pragma once
#include <string>

// The release, e.g. "1.0.0" (the project version in CMake).
const char* program_version();

// The build: compiler and target, e.g. "GCC 12.2.0, Linux x86-64".
std::string build_description();

// The name of the FFT's vector path in use, e.g. "sse2".
const char* vector_path_name();

// The processor's name: "model name" of /proc/cpuinfo on Linux, else the CPUID brand string on
// x86, else "unknown". Surrounding and repeated blanks removed.
std::string processor_name();

// The running system: "Linux <release> <machine>" from uname, "Windows <major>.<minor>.<build>".
std::string operating_system_name();
