// The random seed of a test program: fixed, printed, and overridable with PI_TEST_SEED.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline uint64_t test_seed() {
  static const uint64_t seed = [] {
    const char* env = std::getenv("PI_TEST_SEED");
    uint64_t s = env ? std::strtoull(env, nullptr, 10) : 20261207u;
    std::printf("random seed %llu (set PI_TEST_SEED to change)\n", static_cast<unsigned long long>(s));
    return s;
  }();
  return seed;
}
