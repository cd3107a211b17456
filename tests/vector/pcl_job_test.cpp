#include <gtest/gtest.h>

#include <string>

#include "render/core/spool_stream.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/pcl_job.h"
#include "tests/vector/vector_fixture.h"

namespace {

using kadu_test::E;

class PclJob : public kadu_test::VectorFixture {};

TEST_F(PclJob, PrintDirection) {
  struct Step {
    LONG angle;
    const char* expected;
  };
  const Step steps[] = {
      {0, ""},  // the page starts at 0
      {90, "\\e&a90P"}, {90, ""}, {450, ""}, {180, "\\e&a180P"},
      {360, "\\e&a0P"},  // a full turn is 0, which the printer takes
      {630, "\\e&a270P"},
  };
  for (const Step& s : steps) {
    PclPrintDirection(&pdev_, s.angle);
    EXPECT_EQ(Out(), E(s.expected)) << s.angle;
  }
}

TEST_F(PclJob, FontId) {
  PclSetFontId(&pdev_, 3);
  PclSetFontId(&pdev_, 3);
  PclSetFontId(&pdev_, 0);
  EXPECT_EQ(Out(), E("\\e*c3D\\e*c0D"));
}

TEST_F(PclJob, MediaTypeByName) {
  PclMediaType(&pdev_, "Labels");
  EXPECT_EQ(Out(), E("\\e&n7WdLabels"));
  PclMediaType(&pdev_, "");
  EXPECT_EQ(Out(), E("\\e&n1Wd"));
  PclMediaType(&pdev_, nullptr);
  EXPECT_EQ(Out(), "");
  std::string longName(300, 'm');
  PclMediaType(&pdev_, longName.c_str());
  EXPECT_EQ(Out(), E("\\e&n255Wd") + std::string(254, 'm'));
  ExpectWellFormed();
}

TEST_F(PclJob, TransparentDataAndMacros) {
  GL2Circle(&pdev_, 1);
  PclTransparentData(&pdev_, 2);
  DWORD written = 0;
  SpoolWrite(&pdev_, "\x1B\x0C", 2, &written);  // any bytes, even ESC, are data
  PclCallMacro(&pdev_, 5);
  EXPECT_EQ(Out(), E("\\e%0BCI1\\e%0A\\e&p2X\\e\f\\e&f5y3X"));
  ExpectWellFormed();
  EXPECT_EQ(kadu_test::DescribeJob(All()), "%0B CI1 %0A &p2X[2] &f5y &f3X");
}

}  // namespace
