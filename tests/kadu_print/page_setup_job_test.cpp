// Page setup of whole jobs: for each page of a device-mode job, the source,
// orientation, page size and duplex side commands, read back with the
// independent syntax checker, over a table of layouts and sequences.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/printer_job_parser.h"
#include "tests/support/world_fixture.h"

namespace fs = std::filesystem;

namespace kadu_test {
namespace {

// What one page set up: "o<direction>", "H<source>", "M<media name>",
// "A<size>" and "G<side>" in the order written; pages end at form feeds.
std::vector<std::string> PageSetups(const std::string& job) {
  JobParse parse = ParseJob(job);
  std::vector<std::string> pages(1);
  bool started = false;  // after the job header's "@PJL ENTER LANGUAGE"
  for (const JobToken& t : parse.tokens) {
    if (t.kind == JobTokenKind::Pjl && t.data.rfind("@PJL ENTER LANGUAGE", 0) == 0) started = true;
    if (!started) continue;
    if (t.kind == JobTokenKind::Text) {
      for (char ch : t.data)
        if (ch == '\f') pages.emplace_back();
      continue;
    }
    if (t.kind == JobTokenKind::Pjl && t.data.find("QELNOTIFYPAPERSIDE=ON") != std::string::npos) pages.back() += "N ";
    if (t.kind != JobTokenKind::PclParam) continue;
    char term = char(std::toupper(static_cast<unsigned char>(t.terminator)));
    if (t.parameterized == '&' && t.group == 'l' && (term == 'O' || term == 'H' || term == 'A'))
      pages.back() += std::string(1, term == 'O' ? 'o' : term) + t.value + " ";
    if (t.parameterized == '&' && t.group == 'a' && term == 'G') pages.back() += "G" + t.value + " ";
    // Media type by name: "\e&n#Wd" + name.
    if (t.parameterized == '&' && t.group == 'n' && term == 'W') pages.back() += "M" + t.data.substr(1) + " ";
  }
  if (pages.back().empty()) pages.pop_back();
  for (std::string& p : pages)
    if (!p.empty()) p.pop_back();
  return pages;
}

struct SequenceCase {
  const char* name;
  const char* settings;
  int pages;
  std::vector<std::string> expected;  // per sheet
};

class PageSequence : public WorldFixture, public ::testing::WithParamInterface<SequenceCase> {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    dir_ = fs::path(world_).parent_path() / (fs::path(world_).filename().string() + "-seq");
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
    WorldFixture::TearDown();
  }
  fs::path dir_;
};

TEST_P(PageSequence, SetsUpEachSheet) {
  const SequenceCase& c = GetParam();
  std::string out = (dir_ / "job.prn").string(), err = (dir_ / "err.txt").string();
  // Device mode, A4 from tray 1, so the page commands show.
  std::string cmd = std::string(KADU_PRINT_EXE) + " --world '" + (dir_ / "world").string() +
                    "' --set wPrintMode=0 --set dmPaperSize=9 --set dmDefaultSource=1 " + c.settings +
                    " --pages " + std::to_string(c.pages) + " -o '" + out + "' 2>'" + err + "'";
  int rc = std::system(cmd.c_str());
  std::ifstream e(err);
  ASSERT_EQ(WEXITSTATUS(rc), 0) << std::string((std::istreambuf_iterator<char>(e)), std::istreambuf_iterator<char>());
  std::ifstream in(out, std::ios::binary);
  std::string job((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(ParseJob(job).Clean()) << ParseJob(job).ProblemText();
  EXPECT_EQ(PageSetups(job), c.expected);
}

// A4 is PCL size 26, Letter 2; tray 1 is PCL source 1, tray 3 (259) source 5.
// Plain paper from a tray is the media type without a name ("M").
INSTANTIATE_TEST_SUITE_P(
    Table, PageSequence,
    ::testing::Values(
        SequenceCase{"SimplexSourceOnce", "--set dmDuplex=1", 3, {"H1 M o0 A26", "o0", "o0"}},
        SequenceCase{"LongEdgeDuplexSides", "--set dmDuplex=2", 3, {"H1 M o0 A26 G1", "o0 G0", "o0 G0"}},
        SequenceCase{"Landscape", "--set dmDuplex=1 --set dmOrientation=2 --set wLandDirect=0", 2,
                     {"H1 M o3 A26", "o3"}},
        SequenceCase{"LandscapeDirect", "--set dmDuplex=1 --set dmOrientation=2 --set wLandDirect=1", 2,
                     {"H1 M o1 A26", "o1"}},
        SequenceCase{"PortraitReversed", "--set dmDuplex=1 --set wPortDirect=1", 2, {"H1 M o2 A26", "o2"}},
        // First half turned; the notice before the second half. Every page
        // of a manual-duplex job is fed again: source, and with it size.
        SequenceCase{"ManualDuplexFromTray",
                     "--set dmDuplex=3 --set wManualDuplex=1 --set dwPageCount=4", 4,
                     {"H1 M o2 A26", "H1 M o2 A26", "N H1 M o0 A26", "H1 M o0 A26"}},
        // Two pages to a sheet side, turned sheets, front and back.
        SequenceCase{"BookletSheets", "--set dwFinishingMode=1", 4, {"H1 M o3 A26 G1", "o1 G0"}},
        SequenceCase{"FourUpOneSheet", "--set dmDuplex=1 --set dwMultipage=2", 6, {"H1 M o0 A26", "o0"}},
        SequenceCase{"LetterFromTray3", "--model 4550fx --set dmDuplex=1 --set dmPaperSize=1 --set dmDefaultSource=259",
                     2, {"H5 M o0 A2", "o0"}},
        // Manual feed is PCL source 2 on a model without a separate multi-purpose tray.
        SequenceCase{"ManualFeed", "--set dmDuplex=1 --set dmDefaultSource=4", 2, {"H2 M o0 A26", "o0"}},
        SequenceCase{"TransparencyMedia", "--set dmDuplex=1 --set wMediaType=6", 2,
                     {"H1 MTransparency o0 A26", "o0"}},
        SequenceCase{"PosterTwoSheetsTurned", "--set dmDuplex=1 --set dwFinishingMode=2 --set wLandDirect=1", 2,
                     {"H1 M o1 A26", "o1"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kadu_test
