// Shared helpers of the test suite: the loaded library and exact comparisons
// of floats by their bit patterns.
#ifndef QUORBEL_TESTS_SUPPORT_H
#define QUORBEL_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "api.h"

namespace quorbel::test {

// The library under test, loaded by exported name (see main.cpp).
const host::Api& Lib();

// An export of the native library alone (the exact layer, freedom): by its
// exported name natively; in the Windows builds, whose DLLs do not carry
// it, through the linked objects the command-line tool uses.
#ifdef _WIN32
#define NATIVE_EXPORT(name) ::name
#else
#define NATIVE_EXPORT(name) Lib().name
#endif

// Whether the suite runs under user-mode emulation of a 32-bit guest
// (tools/qemu-run.sh), where guest threads stall: tests that need threads
// skip themselves there, and the native, sanitizer and Wine runs cover them.
inline bool Emulated() { return std::getenv("QUORBEL_EMULATED") != nullptr; }

inline uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float FromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Exact equality of two floats, reported with both bit patterns.
inline ::testing::AssertionResult BitsEqual(float expected, float actual) {
  if (Bits(expected) == Bits(actual)) return ::testing::AssertionSuccess();
  char text[128];
  std::snprintf(text, sizeof text, "expected %.9g (0x%08X) but got %.9g (0x%08X)", expected,
                static_cast<unsigned>(Bits(expected)), actual, static_cast<unsigned>(Bits(actual)));
  return ::testing::AssertionFailure() << text;
}

// A byte pattern that results are pre-filled with, to show what was written.
constexpr unsigned char kPoison = 0xA5;

template <class Record>
void Poison(Record& record) {
  std::memset(&record, kPoison, sizeof record);
}

template <class Record>
bool IsUntouched(const Record& record) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (size_t i = 0; i < sizeof record; ++i)
    if (bytes[i] != kPoison) return false;
  return true;
}

}  // namespace quorbel::test

#endif
