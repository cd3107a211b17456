#include <gtest/gtest.h>

#include <string>

#include "render/core/escape_writer.h"
#include "render/core/gl2_writer.h"
#include "tests/render/stream_fixture.h"

namespace {

class EscapeWriter : public kadu_test::StreamFixture {};

TEST_F(EscapeWriter, SamePrefixFinalGroupsAreWrittenWhole) {
  WriteEscape(&pdev_, "\x1B*b", 'm', "5", TRUE);
  WriteEscape(&pdev_, "\x1B*b", 'w', "1024", TRUE);
  EXPECT_EQ(Flushed(), "\x1B*b5M\x1B*b1024W");
}

TEST_F(EscapeWriter, OpenGroupIsContinuedBySamePrefix) {
  WriteEscape(&pdev_, "\x1B*b", 'm', "5", FALSE);
  WriteEscape(&pdev_, "\x1B*b", 'w', "1024", TRUE);
  EXPECT_EQ(Flushed(), "\x1B*b5m1024W");
}

TEST_F(EscapeWriter, LongRunsAndPrefixChanges) {
  WriteEscape(&pdev_, "\x1B&l", 'a', "26", FALSE);
  WriteEscape(&pdev_, "\x1B&l", 'o', "0", FALSE);
  WriteEscape(&pdev_, "\x1B&l", 'e', "0", TRUE);
  WriteEscape(&pdev_, "\x1B*t", 'r', "600", FALSE);
  WriteEscape(&pdev_, "\x1B*r", 'f', "0", TRUE);  // another prefix: written
  EXPECT_EQ(Flushed(), "\x1B&l26a0o0E\x1B*t600r\x1B*r0F");
}

TEST_F(EscapeWriter, OnlyLettersAreUpperCased) {
  struct Case {
    char terminator;
    BOOL final;
    const char* expected;
  };
  const Case cases[] = {
      {'a', TRUE, "\x1B(s1A"}, {'z', TRUE, "\x1B(s1Z"}, {'a', FALSE, "\x1B(s1a"},
      {'@', TRUE, "\x1B(s1@"}, {'W', TRUE, "\x1B(s1W"}, {'{', TRUE, "\x1B(s1{"},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    WriteEscape(&pdev_, "\x1B(s", c.terminator, "1", c.final);
    EXPECT_EQ(Flushed(), c.expected) << c.terminator;
  }
}

TEST_F(EscapeWriter, NoValueAndNoTerminator) {
  WriteEscape(&pdev_, "\x1B" "E", 0, nullptr, TRUE);
  WriteEscape(&pdev_, "\x1B&k", 'g', nullptr, TRUE);
  EXPECT_EQ(Flushed(), "\x1B" "E\x1B&kG");
}

TEST_F(EscapeWriter, ResetForgetsTheOpenGroup) {
  WriteEscape(&pdev_, "\x1B*b", 'm', "2", FALSE);
  ResetEscapeCombining(&pdev_);
  WriteEscape(&pdev_, "\x1B*b", 'w', "8", TRUE);
  EXPECT_EQ(Flushed(), "\x1B*b2m\x1B*b8W");
}

TEST_F(EscapeWriter, PrefixLongerThanTheStoredBytesNeverCombines) {
  WriteEscape(&pdev_, "\x1B&l1", 'a', "2", FALSE);
  WriteEscape(&pdev_, "\x1B&l1", 'b', "3", TRUE);
  EXPECT_EQ(Flushed(), "\x1B&l12a\x1B&l13B");
}

TEST_F(EscapeWriter, EscapeStringWritesWhatIsGiven) {
  WriteEscapeString(&pdev_, "\x1B&l", "H", "1");
  WriteEscapeString(&pdev_, "\x1B%-12345X", nullptr, nullptr);
  WriteEscapeString(&pdev_, nullptr, "\r\n", "@PJL");
  EXPECT_EQ(Flushed(), "\x1B&l1H\x1B%-12345X@PJL\r\n");
}

TEST_F(EscapeWriter, GL2TextIsFormattedAndBounded) {
  // The first instruction enters HP-GL/2 context; the second is already in it.
  WriteGL2(&pdev_, "PD%d,%d;", 10, -20);
  EXPECT_EQ(Flushed(), "\x1B%0BPD10,-20;");
  std::string longText(300, 'x');
  WriteGL2(&pdev_, "LB%s", longText.c_str());
  EXPECT_EQ(Flushed(), "\x1B%0BPD10,-20;LB" + std::string(257, 'x'));
}

}  // namespace
