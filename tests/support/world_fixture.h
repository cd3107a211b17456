// A fresh world folder per test, so tests never share Windows state.
#pragma once
#include <gtest/gtest.h>

#include <string>

namespace kadu_test {

// Creates a new empty world folder under the system temporary folder, makes it
// the layer's world and removes it at the end of the test.
class WorldFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string world_;  // host path of the world root
};

// Path of a file in the source tree (KADU_SOURCE_DIR).
std::string SourcePath(const std::string& relative);

}  // namespace kadu_test
