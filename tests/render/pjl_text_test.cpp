// Text pasted into PJL lines cannot end a quoted value or start a command.
#include <algorithm>
#include <string>

#include "render/core/pjl_header.h"
#include "render/core/pjl_paper.h"
#include "render/core/pjl_resolution.h"
#include "render/core/pjl_source_media.h"
#include "render/core/pjl_text.h"
#include "kw/wide.h"
#include "tests/render/pjl_fixture.h"

namespace kadu_test {
namespace {

std::string Safe(const std::string& s) {
  char out[kPjlTextLimit + 1];
  size_t n = PjlSafeText(s.data(), s.size(), out);
  EXPECT_EQ(n, std::string(out).size());
  return out;
}

TEST(PjlText, OrdinaryNamesPassUnchanged) {
  EXPECT_EQ(Safe("Quarterly report 2026 (final)"), "Quarterly report 2026 (final)");
  EXPECT_EQ(Safe("\x82\xa0\x82\xa2 caf\xe9"), "\x82\xa0\x82\xa2 caf\xe9");
  EXPECT_EQ(Safe(""), "");
}

TEST(PjlText, QuotesAndControlCharactersAreReplaced) {
  EXPECT_EQ(Safe("a\"b\rc\nd\te\x1b" "f\x7f"), "a'b c d e f ");
}

TEST(PjlText, LongTextIsBounded) {
  EXPECT_EQ(Safe(std::string(500, 'x')), std::string(kPjlTextLimit, 'x'));
  // A source without a terminating zero is read no further than its size.
  const char unterminated[4] = {'a', 'b', 'c', 'd'};
  char out[kPjlTextLimit + 1];
  EXPECT_EQ(PjlSafeText(unterminated, 3, out), 3u);
  EXPECT_STREQ(out, "abc");
}

TEST(PjlText, DoubleByteCharacterIsNotCutInHalf) {
  kw::SetAnsiCodePage(932);
  std::string name(kPjlTextLimit - 1, 'a');
  name += "\x82\xa0";  // the lead byte is the last that would fit
  EXPECT_EQ(Safe(name), std::string(kPjlTextLimit - 1, 'a'));
  EXPECT_EQ(Safe("\x82\xa0\x82\xa2"), "\x82\xa0\x82\xa2");
  kw::SetAnsiCodePage(1252);
}

TEST(PjlText, WideTextIsConvertedThenCleaned) {
  char out[kPjlTextLimit + 1];
  PjlSafeWideText(u"KADU \"x\"\n", 32, out);
  EXPECT_STREQ(out, "KADU 'x' ");
}

class PjlHostileJob : public PjlJobFixture {};

// Every line of the PJL part of the header, and the text of the PCL part.
std::vector<std::string> PjlLines(const std::string& out) {
  std::vector<std::string> lines;
  size_t end = out.find("@PJL ENTER LANGUAGE=PCL\n");
  size_t at = 0;
  while (at < end) {
    size_t nl = out.find('\n', at);
    lines.push_back(out.substr(at, nl - at));
    at = nl + 1;
  }
  return lines;
}

TEST_F(PjlHostileJob, InjectedJobNameStaysOneHarmlessLine) {
  PDEV& p = NewPdev(kDesk, kDeskDriver);
  p.devmode.priv.wJobType = 2;
  p.devmode.priv.dwJobPin = 1234;
  std::strcpy(p.storedJobName, "x\"\r\n@PJL SET COPIES=999\r\n@PJL JOB NAME = \"y");
  std::strcpy(p.osVersion.szCSDVersion, "SP3\n@PJL SET DENSITY=5");
  p.osVersion.dwMajorVersion = 5;
  p.osVersion.dwMinorVersion = 1;
  p.osVersion.dwBuildNumber = 2600;
  const char16_t evil[] = u"KADU\"\r\n@PJL EOJ";
  std::copy(std::begin(evil), std::end(evil), p.devmode.priv.szDriverName);
  ASSERT_TRUE(WriteRasterJobHeader(&p));
  std::string out = Flushed();
  std::vector<std::string> lines = PjlLines(out);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "@PJL JOB NAME = \"x'  @PJL SET COPIES=999  @PJL JOB NAME = 'y\""),
            1);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL COMMENT OS Version   : Windows NT 5.1 Build 2600 SP3 @PJL SET DENSITY=5"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL COMMENT Device Name  : KADU'  @PJL EOJ"), lines.end());
  // The lines are the header's own: each starts a PJL command and none
  // carries a carriage return but the first, after the exit language.
  PDEV& plain = NewPdev(kDesk, kDeskDriver);
  plain.devmode.priv.wJobType = 2;
  std::strcpy(plain.storedJobName, "plain");
  ASSERT_TRUE(WriteRasterJobHeader(&plain));
  EXPECT_EQ(lines.size(), PjlLines(Flushed()).size());
  EXPECT_EQ(lines[0], "\x1b%-12345X@PJL\r");
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind("@PJL ", 0), 0u) << lines[i];
    EXPECT_EQ(lines[i].find('\r'), std::string::npos) << lines[i];
  }
  EXPECT_EQ(out.find("\n@PJL SET COPIES=999"), std::string::npos);
  EXPECT_EQ(out.find("\n@PJL SET DENSITY"), std::string::npos);
  EXPECT_EQ(out.find("\n@PJL EOJ"), std::string::npos);
}

TEST(PjlPaper, RowsAreSearchedInOrder) {
  EXPECT_STREQ(PjlPaperRowOf(8).pjlName, "A4");
  EXPECT_EQ(PjlPaperRowOf(8).pclSize, 26);
  EXPECT_EQ(PjlPaperRowOf(12).pclSize, 26);
  EXPECT_STREQ(PjlPaperRowOf(264).pjlName, "ENVELOPECUSTOM");
  EXPECT_STREQ(PjlPaperRowOf(1).longEdgeName, "LETTERLONGEDGE");
  EXPECT_EQ(PjlPaperRowOf(31).textLength, 36);
  // No match: row 0.
  EXPECT_EQ(&PjlPaperRowOf(999), &PjlPaperRowOf(9));
}

TEST(PjlResolution, WordTable) {
  struct Row { DWORD res, sub; const char* word; };
  const Row rows[] = {{300, 0xFF, "600"},         {600, 0x21, "FAST1200"}, {600, 0x41, "FAST1200X2400"},
                      {600, 0x03, "X600Y2400"},   {600, 0x01, "X600Y1200"}, {600, 0x80, "600"},
                      {1200, 0x82, "X600Y2400"},  {1200, 0x80, "1200"},     {1200, 0x81, "X600Y1200"},
                      {1200, 0x00, "X600Y1200"}};
  for (const Row& r : rows) EXPECT_STREQ(PjlResolutionWord(r.res, r.sub), r.word) << r.res << " " << r.sub;
}

TEST(PjlSourceMedia, MappingTable) {
  struct Row { int source, nibble; bool manual, env; int pcl; const char* weight; const char* pjl; const char* pclType; };
  const Row rows[] = {
      {1, 0, true, false, 1, nullptr, nullptr, ""},
      {1, 3, true, false, 1, "MEDIUM", "PLAIN", "Plain"},
      {4, 0, true, false, 2, nullptr, nullptr, ""},
      {4, 7, false, false, 4, "ULTRAHEAVY", "PLAIN", "Plain"},
      {257, 6, true, false, 4, nullptr, "TRANSPARENCY", "Transparency"},
      {258, 9, true, false, 6, nullptr, "LABELS", "Labels"},
      {259, 11, true, false, 5, nullptr, "GLOSSY", "Glossy"},
      {260, 12, true, false, 20, nullptr, "USERTYPE1", ""},
      {261, 19, true, false, 21, nullptr, "USERTYPE5", ""},
      {262, 8, true, false, 22, nullptr, nullptr, ""},
      {7, 2, true, false, 7, "MEDIUMLIGHT", nullptr, ""},
      {518, 0, true, false, 7, nullptr, nullptr, "Card Stock"},
      {514, 9, true, false, 7, nullptr, "LABELS", "Labels"},
      {521, 0, true, true, 7, nullptr, nullptr, ""},
      {521, 0, true, false, 7, nullptr, nullptr, ""},
  };
  for (const Row& r : rows) {
    SourceMedia m = MapSourceMedia(r.source, r.nibble, r.manual, r.env);
    EXPECT_EQ(m.pclSource, r.pcl) << r.source;
    EXPECT_STREQ(m.weight, r.weight) << r.source << "/" << r.nibble;
    EXPECT_STREQ(m.pjlType, r.pjl) << r.source << "/" << r.nibble;
    EXPECT_STREQ(m.pclType, r.pclType) << r.source << "/" << r.nibble;
  }
}

}  // namespace
}  // namespace kadu_test
