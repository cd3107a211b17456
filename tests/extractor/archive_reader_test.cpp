#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>

#include "extractor/archive_reader.h"
#include "extractor/member_name.h"
#include "kw/hooks_file.h"
#include "tests/extractor/kora_builder.h"
#include "tests/support/world_fixture.h"

namespace fs = std::filesystem;
using namespace kadu::extractor;
using kadu_test::BuildKora;
using kadu_test::Deflate;
using kadu_test::KoraArchive;
using kadu_test::KoraMember;

namespace {

std::string Noise(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

std::string Text(size_t n) {
  std::string s;
  while (s.size() < n) s += "PJL SET RESOLUTION=600 @PJL ENTER LANGUAGE=PCL " + std::to_string(s.size()) + "\n";
  s.resize(n);
  return s;
}

struct Event {
  int event;
  int value;
  bool operator==(const Event& o) const { return event == o.event && value == o.value; }
};

void Record(int event, int value, void* user) { static_cast<std::vector<Event>*>(user)->push_back({event, value}); }

class Archive : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::FileResetFaults();
    x_ = std::make_unique<Extractor>();
  }
  void TearDown() override {
    kw::hooks::FileResetFaults();
    WorldFixture::TearDown();
  }
  void Write(const std::string& bytes) { std::ofstream(world_ + "/C/pkg.exe", std::ios::binary) << bytes; }
  int Read(const std::string& bytes) {
    Write(bytes);
    return ReadDirectory(x_.get(), "C:\\pkg.exe");
  }
  int Extract(const std::string& bytes, const char* to = "C:\\out") {
    Write(bytes);
    x_->programPath = "C:\\pkg.exe";
    events_.clear();
    return ExtractAll(x_.get(), to, Record, &events_);
  }
  std::string Out(const std::string& rel) {
    std::ifstream in(world_ + "/C/out/" + rel, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Every file the extraction left outside its destination folder.
  std::vector<std::string> Strays() {
    std::vector<std::string> strays;
    for (auto& e : fs::recursive_directory_iterator(world_)) {
      std::string rel = e.path().string().substr(world_.size());
      if (rel == "/C" || rel == "/C/pkg.exe" || rel == "/C/out" || rel.rfind("/C/out/", 0) == 0) continue;
      strays.push_back(rel);
    }
    return strays;
  }
  testing::AssertionResult Holds(const std::string& rel, const std::string& want) {
    std::string got = Out(rel);
    if (got == want) return testing::AssertionSuccess();
    return testing::AssertionFailure() << rel << " holds " << got.size() << " bytes"
                                       << (got == "<missing>" ? " (missing)" : "") << ", expected " << want.size();
  }
  const ArchiveEntry* Entry(const std::string& name) {
    for (const ArchiveEntry& e : x_->entries)
      if (e.fileName == name) return &e;
    return nullptr;
  }
  std::unique_ptr<Extractor> x_;
  std::vector<Event> events_;
};

KoraArchive ThreeMembers() {
  KoraArchive a;
  a.members = {{"", "setup.exe", "launcher"}, {"Driver\\", "KADU_UM.DLL", Text(20000)}, {"Driver\\x86\\", "empty.ini", ""}};
  return a;
}

TEST_F(Archive, ReadsTheDirectoryBackwardsFromTheTrailer) {
  KoraArchive a = ThreeMembers();
  std::string file = BuildKora(a);
  ASSERT_EQ(Read(file), kResultSuccess);
  ASSERT_EQ(x_->entryCount, 3u);
  ASSERT_EQ(x_->entries.size(), 3u);
  EXPECT_EQ(x_->entries[0].fileName, "setup.exe");
  EXPECT_EQ(x_->entries[0].directory, "");
  EXPECT_EQ(x_->entries[0].offset, a.stub.size());
  EXPECT_EQ(x_->entries[1].directory, "Driver\\");
  EXPECT_EQ(x_->entries[1].uncompressedSize, 20000u);
  EXPECT_EQ(x_->entries[1].compressedSize, Deflate(Text(20000)).size());
  EXPECT_EQ(x_->entries[2].directory, "Driver\\x86\\");
  size_t dataEnd = a.stub.size() + Deflate("launcher").size() + Deflate(Text(20000)).size() + Deflate("").size();
  EXPECT_EQ(x_->dataEnd, dataEnd);
  EXPECT_EQ(x_->trailerSize, file.size() - dataEnd);
  EXPECT_EQ(ReadDirectory(x_.get(), "C:\\missing.exe"), kResultCannotOpen);
}

TEST_F(Archive, TrailerSearchFindsTheLastMagicWithinTenMillionBytes) {
  struct Case {
    const char* what;
    std::string tail;
    int result;
  };
  const std::string magic = "!KORA_SFX!";
  const Case cases[] = {
      {"signature block after the trailer", Noise(7 * 1024, 1), kResultSuccess},
      {"'!' bytes right after the magic", "!a!!", kResultSuccess},
      {"magic split over the scan's chunks", std::string(4096 - 5, 'p'), kResultSuccess},
      {"magic starting 9 999 999 bytes before the end", std::string(9999989, '\0'), kResultSuccess},
      {"magic starting 10 000 000 bytes before the end", std::string(9999990, '\0'), kResultBadArchive},
  };
  for (const Case& c : cases) {
    KoraArchive a = ThreeMembers();
    a.tail = c.tail;
    EXPECT_EQ(Read(BuildKora(a)), c.result) << c.what;
  }
  // A stale trailer inside the image does not hide the real one after it.
  KoraArchive inner = ThreeMembers();
  inner.version = "0.99";
  KoraArchive outer = ThreeMembers();
  outer.stub = BuildKora(inner);
  ASSERT_EQ(Read(BuildKora(outer)), kResultSuccess);
  EXPECT_EQ(x_->entries[0].offset, outer.stub.size());
}

TEST_F(Archive, DamagedTrailersAndDirectoriesAreRefused) {
  std::string good = BuildKora(ThreeMembers());
  struct Case {
    const char* what;
    std::string file;
    int result;
  };
  auto with = [](auto change) {
    KoraArchive a = ThreeMembers();
    change(a);
    return BuildKora(a);
  };
  const Case cases[] = {
      {"empty file", "", kResultBadArchive},
      {"shorter than the magic", "!KORA_SF", kResultBadArchive},
      {"magic alone", "!KORA_SFX!", kResultBadArchive},
      {"no magic", Noise(50000, 2), kResultBadArchive},
      {"magic cut off", good.substr(0, good.size() - 3), kResultBadArchive},
      {"version and magic cut off", good.substr(0, good.size() - 14), kResultBadArchive},
      {"version 1.11", with([](KoraArchive& a) { a.version = "1.11"; }), kResultBadArchive},
      {"entry count 0", with([](KoraArchive& a) { a.count = 0; }), kResultNoEntries},
      {"entry count 1001", with([](KoraArchive& a) { a.count = 1001; }), kResultBadArchive},
      {"entry count 0xFFFFFFFF", with([](KoraArchive& a) { a.count = 0xFFFFFFFFu; }), kResultBadArchive},
      {"more entries than the file holds", with([](KoraArchive& a) { a.count = 40; }), kResultBadArchive},
      {"file name of 1000 bytes",
       with([](KoraArchive& a) { a.members[2].fileName = std::string(1000, 'n'); }), kResultBadArchive},
      {"folder length past the file start",
       with([](KoraArchive& a) { a.members[0].directoryLength = 900; }), kResultBadArchive},
      {"folder length 0xFFFFFFFF",
       with([](KoraArchive& a) { a.members[2].directoryLength = 0xFFFFFFFFu; }), kResultBadArchive},
      {"name length past the file start",
       with([](KoraArchive& a) {
         a.stub.clear();
         a.members.resize(1);
         a.members[0].fileNameLength = 999;
       }),
       kResultBadArchive},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.file), c.result) << c.what;
    EXPECT_EQ(Extract(c.file), c.result) << c.what;
    EXPECT_TRUE(Strays().empty()) << c.what;
  }
}

TEST_F(Archive, ExtractsLastEntryFirstIntoItsFolders) {
  ASSERT_EQ(Extract(BuildKora(ThreeMembers()), "C:\\out"), kResultSuccess);
  EXPECT_TRUE(Holds("setup.exe", "launcher"));
  EXPECT_TRUE(Holds("Driver/KADU_UM.DLL", Text(20000)));
  EXPECT_TRUE(Holds("Driver/x86/empty.ini", ""));
  std::vector<Event> starts;
  for (const Event& e : events_)
    if (e.event != kEventPercent) starts.push_back(e);
  const std::vector<Event> expected = {{kEventMemberStart, 2}, {kEventMemberDone, 2}, {kEventMemberStart, 1},
                                       {kEventMemberDone, 1},  {kEventMemberStart, 0}, {kEventMemberDone, 0}};
  EXPECT_EQ(starts, expected);
  EXPECT_TRUE(Strays().empty());
  // A second run writes over the first one's files.
  std::ofstream(world_ + "/C/out/setup.exe") << "a much longer older file";
  ASSERT_EQ(Extract(BuildKora(ThreeMembers()), "c:/OUT/"), kResultSuccess);
  EXPECT_TRUE(Holds("setup.exe", "launcher"));
}

TEST_F(Archive, NamesAreAnsiAndReachTheHostAsUnicode) {
  KoraArchive a;
  a.members = {{"Fran\xE7" "ais\\", "Caf\xE9.txt", "ok"}};
  ASSERT_EQ(Extract(BuildKora(a)), kResultSuccess);
  EXPECT_EQ(Out("Fran\xC3\xA7" "ais/Caf\xC3\xA9.txt"), "ok");
}

TEST_F(Archive, StreamsFromOtherZlibProducersInflate) {
  struct Producer {
    const char* what;
    int level, windowBits, memLevel, strategy;
  };
  const Producer producers[] = {
      {"stored", 0, 15, 8, Z_DEFAULT_STRATEGY}, {"level 1", 1, 15, 8, Z_DEFAULT_STRATEGY},
      {"level 9", 9, 15, 9, Z_DEFAULT_STRATEGY}, {"512-byte window", 9, 9, 8, Z_DEFAULT_STRATEGY},
      {"small memory", 6, 10, 1, Z_DEFAULT_STRATEGY}, {"huffman only", 6, 15, 8, Z_HUFFMAN_ONLY},
      {"run lengths", 6, 15, 8, Z_RLE}, {"fixed codes", 6, 15, 8, Z_FIXED},
      {"filtered", 6, 15, 8, Z_FILTERED},
  };
  const std::string datas[] = {"", "x", Text(5000), Noise(70000, 3) + Text(300000)};
  KoraArchive a;
  for (const Producer& p : producers) {
    for (size_t i = 0; i < std::size(datas); ++i) {
      KoraMember m{std::string(p.what) + "\\", std::to_string(i) + ".bin", datas[i]};
      m.stream = Deflate(datas[i], p.level, p.windowBits, p.memLevel, p.strategy);
      a.members.push_back(m);
    }
  }
  ASSERT_EQ(Extract(BuildKora(a)), kResultSuccess);
  for (const KoraMember& m : a.members) {
    std::string rel = m.directory.substr(0, m.directory.size() - 1) + "/" + m.fileName;
    EXPECT_EQ(Out(rel), m.data) << rel;
  }
}

// What a failed member leaves behind.
enum class Left { NoFile, Prefix, SomeFile };

TEST_F(Archive, DamagedMembersFailAloneAndTheOthersAreExtracted) {
  const std::string data = Text(50000);
  const std::string stream = Deflate(data);
  std::string flipped = stream;
  flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x55);
  std::string badSum = stream;
  badSum.back() = char(badSum.back() ^ 1);
  struct Case {
    const char* what;
    KoraMember bad;
    MemberFailure failure;
    Left left;
  };
  auto member = [&](std::string s) {
    KoraMember m{"Bad\\", "bad.bin", data};
    m.stream = s;
    return m;
  };
  auto placed = [&](std::optional<uint32_t> offset, std::optional<uint32_t> size) {
    KoraMember m = member(stream);
    m.offset = offset;
    m.compressedSize = size;
    return m;
  };
  const Case cases[] = {
      {"stream cut short", member(stream.substr(0, stream.size() / 2)), MemberFailure::StreamTruncated, Left::Prefix},
      {"corrupt deflate data", member(flipped), MemberFailure::StreamDamaged, Left::SomeFile},
      {"bad checksum", member(badSum), MemberFailure::StreamDamaged, Left::Prefix},
      {"bad zlib header", member("\x78\x00" + stream.substr(2)), MemberFailure::StreamDamaged, Left::SomeFile},
      {"preset dictionary", member(Deflate(data, 6, 15, 8, Z_DEFAULT_STRATEGY, "PJL")), MemberFailure::NeedsDictionary,
       Left::SomeFile},
      {"offset past the end", placed(0xFFFFFFF0u, std::nullopt), MemberFailure::BadPlacement, Left::NoFile},
      {"compressed size past the end", placed(std::nullopt, 0x10000000u), MemberFailure::BadPlacement, Left::NoFile},
      {"file name empty", KoraMember{"Bad\\", "", data}, MemberFailure::UnsafeName, Left::NoFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(world_ + "/C/out");
    KoraArchive a = ThreeMembers();
    // The bad member sits last among the streams, so a cut stream meets the directory.
    a.members.push_back(c.bad);
    ASSERT_EQ(Extract(BuildKora(a)), kResultMemberFailed);
    ASSERT_EQ(x_->entries.size(), 4u);
    EXPECT_EQ(x_->entries[3].failure, c.failure);
    EXPECT_TRUE(Holds("setup.exe", "launcher"));
    EXPECT_TRUE(Holds("Driver/KADU_UM.DLL", Text(20000)));
    std::string left = Out("Bad/bad.bin");
    EXPECT_EQ(left == "<missing>", c.left == Left::NoFile);
    if (c.left == Left::Prefix) {  // a partly written member stays as far as it got
      EXPECT_LE(left.size(), data.size());
      EXPECT_TRUE(left == data.substr(0, left.size()));
    }
    std::set<int> done;
    for (const Event& e : events_)
      if (e.event == kEventMemberDone) done.insert(e.value);
    EXPECT_EQ(done, (std::set<int>{0, 1, 2}));
  }
}

TEST_F(Archive, MemberDataIsNeverTakenFromTheDirectory) {
  KoraArchive a = ThreeMembers();
  std::string file = BuildKora(a);
  ASSERT_EQ(Read(file), kResultSuccess);
  KoraMember intoDirectory{"", "dir.bin", "x"};
  intoDirectory.offset = uint32_t(x_->dataEnd + Deflate("x").size());  // where this archive's directory starts
  a.members.push_back(intoDirectory);
  ASSERT_EQ(Extract(BuildKora(a)), kResultMemberFailed);
  EXPECT_EQ(Entry("dir.bin")->failure, MemberFailure::BadPlacement);
}

TEST_F(Archive, NamesThatLeaveTheDestinationAreRefused) {
  fs::create_directories(world_ + "/C/out");
  struct Case {
    const char* directory;
    const char* name;
  };
  const Case cases[] = {
      {"..\\", "up.txt"},          {"a\\..\\..\\", "up2.txt"},   {"C:\\", "drive.txt"},
      {"C:", "rel.txt"},           {"\\", "root.txt"},            {"\\Windows\\", "lead.txt"},
      {"\\\\srv\\share\\", "unc.txt"}, {"/tmp/", "abs.txt"},     {"../", "up3.txt"},
      {"a/../../", "up4.txt"},     {"", ".."},                    {"", "..\\up5.txt"},
      {"", "../up6.txt"},          {"", "C:up7.txt"},             {"", "a.txt:stream"},
      {"Z:\\tmp\\", "host.txt"},   {"x\\..", "\\up8.txt"},
  };
  KoraArchive a;
  a.members.push_back({"", "fine.txt", "fine"});
  for (const Case& c : cases) a.members.push_back({c.directory, c.name, "escaped"});
  a.members.push_back({"a\\.\\b\\", "dots.txt", "kept"});
  ASSERT_EQ(Extract(BuildKora(a)), kResultMemberFailed);
  for (const ArchiveEntry& e : x_->entries) {
    bool expectedFine = e.fileName == "fine.txt" || e.fileName == "dots.txt";
    EXPECT_EQ(e.failure, expectedFine ? MemberFailure::None : MemberFailure::UnsafeName)
        << e.directory << e.fileName;
  }
  EXPECT_TRUE(Holds("fine.txt", "fine"));
  EXPECT_TRUE(Holds("a/b/dots.txt", "kept"));
  EXPECT_EQ(Strays(), std::vector<std::string>{});
  for (auto& e : fs::recursive_directory_iterator(world_ + "/C/out"))
    EXPECT_TRUE(e.is_directory() || e.path().filename() == "fine.txt" || e.path().filename() == "dots.txt")
        << e.path();
}

TEST_F(Archive, ReadOnlyOutputFailsThatMemberOnly) {
  fs::create_directories(world_ + "/C/out");
  std::ofstream(world_ + "/C/out/setup.exe") << "installed";
  fs::permissions(world_ + "/C/out/setup.exe", fs::perms::owner_read | fs::perms::group_read);
  ASSERT_EQ(Extract(BuildKora(ThreeMembers())), kResultMemberFailed);
  EXPECT_EQ(Entry("setup.exe")->failure, MemberFailure::CannotCreate);
  EXPECT_EQ(Entry("setup.exe")->lastError, DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(Holds("setup.exe", "installed"));
  EXPECT_TRUE(Holds("Driver/KADU_UM.DLL", Text(20000)));
  EXPECT_TRUE(Holds("Driver/x86/empty.ini", ""));
}

TEST_F(Archive, FullDiskFailsMembersWithoutEndingTheExtraction) {
  KoraArchive a = ThreeMembers();
  a.members.push_back({"", "late.bin", Noise(30000, 4)});
  kw::hooks::FileDiskFullAfter(10000);
  ASSERT_EQ(Extract(BuildKora(a)), kResultMemberFailed);
  EXPECT_EQ(Entry("late.bin")->failure, MemberFailure::WriteFailed);
  EXPECT_EQ(Entry("late.bin")->lastError, DWORD(ERROR_DISK_FULL));
  EXPECT_EQ(Out("late.bin").size(), 10000u);
  EXPECT_TRUE(Holds("late.bin", Noise(30000, 4).substr(0, 10000)));
  EXPECT_EQ(Entry("KADU_UM.DLL")->failure, MemberFailure::WriteFailed);  // the disk stays full
  EXPECT_EQ(Entry("empty.ini")->failure, MemberFailure::None);          // nothing to write
  EXPECT_TRUE(Holds("Driver/x86/empty.ini", ""));
}

TEST_F(Archive, ProgramFileThatCannotBeReopenedGives1006) {
  Write(BuildKora(ThreeMembers()));
  x_->programPath = "C:\\pkg.exe";
  kw::hooks::FileFailOpenAt(2);  // the directory read opens it first
  EXPECT_EQ(ExtractAll(x_.get(), "C:\\out", nullptr, nullptr), kResultCannotOpenForExtract);
  EXPECT_FALSE(fs::exists(world_ + "/C/out"));
  kw::hooks::FileResetFaults();
  kw::hooks::FileFailOpenMatching(u"C:\\PKG.EXE");
  EXPECT_EQ(ExtractAll(x_.get(), "C:\\out", nullptr, nullptr), kResultCannotOpen);
}

TEST_F(Archive, PercentagesClimbToOneHundredPerMember) {
  KoraArchive a;
  a.members = {{"", "noise.bin", Noise(200000, 5)}};
  ASSERT_EQ(Extract(BuildKora(a)), kResultSuccess);
  int last = -1, count = 0;
  for (const Event& e : events_) {
    if (e.event != kEventPercent) continue;
    EXPECT_GE(e.value, last);
    EXPECT_LE(e.value, 100);
    last = e.value;
    ++count;
  }
  EXPECT_GT(count, 10);  // one per 4 KB of output
  EXPECT_GE(last, 90);
  struct Case {
    uint64_t consumed;
    uint32_t size;
    int percent;
  };
  const Case cases[] = {
      {0, 0, 100},           {5, 0, 100},          {1, 3, 33},
      {10000000, 10000000, 100}, {2500000, 10000000, 25}, {5000000, 20000000, 25},
      {20000000, 20000099, 100}, {4000000000u, 4000000000u, 100}, {900, 100, 100},
  };
  for (const Case& c : cases) EXPECT_EQ(MemberPercent(c.consumed, c.size), c.percent) << c.consumed << "/" << c.size;
}

TEST(MemberNames, SafeAndUnsafeForms) {
  struct Case {
    const char* directory;
    const char* name;
    bool safe;
  };
  const Case cases[] = {
      {"", "setup.exe", true},   {"Driver\\", "a.dll", true}, {"a\\b\\c\\", "x", true}, {"..a\\", "b..", true},
      {"...\\", "x", true},      {"", "", false},             {"", ".", false},         {"..\\", "x", false},
      {"a\\..\\", "x", false},   {"a/../", "x", false},       {"\\a\\", "x", false},    {"/a/", "x", false},
      {"C:\\", "x", false},      {"", "a:b", false},          {"", "a\\b", false},      {"", "a/b", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsSafeMemberPath(c.directory, c.name), c.safe) << c.directory << "|" << c.name;
}

}  // namespace
