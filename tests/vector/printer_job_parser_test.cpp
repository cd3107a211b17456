// The job syntax checker's own tests: tokens of well-formed streams and the
// problems of malformed ones, from the printer languages' grammar.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/printer_job_parser.h"

namespace {

using kadu_test::DescribeJob;
using kadu_test::JobParse;
using kadu_test::JobProblemKind;
using kadu_test::ParseJob;

// "\e" in the text stands for ESC.
std::string E(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'e') {
      out += '\x1B';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

TEST(PrinterJobParser, TokenisesAWholeJob) {
  std::string job = E("\\e%-12345X@PJL JOB NAME=\"x\"\r\n@PJL SET RESOLUTION=600\n@PJL ENTER LANGUAGE=PCL\n"
                      "\\eE\\e&l26a0o0E\\e*p120x340Y\\e*r1A\\e*b5M\\e*b3W") +
                    std::string("\x01\x1B\x02", 3) +
                    E("\\e*rC\\e%0BINSP1PW0.05;PU10,-20PD1.5,2LT;\\e%0AHello\f\\eE\\e%-12345X@PJL EOJ\r\n\\e%-12345X");
  JobParse parse = ParseJob(job);
  EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  EXPECT_EQ(kadu_test::DescribeTokens(parse.tokens),
            "UEL PJL(@PJL JOB NAME=\"x\") PJL(@PJL SET RESOLUTION=600) PJL(@PJL ENTER LANGUAGE=PCL) <E> &l26a &l0o "
            "&l0E *p120x *p340Y *r1A *b5M *b3W[3] *rC %0B IN SP1 PW0.05 PU10,-20 PD1.5,2 LT %0A 'Hello\\x0C' <E> UEL "
            "PJL(@PJL EOJ) UEL");
  // Values, payloads and numbers as the printer reads them.
  EXPECT_EQ(parse.tokens[12].data, std::string("\x01\x1B\x02", 3));
  EXPECT_EQ(parse.tokens[18].numbers, (std::vector<double>{10, -20}));
  EXPECT_EQ(parse.tokens[19].numbers, (std::vector<double>{1.5, 2}));
  EXPECT_FALSE(parse.tokens[5].Final());
  EXPECT_TRUE(parse.tokens[7].Final());
  EXPECT_EQ(parse.tokens[7].Command(), "&lE");
}

TEST(PrinterJobParser, ParameterisedEscapesWithAndWithoutGroup) {
  EXPECT_EQ(DescribeJob(E("\\e(8U\\e(s0p12h10v0s0b3T\\e(3@\\e&k2G\\e*c+5.5x-.5Y")),
            "(8U (s0p (s12h (s10v (s0s (s0b (s3T (3@ &k2G *c+5.5x *c-.5Y");
  EXPECT_EQ(ParseJob(E("\\e*t\\e*p5X")).Count(JobProblemKind::BadEscape), 1u);  // "\\e*t" has no parameter
}

TEST(PrinterJobParser, BinaryDataCommands) {
  std::string job = E("\\e)s4W") + "abcd" + E("\\e(s2W") + "\x1B\x1B" + E("\\e*c13W") + std::string(13, '\0') +
                    E("\\e&p1X") + "\x1B" + E("\\e&n7WdLabels\\e*v6W") + "123456";
  JobParse parse = ParseJob(job);
  EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  EXPECT_EQ(kadu_test::DescribeTokens(parse.tokens), ")s4W[4] (s2W[2] *c13W[13] &p1X[1] &n7W[7] *v6W[6]");
  EXPECT_EQ(parse.tokens[4].data, "dLabels");
}

TEST(PrinterJobParser, PolylineEncodedAndLabels) {
  std::string pe = std::string("PE") + char(193) + char(194) + "<" + char(63) + char(192) + char(191) + "=" +
                   char(191) + char(200) + ":" + char(193) + ";";
  // 7-bit mode: digits 63-94, last digit 95-126.
  std::string pe7 = std::string("PE7") + char(97) + char(63) + char(96) + ";";
  std::string job = E("\\e%0B") + pe + pe7 + "DT*,1;LBhello*DT;LB;x" + char(3) + "SM*CO\"note\"PU;" + E("\\e%0A");
  JobParse parse = ParseJob(job);
  EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  EXPECT_EQ(kadu_test::DescribeTokens(parse.tokens),
            "%0B PE[1,-1 <32,0 =0,-4 :1] PE[1,16] DT*,1 LBhello DT LB;x SM* CO\"note\" PU %0A");
}

TEST(PrinterJobParser, ReportsMalformedStreams) {
  struct Case {
    const char* name;
    std::string bytes;
    JobProblemKind kind;
  };
  const Case cases[] = {
      {"group open at the end", E("\\e*p10x"), JobProblemKind::UnclosedGroup},
      {"group open at an escape", E("\\e*p10x\\eE"), JobProblemKind::UnclosedGroup},
      {"group open at text", E("\\e&l1a\r"), JobProblemKind::UnclosedGroup},
      {"two points", E("\\e*p1.2.3X"), JobProblemKind::MalformedNumber},
      {"sign only", E("\\e*p-X"), JobProblemKind::MalformedNumber},
      {"sign inside", E("\\e*p1-2X"), JobProblemKind::MalformedNumber},
      {"too large", E("\\e*p40000X"), JobProblemKind::NumberOutOfRange},
      {"count too large", E("\\e*c40000W") + std::string(40000, 'x'), JobProblemKind::NumberOutOfRange},
      {"data past the end", E("\\e*b10Wabc"), JobProblemKind::TruncatedData},
      {"data in open group", E("\\e*b2wab5M"), JobProblemKind::DataInOpenGroup},
      {"fractional count", E("\\e*b1.5W"), JobProblemKind::MalformedNumber},
      {"negative count", E("\\e*b-1W"), JobProblemKind::MalformedNumber},
      {"HP-GL/2 open at reset", E("\\e%0BPU1,2\\eE"), JobProblemKind::Gl2OpenAtReset},
      {"HP-GL/2 open at UEL", E("\\e%0BPU1,2\\e%-12345X"), JobProblemKind::Gl2OpenAtReset},
      {"HP-GL/2 open at end", E("\\e%0BPU1,2"), JobProblemKind::Gl2OpenAtEnd},
      {"empty section", E("\\e%0B\\e%0A"), JobProblemKind::Gl2EmptySection},
      {"leave in PCL", E("\\e%0A"), JobProblemKind::Gl2ExitInPcl},
      {"enter twice", E("\\e%0B\\e%0BPU;\\e%0A"), JobProblemKind::Gl2EnterInGl2},
      {"unknown instruction", E("\\e%0BXX1;\\e%0A"), JobProblemKind::Gl2UnknownInstruction},
      {"PE without ';'", E("\\e%0BPE") + char(193) + char(193) + E("\\e%0A"), JobProblemKind::Gl2Unterminated},
      {"label without terminator", E("\\e%0BLBabc\\e%0A"), JobProblemKind::Gl2Unterminated},
      {"HP-GL/2 number", E("\\e%0BPU1..2;\\e%0A"), JobProblemKind::MalformedNumber},
      {"HP-GL/2 bad byte", E("\\e%0BPD1,2$;\\e%0A"), JobProblemKind::Gl2BadParameter},
      {"single letter", E("\\e%0BP;\\e%0A"), JobProblemKind::Gl2BadParameter},
      {"PCL in HP-GL/2", E("\\e%0B\\e*p1XPU;\\e%0A"), JobProblemKind::EscapeInGl2},
      {"two-character escape in HP-GL/2", E("\\e%0BPU;\\e9\\e%0A"), JobProblemKind::EscapeInGl2},
      {"escape at the end", E("text\\e"), JobProblemKind::BadEscape},
      {"escape and a control code", E("\\e\x01"), JobProblemKind::BadEscape},
      {"no parameter character", E("\\e*p"), JobProblemKind::BadEscape},
      {"PJL line cut off", E("\\e%-12345X@PJL SET X=1"), JobProblemKind::PjlUnterminatedLine},
  };
  for (const Case& c : cases) {
    JobParse parse = ParseJob(c.bytes);
    EXPECT_EQ(parse.Count(c.kind), 1u) << c.name << "\n" << parse.ProblemText();
  }
}

TEST(PrinterJobParser, PjlEndsAtTheFirstNonPjlData) {
  JobParse parse = ParseJob(E("\\e%-12345X@PJL\n\\eE@PJL is text now"));
  EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  EXPECT_EQ(kadu_test::DescribeTokens(parse.tokens), "UEL PJL(@PJL) <E> '@PJL is text now'");
}

}  // namespace
