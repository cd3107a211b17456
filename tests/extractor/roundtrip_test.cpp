// Packages made by kadu-pack and by the independent Python packer, unpacked by
// the extractor program and by the independent Python reader.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/extractor/kora_builder.h"
#include "tests/support/world_fixture.h"

namespace fs = std::filesystem;

namespace {

const std::string kExtractor = KADU_EXTRACTOR_EXE;
const std::string kPack = KADU_PACK_EXE;

std::string Python() { return "python3 " + kadu_test::SourcePath("tests/support/kora_sfx.py"); }

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

// Runs a shell command; returns its exit status and keeps what it printed.
int Shell(const std::string& command, std::string* output = nullptr) {
  static int serial = 0;
  fs::path log = fs::temp_directory_path() / ("kadu-rt-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
  int status = std::system((command + " > '" + log.string() + "' 2>&1").c_str());
  if (output) *output = Slurp(log);
  fs::remove(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  if (!x || !y || fs::file_size(a) != fs::file_size(b)) return false;
  std::vector<char> p(1 << 20), q(1 << 20);
  while (x && y) {
    x.read(p.data(), std::streamsize(p.size()));
    y.read(q.data(), std::streamsize(q.size()));
    if (x.gcount() != y.gcount() || std::memcmp(p.data(), q.data(), size_t(x.gcount())) != 0) return false;
  }
  return true;
}

// Every difference between the files of two trees (empty folders are not compared).
std::vector<std::string> TreeDiff(const fs::path& want, const fs::path& got) {
  std::vector<std::string> diff;
  for (auto& e : fs::recursive_directory_iterator(want)) {
    if (!e.is_regular_file()) continue;
    fs::path rel = fs::relative(e.path(), want);
    if (!fs::exists(got / rel)) diff.push_back("missing " + rel.string());
    else if (!SameFile(e.path(), got / rel)) diff.push_back("differs " + rel.string());
  }
  if (fs::exists(got)) {
    for (auto& e : fs::recursive_directory_iterator(got))
      if (e.is_regular_file() && !fs::exists(want / fs::relative(e.path(), got)))
        diff.push_back("extra " + fs::relative(e.path(), got).string());
  }
  return diff;
}

// A 100 MB file that deflates quickly: a random 4 KB unit, numbered each time.
void WriteBig(const fs::path& p, size_t bytes) {
  std::mt19937 rng(7);
  std::string unit(4096, '\0');
  for (char& c : unit) c = char(rng());
  std::ofstream out(p, std::ios::binary);
  for (size_t n = 0; n * unit.size() < bytes; ++n) {
    std::memcpy(unit.data(), &n, sizeof n);
    out.write(unit.data(), std::streamsize(std::min(unit.size(), bytes - n * unit.size())));
  }
}

class RoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string tmpl = (fs::temp_directory_path() / "kadu-roundtrip-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl;
    // Child programs get a world of their own.
    ::setenv("KADU_WORLD", (root_ / "world").c_str(), 1);
    fs::path s = root_ / "small";
    std::mt19937 rng(3);
    std::string dll(300000, '\0');
    for (size_t i = 0; i < dll.size(); ++i) dll[i] = char(i % 7 == 0 ? rng() : i / 1000);
    Spit(s / "setup.exe", "launcher");
    Spit(s / "Driver" / "KADU_UM.DLL", dll);
    Spit(s / "Driver" / "empty.ini", "");
    Spit(s / "Driver" / "x86" / "deep" / "nested" / "readme.txt", "nested\r\n");
    Spit(s / "Data" / "Caf\xC3\xA9 menu.txt", "accents survive the ANSI names");
    Spit(s / "zero.bin", "");
    fs::create_directories(s / "EmptyFolder");
  }
  // The tree with a 100 MB member, made only for the tests that use it.
  static const char* Big() {
    if (!fs::exists(root_ / "big")) {
      fs::copy(root_ / "small", root_ / "big", fs::copy_options::recursive);
      WriteBig(root_ / "big" / "Driver" / "huge.bin", 100u << 20);
    }
    return "big";
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void SetUp() override {
    work_ = root_ / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(work_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(work_, ec);
  }
  // Runs a package into `to`; returns its exit status.
  int Unpack(const fs::path& package, const fs::path& to, std::string* output = nullptr) {
    return Shell("'" + package.string() + "' --to '" + to.string() + "'", output);
  }
  int KaduPack(const fs::path& tree, const fs::path& package, const std::string& options = "") {
    return Shell(kPack + " --quiet " + options + " --stub " + kExtractor + " --out '" + package.string() + "' '" +
               tree.string() + "'");
  }
  static fs::path root_;
  fs::path work_;
};
fs::path RoundTrip::root_;

TEST_F(RoundTrip, KaduPackToExtractorAndToThePythonReader) {
  for (const char* tree : {"small", Big()}) {
    SCOPED_TRACE(tree);
    fs::path pkg = work_ / (std::string(tree) + ".exe"), out = work_ / (std::string(tree) + "-out");
    ASSERT_EQ(KaduPack(root_ / tree, pkg), 0);
    std::string log;
    EXPECT_EQ(Unpack(pkg, out, &log), 0) << log;
    EXPECT_NE(log.find("result 1002: success"), std::string::npos) << log;
    EXPECT_EQ(TreeDiff(root_ / tree, out), std::vector<std::string>{});
    std::string problems;
    EXPECT_EQ(Shell(Python() + " check '" + pkg.string() + "' '" + (root_ / tree).string() + "' --stub " + kExtractor,
                  &problems),
              0)
        << problems;
  }
}

TEST_F(RoundTrip, PythonPackerToExtractor) {
  struct Producer {
    const char* tree;
    const char* options;
  };
  const Producer producers[] = {
      {Big(), ""},
      {"small", "--level 0"},
      {"small", "--level 9"},
      {"small", "--level 9 --wbits 9"},
      {"small", "--strategy huffman"},
      {"small", "--strategy rle"},
      {"small", "--strategy fixed --level 1"},
  };
  int n = 0;
  for (const Producer& p : producers) {
    SCOPED_TRACE(std::string(p.tree) + " " + p.options);
    fs::path pkg = work_ / ("py" + std::to_string(n) + ".exe"), out = work_ / ("py" + std::to_string(n++) + "-out");
    std::string log;
    ASSERT_EQ(Shell(Python() + " pack " + p.options + " --stub " + kExtractor + " --out '" + pkg.string() + "' '" +
                      (root_ / p.tree).string() + "'",
                  &log),
              0)
        << log;
    EXPECT_EQ(Unpack(pkg, out, &log), 0) << log;
    EXPECT_EQ(TreeDiff(root_ / p.tree, out), std::vector<std::string>{});
  }
}

TEST_F(RoundTrip, KaduPackOrderAndLevels) {
  fs::path pkg = work_ / "p.exe";
  ASSERT_EQ(KaduPack(root_ / "small", pkg, "--level 0"), 0);
  std::string listing;
  ASSERT_EQ(Shell(Python() + " list '" + pkg.string() + "'", &listing), 0);
  // A folder's files by name with ASCII case ignored, then its sub-folders the same way.
  std::vector<std::string> names;
  for (size_t at = 0; at < listing.size();) {
    size_t nl = listing.find('\n', at);
    std::string line = listing.substr(at, nl - at);
    size_t cut = line.size();
    for (int field = 0; field < 3; ++field) cut = line.rfind(' ', cut - 1);  // sizes and offset follow the name
    names.push_back(line.substr(0, cut));
    at = nl + 1;
  }
  const std::vector<std::string> expected = {"setup.exe", "zero.bin", "Data\\Caf\xC3\xA9 menu.txt", "Driver\\empty.ini",
                                             "Driver\\KADU_UM.DLL", "Driver\\x86\\deep\\nested\\readme.txt"};
  EXPECT_EQ(names, expected) << listing;
  std::string out;
  EXPECT_EQ(Shell(kPack + " --level 10 --stub x --out y z", &out), 2);
  EXPECT_EQ(Shell(kPack + " --help", &out), 0);
  EXPECT_NE(out.find("Usage: kadu-pack"), std::string::npos);
}

// Five nested folders of 200 characters: a member folder of 1005 bytes.
std::string Deep() {
  std::string path;
  for (char c = 'a'; c < 'f'; ++c) path += std::string(200, c) + "/";
  return path + "x.txt";
}

TEST_F(RoundTrip, KaduPackRefusesWhatTheExtractorCouldNotUnpack) {
  struct Case {
    const char* what;
    std::string file;  // made in a fresh tree
    const char* message;  // part of kadu-pack's complaint
  };
  const Case cases[] = {
      {"colon", "dir/a:b.txt", "would refuse"},
      {"backslash", "dir/a\\b.txt", "would refuse"},
      {"name outside the ANSI code page", "\xE2\x9C\x93.txt", "ANSI"},
      {"folder over 999 bytes", Deep(), "999 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path tree = work_ / "tree";
    fs::remove_all(tree);
    fs::create_directories(tree / fs::path(c.file).parent_path());
    std::ofstream(tree / c.file) << "x";
    ASSERT_TRUE(fs::exists(tree / c.file));
    std::string out;
    EXPECT_EQ(Shell(kPack + " --stub " + kExtractor + " --out '" + (work_ / "p.exe").string() + "' '" + tree.string() +
                      "'",
                  &out),
              1);
    EXPECT_NE(out.find(c.message), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(work_ / "p.exe"));
  }
  // A package given as the stub would nest one archive in another.
  fs::path pkg = work_ / "p.exe";
  ASSERT_EQ(KaduPack(root_ / "small", pkg), 0);
  std::string out;
  EXPECT_EQ(Shell(kPack + " --stub '" + pkg.string() + "' --out '" + (work_ / "q.exe").string() + "' '" +
                    (root_ / "small").string() + "'",
                &out),
            1);
  EXPECT_NE(out.find("already carries a package"), std::string::npos) << out;
}

TEST_F(RoundTrip, ExtractorCommandLine) {
  std::string out;
  EXPECT_EQ(Shell(kExtractor + " --help", &out), 0);
  EXPECT_NE(out.find("Usage: extractor [--to DIR] [--list]"), std::string::npos);
  EXPECT_EQ(Shell(kExtractor + " --bogus", &out), 2);
  EXPECT_EQ(Shell(kExtractor + " --to '" + (work_ / "bare").string() + "'", &out), 1);
  EXPECT_NE(out.find("result 1001"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(work_ / "bare"));

  fs::path pkg = work_ / "pkg.exe";
  ASSERT_EQ(KaduPack(root_ / "small", pkg), 0);
  EXPECT_EQ(Shell("'" + pkg.string() + "' --list", &out), 0);
  EXPECT_NE(out.find("6 members"), std::string::npos) << out;
  EXPECT_NE(out.find("Driver\\KADU_UM.DLL  300000 bytes"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(work_ / "pkg"));
  // Without --to, the package unpacks beside itself into a folder named after it.
  EXPECT_EQ(Shell("cd '" + work_.string() + "' && ./pkg.exe", &out), 0) << out;
  EXPECT_EQ(TreeDiff(root_ / "small", work_ / "pkg"), std::vector<std::string>{});
  // Members are reported last first.
  EXPECT_LT(out.find("Driver\\x86\\deep\\nested\\readme.txt"), out.find("setup.exe")) << out;
}

TEST_F(RoundTrip, HostileMembersStayInsideTheDestination) {
  kadu_test::KoraArchive a;
  a.stub = Slurp(kExtractor);
  a.members = {{"", "fine.txt", "fine"},
               {"..\\", "escaped.txt", "no"},
               {"..\\..\\", "escaped2.txt", "no"},
               {"../", "escaped3.txt", "no"},
               {"Z:\\", "escaped4.txt", "no"},
               {"\\", "escaped5.txt", "no"},
               {"", "/escaped6.txt", "no"}};
  fs::path pkg = work_ / "hostile.exe";
  Spit(pkg, kadu_test::BuildKora(a));
  fs::permissions(pkg, fs::perms::owner_all);
  fs::path out = work_ / "a" / "b" / "out";
  std::string log;
  EXPECT_EQ(Unpack(pkg, out, &log), 1);
  EXPECT_NE(log.find("result 1005"), std::string::npos) << log;
  EXPECT_NE(log.find("escaped.txt (2 bytes): refused"), std::string::npos) << log;
  EXPECT_EQ(Slurp(out / "fine.txt"), "fine");
  for (auto& e : fs::recursive_directory_iterator(work_))
    EXPECT_EQ(e.path().filename().string().find("escaped"), std::string::npos) << e.path();
  EXPECT_FALSE(fs::exists("/escaped6.txt"));
  EXPECT_FALSE(fs::exists("/escaped4.txt"));
}

}  // namespace
