#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "render/core/format_string.h"

namespace {

std::string Format1(const char* format, int32_t arg) {
  char buf[kCommandBufferSize];
  int n = FormatString(buf, sizeof(buf), format, arg);
  return std::string(buf, size_t(n));
}

TEST(FormatString, ConversionsOfOneNumber) {
  struct Case {
    const char* format;
    int32_t arg;
    const char* expected;
  };
  const Case cases[] = {
      {"%X", 5, "05"},
      {"%X", 0x1234, "1234"},
      {"%X", 0, "00"},
      {"%x", 0xab, "AB"},
      {"%X", int32_t(0xABCDEF01), "ABCDEF01"},
      {"%f", 0x180, "1.5"},
      {"%f", -0x180, "-1.5"},
      {"%f", 0x80, "0.5"},
      {"%f", 1, "0.004"},
      {"%f", 0xFF, "0.996"},
      {"%f", 0x10A, "1.039"},
      {"%f", 0x100, "1"},
      {"%f", 0, "0"},
      {"%f", INT_MIN, "-8388608"},
      {"%b", 0, "false"},
      {"%b", 5, "true"},
      {"%4d", 7, "0007"},
      {"%4d", 12345, "12345"},
      {"%4d", -7, "-007"},
      {"%d", 0, "0"},
      {"%d", -42, "-42"},
      {"%d", INT_MIN, "-2147483648"},
      {"%d", INT_MAX, "2147483647"},
      {"%l", -42, "-42"},
      {"%4l", 7, "7"},
      {"%u", -1, "4294967295"},
      {"%c", 'A', "A"},
      {"%c", 0x141, "A"},
      {"%%", 0, "%"},
      {"%q", 0, "q"},
      {"%12d", 5, "05"},  // a second digit replaces the first
      {"abc%", 0, "abc"},
      {"x%4", 0, "x"},
      {"\x1B*p%dX", 300, "\x1B*p300X"},
  };
  for (const Case& c : cases) EXPECT_EQ(Format1(c.format, c.arg), c.expected) << c.format << " " << c.arg;
}

TEST(FormatString, StringsAndTheDriversWidthFormat) {
  char buf[kCommandBufferSize];
  int n = FormatString(buf, sizeof(buf), "%4d PERMANENT=%s", 12, "ON");
  EXPECT_EQ(std::string(buf, size_t(n)), "0012 PERMANENT=ON");
  n = FormatString(buf, sizeof(buf), "[%s]", static_cast<const char*>(nullptr));
  EXPECT_EQ(std::string(buf, size_t(n)), "[]");
  EXPECT_EQ(buf[n], '\0');
}

TEST(FormatString, WidthStaysForTheRestOfTheCall) {
  char buf[kCommandBufferSize];
  int n = FormatString(buf, sizeof(buf), "%3d,%d", 5, 6);
  EXPECT_EQ(std::string(buf, size_t(n)), "005,006");
  n = FormatString(buf, sizeof(buf), "%d", 6);
  EXPECT_EQ(std::string(buf, size_t(n)), "6");
}

TEST(FormatString, ByteZeroIsCountedSoBinaryCommandsKeepIt) {
  char buf[16];
  int n = FormatString(buf, sizeof(buf), "A%cB", 0);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(std::string(buf, 3), std::string("A\0B", 3));
}

TEST(FormatString, OutputIsBoundedByTheDestination) {
  const std::string longText(400, 'p');
  struct Case {
    const char* format;
    bool takesString;
    size_t room;
  };
  const Case cases[] = {{"%s", true, 8},   {"%s", true, 1},  {"PD%s;", true, 3}, {"%4d", false, 3},
                        {"%f", false, 3}, {"%X", false, 2}, {"%b", false, 4}};
  auto format = [&](const Case& c, char* dest, size_t size) {
    return c.takesString ? FormatString(dest, size, c.format, longText.c_str())
                         : FormatString(dest, size, c.format, 0x1234567);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " room " + std::to_string(c.room));
    char full[512];
    int fullLen = format(c, full, sizeof(full));
    // An exact-size heap block, so that a write past it is caught.
    std::vector<char> small(c.room);
    int n = format(c, small.data(), small.size());
    ASSERT_EQ(n, std::min(fullLen, int(c.room) - 1));
    EXPECT_EQ(std::string(small.data(), size_t(n)), std::string(full, size_t(n)));
    EXPECT_EQ(small[size_t(n)], '\0');
  }
  char untouched = 'u';
  EXPECT_EQ(FormatString(&untouched, 0, "%s", "x"), 0);
  EXPECT_EQ(untouched, 'u');
}

TEST(FormatString, CommandBufferHoldsAt259Characters) {
  std::string longText(300, 'q');
  char buf[kCommandBufferSize];
  EXPECT_EQ(FormatString(buf, sizeof(buf), "%s", longText.c_str()), 259);
}

TEST(FormatTenths, IntegerPartPointDigit) {
  struct Case {
    LONG tenths;
    const char* expected;
  };
  const Case cases[] = {{37, "3.7"},   {120, "12.0"}, {0, "0.0"},
                        {5, "0.5"},    {-37, "-3.7"}, {INT_MAX, "214748364.7"},
                        {INT_MIN, "-214748364.8"}};
  for (const Case& c : cases) {
    char buf[13];
    int n = FormatTenths(c.tenths, buf, sizeof(buf));
    EXPECT_EQ(std::string(buf, size_t(n)), c.expected) << c.tenths;
  }
}

}  // namespace
