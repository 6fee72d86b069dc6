// Test support: a runtime brought up fresh for each test, and checks of the
// area idiom (exactly one new string above the caller's mark, or none).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/memory/runtime_memory.h"

// The text of a descriptor ("<error N>" for an ErrorDescriptor).
std::string Text(StrDesc s);

// A descriptor over a std::string's bytes (the string must outlive it).
StrDesc View(const std::string& s);

// Brings the runtime up (registry, area, store, typed lists) before each test
// and takes it all down after. Derived fixtures may set the sizes first.
class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::uint16_t area_kib_ = 512;
  std::uint16_t block_capacity_ = 64;
};

// The call left exactly one new string, equal to result, above mark.
::testing::AssertionResult OneNewString(AreaMark mark, StrDesc result);
// The call left the area at mark, and its result is an ErrorDescriptor of status.
::testing::AssertionResult FailedWith(AreaMark mark, StrDesc result, StatusWord status);

// A text-building call and the text it must give.
struct Builder {
  const char* name;
  std::function<StrDesc()> build;
  std::string expected;
};
// Each builder, called above a string of the caller's, leaves exactly one new
// string holding its expected text.
void ExpectEachBuildsOneString(const std::vector<Builder>& builders);
// Fills the area, then each builder fails with 145 and leaves the area at its mark.
void ExpectEachFailsOnFullArea(const std::vector<Builder>& builders);

// Pushes strings until the area refuses; returns how many went on.
int FillArea(std::uint16_t each);
