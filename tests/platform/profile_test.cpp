#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kw/hooks_profile.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

using kadu_test::WorldFixture;

namespace {

class Profile : public WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    std::filesystem::create_directories(world_ + "/C/Data");
    std::filesystem::create_directories(world_ + "/C/Windows");
  }
  void TearDown() override {
    kw::hooks::ProfileFailWritesAt(0);
    kw::hooks::ProfileRecordReads(false);
    kw::SetAnsiCodePage(1252);
    WorldFixture::TearDown();
  }
  void WriteBytes(const std::string& bytes, const char* rel = "C/Data/test.ini") {
    std::ofstream(world_ + "/" + rel, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string ReadBytes(const char* rel = "C/Data/test.ini") {
    std::ifstream in(world_ + "/" + rel, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::u16string Get(const char16_t* sec, const char16_t* key, const char16_t* def = u"<none>",
                     const char16_t* file = u"C:\\Data\\test.ini") {
    char16_t buf[256];
    DWORD n = GetPrivateProfileStringW(sec, key, def, buf, 256, file);
    return std::u16string(buf, n);
  }
};

std::string Utf16File(std::u16string_view text) {
  std::string out("\xFF\xFE", 2);
  out.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  return out;
}

struct ReadCase {
  const char* name;
  std::string file;
  const char16_t* section;
  const char16_t* key;
  std::u16string expected;
};

TEST_F(Profile, ReadsValuesWithTheWindowsRules) {
  const ReadCase cases[] = {
      {"plain", "[Sec]\r\nKey=Value\r\n", u"Sec", u"Key", u"Value"},
      {"case of section and key", "[Common]\r\nInitDataFile1=a.dll\r\n", u"COMMON", u"initdatafile1", u"a.dll"},
      {"blanks trimmed", "  [ Sec ]  \n \tKey \t=  two words \t\n", u"Sec", u"Key", u"two words"},
      {"double quotes stripped", "[S]\nK=\"  quoted  \"\n", u"S", u"K", u"  quoted  "},
      {"single quotes stripped", "[S]\nK='x'\n", u"S", u"K", u"x"},
      {"one pair only", "[S]\nK=\"a\" and \"b\"\n", u"S", u"K", u"a\" and \"b"},
      {"unbalanced quote kept", "[S]\nK=\"open\n", u"S", u"K", u"\"open"},
      {"mixed quotes kept", "[S]\nK=\"x'\n", u"S", u"K", u"\"x'"},
      {"semicolon in value kept", "[S]\nK=1,2 ; comment\n", u"S", u"K", u"1,2 ; comment"},
      {"equals in value", "[S]\nK=a=b\n", u"S", u"K", u"a=b"},
      {"empty value", "[S]\nK=\nL=x\n", u"S", u"K", u""},
      {"line without equals is a key", "[S]\nFlag\n", u"S", u"Flag", u""},
      {"comment line", "[S]\n;K=hidden\nK2=x\n", u"S", u"K", u"<none>"},
      {"first key wins", "[S]\nK=1\nk=2\n", u"S", u"K", u"1"},
      {"first section wins", "[A]\nK=1\n[a]\nK=2\nJ=3\n", u"A", u"J", u"<none>"},
      {"keys before a section", "K=0\n[S]\nJ=1\n", u"S", u"K", u"<none>"},
      {"LF line ends", "[S]\nA=1\nB=2", u"S", u"B", u"2"},
      {"CR line ends", "[S]\rA=1\rB=2\r", u"S", u"B", u"2"},
      {"header text after bracket", "[S] trailing\nK=v\n", u"S", u"K", u"v"},
      {"unclosed header", "[S\nK=v\n", u"S", u"K", u"v"},
      {"missing section", "[S]\nK=v\n", u"T", u"K", u"<none>"},
      {"ANSI code page", "[S]\nK=caf\xE9\n", u"S", u"K", u"caf\u00E9"},
      {"UTF-16 with mark", Utf16File(u"[S\u00E9]\r\nK=\u65E5\u672C\r\n"), u"s\u00E9", u"k", u"\u65E5\u672C"},
      {"UTF-16 quotes stripped", Utf16File(u"[S]\r\nK=\"q\"\r\n"), u"S", u"K", u"q"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(c.file);
    EXPECT_EQ(Get(c.section, c.key), c.expected);
  }
}

TEST_F(Profile, DefaultsLoseTrailingBlanksAndMissingFilesGiveThem) {
  EXPECT_EQ(Get(u"S", u"K", u"def  \t"), u"def");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Get(u"S", u"K", nullptr), u"");
  WriteBytes("[S]\nK=v\n");
  EXPECT_EQ(Get(u"S", u"K", u"def"), u"v");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
}

TEST_F(Profile, CutsValuesAndListsToTheBuffer) {
  WriteBytes("[One]\nAlpha=Value\nBeta=2\n[Two]\n");
  char16_t buf[16];
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(GetPrivateProfileStringW(u"One", u"Alpha", u"", buf, 4, u"C:\\Data\\test.ini"), 3u);
  EXPECT_EQ(std::u16string(buf, 4), std::u16string(u"Val\0", 4));
  EXPECT_EQ(GetPrivateProfileStringW(u"One", u"Alpha", u"", buf, 0, u"C:\\Data\\test.ini"), 0u);

  struct ListCase {
    const char16_t* section;
    DWORD size;
    DWORD result;
    std::u16string content;  // the buffer's first `size` characters
  };
  const ListCase lists[] = {
      {nullptr, 16, 8, std::u16string(u"One\0Two\0\0", 9)},
      {nullptr, 9, 8, std::u16string(u"One\0Two\0\0", 9)},
      {nullptr, 8, 6, std::u16string(u"One\0Tw\0\0", 8)},
      {nullptr, 3, 1, std::u16string(u"O\0\0", 3)},
      {u"one", 16, 11, std::u16string(u"Alpha\0Beta\0\0", 12)},
      {u"one", 7, 5, std::u16string(u"Alpha\0\0", 7)},
      {u"two", 16, 0, std::u16string(u"\0\0", 2)},
      {u"missing", 16, 0, std::u16string(u"\0\0", 2)},
  };
  for (const auto& l : lists) {
    SCOPED_TRACE(testing::Message() << "size " << l.size);
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(GetPrivateProfileStringW(l.section, nullptr, u"ignored", buf, l.size, u"C:\\Data\\test.ini"), l.result);
    EXPECT_EQ(std::u16string(buf, l.content.size()), l.content);
  }
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(GetPrivateProfileSectionNamesW(buf, 16, u"C:\\Data\\test.ini"), 8u);
  EXPECT_EQ(GetPrivateProfileSectionW(u"ONE", buf, 16, u"C:\\Data\\test.ini"), 14u);
  EXPECT_EQ(std::u16string(buf, 16), std::u16string(u"Alpha=Value\0Be\0\0", 16));
}

TEST_F(Profile, ReadsIntegersAsSignedDecimals) {
  WriteBytes(
      "[N]\nplain=42\nneg=-28\nblank=  7  \nsuffix=12abc\nletters=abc\nempty=\nhex=0x10\nplus=+5\n"
      "quoted=\"9\"\nbig=4294967297\n");
  struct IntCase {
    const char16_t* key;
    UINT expected;
  };
  const IntCase cases[] = {{u"plain", 42},  {u"neg", UINT(-28)}, {u"blank", 7},   {u"suffix", 12},
                           {u"letters", 0}, {u"empty", 0},       {u"hex", 0},     {u"plus", 5},
                           {u"quoted", 9},  {u"big", 1},         {u"missing", 77}};
  for (const auto& c : cases) {
    SCOPED_TRACE(kw::Narrow(c.key));
    EXPECT_EQ(GetPrivateProfileIntW(u"N", c.key, 77, u"C:\\Data\\test.ini"), c.expected);
  }
  EXPECT_EQ(GetPrivateProfileIntW(u"missing", u"plain", -1, u"C:\\Data\\test.ini"), UINT(-1));
}

struct WriteCase {
  const char* name;
  std::string before;
  const char16_t* section;
  const char16_t* key;
  const char16_t* value;
  std::string after;
};

TEST_F(Profile, WritesInPlaceAndAppendsAtTheEndOfTheSection) {
  const WriteCase cases[] = {
      {"replace where it stands", "; head\r\n[S]\r\nA = 1 ; c\r\nB=2\r\n", u"s", u"a", u"9",
       "; head\r\n[S]\r\nA=9\r\nB=2\r\n"},
      {"append after the last key", "[S]\r\nA=1\r\n\r\n; note\r\n[T]\r\nX=1\r\n", u"S", u"B", u"2",
       "[S]\r\nA=1\r\nB=2\r\n\r\n; note\r\n[T]\r\nX=1\r\n"},
      {"first key of an empty section", "[S]\r\n[T]\r\n", u"S", u"A", u"1", "[S]\r\nA=1\r\n[T]\r\n"},
      {"new section at the end", "[S]\r\nA=1\r\n", u"New", u"K", u"v", "[S]\r\nA=1\r\n\r\n[New]\r\nK=v\r\n"},
      {"new file", "", u"S", u"K", u"v", "[S]\r\nK=v\r\n"},
      {"delete a key", "[S]\r\nA=1\r\nB=2\r\n", u"S", u"A", nullptr, "[S]\r\nB=2\r\n"},
      {"delete a section", "[S]\r\nA=1\r\n; c\r\n[T]\r\nB=2\r\n", u"s", nullptr, nullptr, "[T]\r\nB=2\r\n"},
      {"delete a missing key", "[S]\nA=1\n", u"S", u"Z", nullptr, "[S]\r\nA=1\r\n"},
      {"LF file rewritten with CR LF", "[S]\nA=1\n", u"S", u"A", u"2", "[S]\r\nA=2\r\n"},
      {"ANSI text", "[S]\r\n", u"S", u"K", u"caf\u00E9", "[S]\r\nK=caf\xE9\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(world_ + "/C/Data/test.ini");
    if (!c.before.empty()) WriteBytes(c.before);
    EXPECT_TRUE(WritePrivateProfileStringW(c.section, c.key, c.value, u"C:\\Data\\test.ini"));
    EXPECT_EQ(ReadBytes(), c.after);
  }
}

TEST_F(Profile, UnicodeFilesStayUnicode) {
  WriteBytes(Utf16File(u"[S]\r\nA=1\r\n"));
  EXPECT_TRUE(WritePrivateProfileStringW(u"S", u"B", u"\u65E5", u"C:\\Data\\test.ini"));
  EXPECT_EQ(ReadBytes(), Utf16File(u"[S]\r\nA=1\r\nB=\u65E5\r\n"));
  EXPECT_EQ(Get(u"S", u"B"), u"\u65E5");
}

TEST_F(Profile, WholeSectionsAreReplacedOrDeleted) {
  WriteBytes("[S]\r\nA=1\r\nB=2\r\n\r\n[T]\r\nC=3\r\n");
  EXPECT_TRUE(WritePrivateProfileSectionW(u"S", u"X=9\0Y=8\0", u"C:\\Data\\test.ini"));
  EXPECT_EQ(ReadBytes(), "[S]\r\nX=9\r\nY=8\r\n\r\n[T]\r\nC=3\r\n");
  EXPECT_TRUE(WritePrivateProfileSectionA("U", "Z=1\0", "C:\\Data\\test.ini"));
  EXPECT_EQ(Get(u"U", u"Z"), u"1");
  EXPECT_TRUE(WritePrivateProfileSectionW(u"T", nullptr, u"C:\\Data\\test.ini"));
  EXPECT_EQ(Get(u"T", u"C"), u"<none>");
}

TEST_F(Profile, BareNamesLiveInTheWindowsFolderAndFlushingReturnsFalse) {
  EXPECT_TRUE(WritePrivateProfileStringW(u"S", u"K", u"v", u"kadu.ini"));
  EXPECT_TRUE(std::filesystem::exists(world_ + "/C/Windows/kadu.ini"));
  EXPECT_EQ(Get(u"S", u"K", u"", u"C:\\WINDOWS\\KADU.INI"), u"v");
  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, u"kadu.ini"));
  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, u"K", u"v", u"kadu.ini"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(Profile, FailedWritesReportAndKeepTheFile) {
  WriteBytes("[S]\r\nA=1\r\n");
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"A", u"2", u"C:\\Missing\\x.ini"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  kw::hooks::ProfileFailWritesAt(1);
  EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"A", u"2", u"C:\\Data\\test.ini"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
  EXPECT_EQ(ReadBytes(), "[S]\r\nA=1\r\n");
  EXPECT_TRUE(WritePrivateProfileStringW(u"S", u"A", u"3", u"C:\\Data\\test.ini"));
  for (auto& e : std::filesystem::directory_iterator(world_ + "/C/Data"))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos);
}

TEST_F(Profile, AnsiFormsConvertArgumentsAndResults) {
  kw::SetAnsiCodePage(932);
  WriteBytes(Utf16File(u"[\u65E5\u672C]\r\nName=\u30C6\u30B9\u30C8\r\nB=2\r\n"));
  char buf[32];
  EXPECT_EQ(GetPrivateProfileStringA("\x93\xfa\x96\x7b", "name", "", buf, sizeof buf, "C:\\Data\\test.ini"), 6u);
  EXPECT_STREQ(buf, "\x83\x65\x83\x58\x83\x67");
  EXPECT_EQ(GetPrivateProfileStringA("\x93\xfa\x96\x7b", "name", "", buf, 4, "C:\\Data\\test.ini"), 3u);
  EXPECT_EQ(GetPrivateProfileStringA("\x93\xfa\x96\x7b", nullptr, "", buf, sizeof buf, "C:\\Data\\test.ini"), 7u);
  EXPECT_EQ(std::string(buf, 8), std::string("Name\0B\0\0", 8));
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buf, 4, "C:\\Data\\test.ini"), 2u);
  EXPECT_EQ(std::string(buf, 4), std::string("\x93\xfa\0\0", 4));
  EXPECT_EQ(GetPrivateProfileIntA("\x93\xfa\x96\x7b", "B", 0, "C:\\Data\\test.ini"), 2u);
  EXPECT_TRUE(WritePrivateProfileStringA("\x93\xfa\x96\x7b", "C", "\x83\x65", "C:\\Data\\test.ini"));
  EXPECT_EQ(Get(u"\u65E5\u672C", u"C"), u"\u30C6");
}

TEST_F(Profile, ParsedFilesAreKeptUntilTheyChange) {
  WriteBytes("[S]\nK=1\n");
  // Date the file back so that its time cannot be the one of a later change.
  std::string host = world_ + "/C/Data/test.ini";
  struct utimbuf old{1000000000, 1000000000};
  ASSERT_EQ(::utime(host.c_str(), &old), 0);
  EXPECT_EQ(Get(u"S", u"K"), u"1");
  uint64_t parses = kw::hooks::ProfileParseCount();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Get(u"S", u"K"), u"1");
  EXPECT_EQ(kw::hooks::ProfileParseCount(), parses);
  WriteBytes("[S]\nK=2\n");  // same size, new contents: seen at once
  EXPECT_EQ(Get(u"S", u"K"), u"2");
  WriteBytes("[S]\nK=3\n");
  EXPECT_EQ(Get(u"S", u"K"), u"3");
  // Just written: read again at every call, but not parsed again while the bytes are the same.
  parses = kw::hooks::ProfileParseCount();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Get(u"S", u"K"), u"3");
  EXPECT_EQ(kw::hooks::ProfileParseCount(), parses);
}

TEST_F(Profile, RecordsWhatWasRead) {
  WriteBytes("[S]\nK=1\n");
  kw::hooks::ProfileRecordReads(true);
  Get(u"S", u"K");
  GetPrivateProfileIntW(u"VERSION", u"Ver", 0, u"C:\\Data\\test.ini");
  Get(nullptr, nullptr);
  auto reads = kw::hooks::ProfileReads();
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0].section, u"S");
  EXPECT_EQ(reads[0].key, u"K");
  EXPECT_EQ(reads[1].section, u"VERSION");
  EXPECT_EQ(reads[1].file, u"C:\\Data\\test.ini");
  EXPECT_TRUE(reads[2].allSections);
}

}  // namespace
