// kadu-print as a person runs it: fresh world folders, each shipped model,
// both rendering modes, and clear failures that leave no output behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/printer_job_parser.h"
#include "tests/support/world_fixture.h"

namespace fs = std::filesystem;

namespace kadu_test {
namespace {

constexpr const char* kUel = "\x1b%-12345X";
constexpr const char* kTrailer = "\x1b" "E\x1b%-12345X@PJL\r\n@PJL RDYMSG DISPLAY = \"\"\n@PJL EOJ NAME = \"End \"\n\x1b%-12345X";

struct RunResult {
  int status;
  std::string err;
};

class KaduPrint : public WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    dir_ = fs::path(world_).parent_path() / (fs::path(world_).filename().string() + "-run");
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
    WorldFixture::TearDown();
  }

  RunResult Print(const std::string& args) {
    std::string err = (dir_ / "stderr.txt").string();
    std::string cmd = std::string(KADU_PRINT_EXE) + " --world '" + (dir_ / "world").string() + "' " + args +
                      " >/dev/null 2>'" + err + "'";
    int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, Read(err)};
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string Out(const char* name) { return (dir_ / name).string(); }
  fs::path dir_;
};

struct ModelCase {
  const char* model;
  const char* mode;  // wPrintMode
};

class EachModel : public KaduPrint, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(EachModel, WritesAWholeWellFormedJob) {
  const ModelCase& c = GetParam();
  RunResult r = Print(std::string("--model ") + c.model + " --set wPrintMode=" + c.mode + " --pages 2 -o '" +
                Out("job.prn") + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string job = Read(Out("job.prn"));
  ASSERT_GT(job.size(), 100u);
  EXPECT_EQ(job.rfind(std::string(kUel) + "@PJL\r\n", 0), 0u);
  ASSERT_GE(job.size(), std::strlen(kTrailer));
  EXPECT_EQ(job.substr(job.size() - std::strlen(kTrailer)), kTrailer);
  JobParse parse = ParseJob(job);
  EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  // Two pages: two form feeds in PCL text, or the ends of fixed-block raster
  // pages ("\e*r32768C", which eject without a form feed).
  size_t feeds = 0;
  for (const JobToken& t : parse.tokens)
    if (t.kind == JobTokenKind::Text) feeds += size_t(std::count(t.data.begin(), t.data.end(), '\f'));
  for (size_t at = job.find("\x1B*r32768C"); at != std::string::npos; at = job.find("\x1B*r32768C", at + 1)) ++feeds;
  EXPECT_EQ(feeds, 2u) << DescribeJob(job);
}

INSTANTIATE_TEST_SUITE_P(Models, EachModel,
                         ::testing::Values(ModelCase{"2630dn", "0"}, ModelCase{"2630dn", "1"},
                                           ModelCase{"4550fx", "0"}, ModelCase{"4550fx", "1"},
                                           ModelCase{"J3100", "0"}, ModelCase{"J3100", "1"}),
                         [](const auto& info) {
                           return std::string(info.param.model) + (info.param.mode[0] == '1' ? "Raster" : "Device");
                         });

TEST_F(KaduPrint, SecondRunReusesTheInstalledPrinter) {
  ASSERT_EQ(Print("-o '" + Out("a.prn") + "'").status, 0);
  RunResult r = Print("-o '" + Out("b.prn") + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read(Out("a.prn")), Read(Out("b.prn")));
}

struct FailureCase {
  const char* name;
  const char* args;
  const char* message;
};

class Failures : public KaduPrint, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failures, SayWhyInOneLineAndLeaveNoOutput) {
  const FailureCase& c = GetParam();
  std::string args = c.args;
  size_t at = args.find("OUT");
  if (at != std::string::npos) args.replace(at, 3, "'" + Out("job.prn") + "'");
  RunResult r = Print(args);
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  EXPECT_EQ(r.err.rfind("kadu-print: ", 0), 0u) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_FALSE(fs::exists(Out("job.prn")));
  for (const auto& e : fs::directory_iterator(dir_))
    EXPECT_EQ(e.path().filename().string().find(".partial"), std::string::npos) << e.path();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Failures,
    ::testing::Values(FailureCase{"UnknownModel", "--model LX999 -o OUT", "unknown model \"LX999\""},
                      FailureCase{"UnknownSetting", "--set dmNoSuchField=1 -o OUT", "unknown setting"},
                      FailureCase{"ValueNotANumber", "--set dmDuplex=two -o OUT", "bad value"},
                      FailureCase{"ValueOutOfRange", "--set dmDuplex=9 -o OUT", "does not accept dmDuplex=9"},
                      FailureCase{"OutputFolderMissing", "-o /nonexistent-kadu/job.prn", "cannot write"},
                      FailureCase{"NoOutput", "--pages 2", "no output file"},
                      FailureCase{"BadPages", "--pages 0 -o OUT", "--pages"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KaduPrint, HelpNamesEveryOption) {
  std::string out = (dir_ / "help.txt").string();
  int rc = std::system((std::string(KADU_PRINT_EXE) + " --help >'" + out + "'").c_str());
  ASSERT_EQ(WEXITSTATUS(rc), 0);
  std::string help = Read(out);
  for (const char* o : {"--world", "--model", "--set", "--pages", "--page-image", "--list-settings", "-o FILE"})
    EXPECT_NE(help.find(o), std::string::npos) << o;
}

TEST_F(KaduPrint, ListsSettingsWithValuesAndRanges) {
  std::string out = (dir_ / "list.txt").string();
  int rc = std::system((std::string(KADU_PRINT_EXE) + " --world '" + (dir_ / "world").string() +
                        "' --list-settings >'" + out + "'")
                           .c_str());
  ASSERT_EQ(WEXITSTATUS(rc), 0);
  std::string list = Read(out);
  EXPECT_NE(list.find("dmPaperSize"), std::string::npos);
  EXPECT_NE(list.find("wPrintMode"), std::string::npos);
  EXPECT_NE(list.find("dmDuplex"), std::string::npos);
}

}  // namespace
}  // namespace kadu_test

namespace kadu_test {
namespace {

struct LayoutCase {
  const char* name;
  const char* settings;
  int pages;
};

class Layouts : public KaduPrint, public ::testing::WithParamInterface<std::tuple<LayoutCase, bool>> {};

// Several pages in each layout come out as one well-formed job: escape groups
// closed, HP-GL/2 entered and left, PJL only at the start and the end.
TEST_P(Layouts, MakeOneWellFormedJob) {
  const auto& [c, raster] = GetParam();
  RunResult r = Print(std::string(c.settings) + " --set wPrintMode=" + (raster ? "1" : "0") + " --pages " +
                      std::to_string(c.pages) + " -o '" + Out("job.prn") + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string job = Read(Out("job.prn"));
  JobParse parse = ParseJob(job);
  EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  // PJL lines belong to the header (first UEL) and the trailer (last two).
  std::vector<size_t> uels;
  for (size_t i = 0; i < parse.tokens.size(); ++i)
    if (parse.tokens[i].kind == JobTokenKind::Uel) uels.push_back(i);
  ASSERT_EQ(uels.size(), 3u) << DescribeJob(job);
  bool inPjl = false;
  for (size_t i = 0; i < parse.tokens.size(); ++i) {
    const JobToken& t = parse.tokens[i];
    if (t.kind == JobTokenKind::Uel) inPjl = true;
    if (t.kind == JobTokenKind::Pjl && t.data.rfind("@PJL ENTER LANGUAGE", 0) == 0) inPjl = false;
    if (t.kind == JobTokenKind::PclEscape || t.kind == JobTokenKind::PclParam || t.kind == JobTokenKind::Gl2) {
      EXPECT_FALSE(inPjl) << "printer commands inside PJL at token " << i;
    }
  }
  size_t trailer = job.rfind("\x1b%-12345X@PJL");
  EXPECT_EQ(job.find("@PJL", job.find("@PJL ENTER LANGUAGE=PCL") + 1), trailer + 9);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Layouts,
    ::testing::Combine(
        ::testing::Values(LayoutCase{"Simplex", "--set dmDuplex=1", 3},
                          LayoutCase{"LongEdgeDuplex", "--set dmDuplex=2", 3},
                          LayoutCase{"ShortEdgeDuplex", "--set dmDuplex=3", 4},
                          LayoutCase{"Landscape", "--set dmOrientation=2", 2},
                          LayoutCase{"Booklet", "--set dwFinishingMode=1", 4},
                          LayoutCase{"FourUp", "--set dwMultipage=2", 6},
                          LayoutCase{"TwoUpFramed", "--set dwMultipage=1 --set dwPageBorder=1", 3},
                          LayoutCase{"PosterFour", "--set dwFinishingMode=2 --set dwEnlarge=1", 4},
                          LayoutCase{"Letter300", "--set dmPaperSize=1 --set dmPrintQuality=300", 2}),
        ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Raster" : "Device");
    });

}  // namespace
}  // namespace kadu_test
