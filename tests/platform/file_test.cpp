#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kw/hooks_file.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace fs = std::filesystem;

namespace {

class Files : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::FileResetFaults();
    live_ = kw::hooks::FileLiveHandles();
  }
  void TearDown() override {
    kw::hooks::FileResetFaults();
    EXPECT_EQ(kw::hooks::FileLiveHandles(), live_) << "file handle leaked";
    WorldFixture::TearDown();
  }
  std::string Host(const std::string& rel) { return world_ + "/C/" + rel; }
  void Put(const std::string& rel, const std::string& bytes) {
    fs::create_directories(fs::path(Host(rel)).parent_path());
    std::ofstream(Host(rel), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& rel) {
    std::ifstream in(Host(rel), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(const std::string& rel) { return fs::exists(Host(rel)); }
  size_t live_ = 0;
};

HANDLE Open(const char16_t* name, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileW(name, access, FILE_SHARE_READ, nullptr, disposition, flags, nullptr);
}

std::string ReadAllFrom(HANDLE h) {
  std::string out;
  char buf[7];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
  return out;
}

TEST_F(Files, CreationDispositionsOnExistingAndMissingFiles) {
  struct Case {
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD lastError;   // after the call
    const char* after; // file contents afterwards, nullptr: no file
  };
  const Case cases[] = {
      {CREATE_NEW, false, true, 0, ""},
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {CREATE_ALWAYS, false, true, 0, ""},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {OPEN_EXISTING, true, true, 0, "old"},
      {OPEN_ALWAYS, false, true, 0, ""},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {TRUNCATE_EXISTING, true, true, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "disposition " << c.disposition << (c.exists ? " existing" : " missing"));
    fs::remove(Host("d.txt"));
    if (c.exists) Put("d.txt", "old");
    SetLastError(12345);
    HANDLE h = Open(u"C:\\d.txt", GENERIC_READ | GENERIC_WRITE, c.disposition);
    DWORD err = GetLastError();
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(err, c.lastError);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    EXPECT_EQ(Exists("d.txt"), c.after != nullptr);
    if (c.after) {
      EXPECT_EQ(Get("d.txt"), c.after);
    }
  }
  EXPECT_EQ(Open(u"C:\\x.txt", GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Open(u"C:\\nofolder\\x.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, ReadWriteSeekAndSize) {
  HANDLE h = Open(u"C:\\data.bin", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "hello world", 11, &n, nullptr));
  EXPECT_EQ(n, 11u);
  EXPECT_EQ(GetFileSize(h, nullptr), 11u);
  EXPECT_EQ(SetFilePointer(h, -5, nullptr, FILE_END), 6u);
  EXPECT_EQ(ReadAllFrom(h), "world");
  char c;
  EXPECT_TRUE(ReadFile(h, &c, 1, &n, nullptr));  // at the end: success, nothing read
  EXPECT_EQ(n, 0u);
  OVERLAPPED at{};
  at.Offset = 11;
  EXPECT_FALSE(ReadFile(h, &c, 1, &n, &at));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_HANDLE_EOF));
  at.Offset = 4;
  EXPECT_TRUE(ReadFile(h, &c, 1, &n, &at));
  EXPECT_EQ(c, 'o');
  EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(h, 5, nullptr, FILE_BEGIN), 5u);
  EXPECT_TRUE(SetEndOfFile(h));
  LARGE_INTEGER size, pos, far;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 5);
  far.QuadPart = 0x100000002LL;  // beyond 4 GB: the high part carries it
  ASSERT_TRUE(SetFilePointerEx(h, far, &pos, FILE_BEGIN));
  EXPECT_EQ(pos.QuadPart, far.QuadPart);
  LONG high = 0;
  EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_CURRENT), 2u);
  EXPECT_EQ(high, 1);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);  // does not fit 32 bits
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(Get("data.bin"), "hello");

  HANDLE r = Open(u"C:\\data.bin", GENERIC_READ, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(SetEndOfFile(r));
  CloseHandle(r);
  HANDLE w = Open(u"C:\\data.bin", GENERIC_WRITE, OPEN_EXISTING);
  EXPECT_FALSE(ReadFile(w, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  CloseHandle(w);
  EXPECT_FALSE(ReadFile(w, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(Files, AppendDataAndOverlappedOffsets) {
  Put("log.txt", "ab");
  HANDLE h = Open(u"C:\\log.txt", FILE_APPEND_DATA, OPEN_EXISTING);
  DWORD n;
  ASSERT_TRUE(WriteFile(h, "cd", 2, &n, nullptr));
  ASSERT_TRUE(WriteFile(h, "ef", 2, &n, nullptr));
  CloseHandle(h);
  h = Open(u"C:\\log.txt", GENERIC_WRITE, OPEN_EXISTING);
  OVERLAPPED ov{};
  ov.Offset = 8;  // past the end: the gap reads as zeros
  ASSERT_TRUE(WriteFile(h, "Z", 1, &n, &ov));
  CloseHandle(h);
  EXPECT_EQ(Get("log.txt"), std::string("abcdef\0\0Z", 9));
}

TEST_F(Files, NamesIgnoreCaseAcceptBothSeparatorsAndReachTheHostOnZ) {
  Put("Windows/System32/KADU.INI", "x=1");
  HANDLE h = Open(u"c:/windows\\SYSTEM32/kadu.ini", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAllFrom(h), "x=1");
  CloseHandle(h);
  HANDLE viaZ = CreateFileA(("Z:" + (world_ + "/C/WINDOWS/system32/Kadu.ini")).c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(viaZ, INVALID_HANDLE_VALUE);
  CloseHandle(viaZ);
  for (const char16_t* bad : {u"C:\\a<b", u"C:\\a|b", u"C:\\a*b", u"C:\\x\\a?", u"C:\\a:b", u"C:\\a\"b"}) {
    EXPECT_EQ(Open(bad, GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME)) << kw::Narrow(bad);
  }
}

TEST_F(Files, ReadOnlyFilesRefuseWritesWhoeverAsks) {
  Put("ro.txt", "keep");
  ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  for (DWORD d : {DWORD(OPEN_EXISTING), DWORD(CREATE_ALWAYS), DWORD(TRUNCATE_EXISTING), DWORD(OPEN_ALWAYS)}) {
    EXPECT_EQ(Open(u"C:\\ro.txt", GENERIC_WRITE, d), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  }
  EXPECT_FALSE(DeleteFileW(u"C:\\ro.txt"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  HANDLE r = Open(u"C:\\ro.txt", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(r, INVALID_HANDLE_VALUE);
  CloseHandle(r);
  ASSERT_TRUE(SetFileAttributesA("C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileA("C:\\RO.TXT"));
  EXPECT_FALSE(Exists("ro.txt"));
  // A file created read-only can still be written through the handle that made it.
  HANDLE made = Open(u"C:\\new.txt", GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
  DWORD n;
  EXPECT_TRUE(WriteFile(made, "ok", 2, &n, nullptr));
  CloseHandle(made);
  EXPECT_EQ(GetFileAttributesW(u"C:\\new.txt") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
}

TEST_F(Files, FoldersAndTheirErrors) {
  EXPECT_TRUE(CreateDirectoryW(u"C:\\Pkg", nullptr));
  EXPECT_FALSE(CreateDirectoryW(u"C:\\PKG", nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA("C:\\missing\\sub", nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesW(u"C:\\pkg"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(Open(u"C:\\pkg", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  HANDLE dir = Open(u"C:\\pkg", 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  EXPECT_NE(dir, INVALID_HANDLE_VALUE);
  CloseHandle(dir);
  Put("Pkg/a.txt", "a");
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\pkg"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\pkg\\a.txt"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DIRECTORY));
  EXPECT_FALSE(DeleteFileW(u"C:\\pkg"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(DeleteFileW(u"C:\\pkg\\A.TXT"));
  EXPECT_TRUE(RemoveDirectoryA("c:\\pkg"));
  struct Missing { const char16_t* name; DWORD error; };
  for (const Missing& m : {Missing{u"C:\\nothing.txt", ERROR_FILE_NOT_FOUND},
                           Missing{u"C:\\no\\nothing.txt", ERROR_PATH_NOT_FOUND}}) {
    EXPECT_EQ(GetFileAttributesW(m.name), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), m.error);
    EXPECT_FALSE(DeleteFileW(m.name));
    EXPECT_EQ(GetLastError(), m.error);
  }
}

TEST_F(Files, MoveReplacesInOneStepAndKeepsTheCaseAskedFor) {
  Put("cache.tmp", "new");
  Put("cache.bin", "old");
  EXPECT_FALSE(MoveFileExW(u"C:\\cache.tmp", u"C:\\cache.bin", 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  ASSERT_TRUE(MoveFileExW(u"C:\\cache.tmp", u"C:\\CACHE.BIN", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Get("cache.bin"), "new");
  EXPECT_FALSE(Exists("cache.tmp"));
  ASSERT_TRUE(MoveFileW(u"C:\\cache.bin", u"C:\\Cache.Bin"));
  EXPECT_TRUE(fs::exists(Host("Cache.Bin")));
  EXPECT_FALSE(MoveFileExW(u"C:\\gone", u"C:\\x", 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  Put("ro.bin", "r");
  SetFileAttributesW(u"C:\\ro.bin", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(MoveFileExW(u"C:\\Cache.Bin", u"C:\\ro.bin", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));

  Put("kadupp2.tmp", "v2");
  Put("kadupp2.dll", "v1");
  ASSERT_TRUE(MoveFileExW(u"C:\\kadupp2.tmp", u"C:\\kadupp2.dll",
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(Get("kadupp2.dll"), "v1");
  auto pending = kw::hooks::FilePendingMoves();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].second, u"C:\\kadupp2.dll");
  kw::hooks::FileRunPendingMoves();
  EXPECT_EQ(Get("kadupp2.dll"), "v2");
  EXPECT_TRUE(kw::hooks::FilePendingMoves().empty());
}

TEST_F(Files, CopyKeepsLastWriteTimeAndReadOnly) {
  Put("src.dll", "bytes");
  HANDLE h = Open(u"C:\\src.dll", GENERIC_WRITE, OPEN_EXISTING);
  FILETIME t{0x12345600, 0x01D00000}, got{};
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &t));
  CloseHandle(h);
  SetFileAttributesW(u"C:\\src.dll", FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CopyFileW(u"C:\\src.dll", u"C:\\dst.dll", TRUE));
  EXPECT_EQ(Get("dst.dll"), "bytes");
  WIN32_FILE_ATTRIBUTE_DATA info;
  ASSERT_TRUE(GetFileAttributesExW(u"C:\\dst.dll", GetFileExInfoStandard, &info));
  EXPECT_EQ(CompareFileTime(&info.ftLastWriteTime, &t), 0);
  EXPECT_EQ(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(info.nFileSizeLow, 5u);
  h = Open(u"C:\\dst.dll", GENERIC_READ, OPEN_EXISTING);
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &got));
  EXPECT_EQ(CompareFileTime(&got, &t), 0);
  CloseHandle(h);
  EXPECT_FALSE(CopyFileA("C:\\src.dll", "C:\\dst.dll", TRUE));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
  EXPECT_FALSE(CopyFileW(u"C:\\src.dll", u"C:\\dst.dll", FALSE));  // the copy is read-only
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(CopyFileW(u"C:\\none.dll", u"C:\\x.dll", FALSE));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

std::vector<std::string> FindAll(const char16_t* pattern, DWORD* error = nullptr) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(pattern, &d);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return names;
  }
  do names.push_back(kw::Narrow(d.cFileName));
  while (FindNextFileW(h, &d));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(h));
  return names;
}

TEST_F(Files, FindMatchesWindowsWildcardsIgnoringCase) {
  for (const char* f : {"Dir/a.txt", "Dir/AB.TXT", "Dir/b.ini", "Dir/readme", "Dir/c.tar.gz", "Dir/Sub/x.txt"})
    Put(f, "12345");
  using V = std::vector<std::string>;
  struct Case { const char16_t* pattern; V names; };
  const Case cases[] = {
      {u"C:\\dir\\*", {".", "..", "a.txt", "AB.TXT", "b.ini", "c.tar.gz", "readme", "Sub"}},
      {u"C:\\dir\\*.*", {".", "..", "a.txt", "AB.TXT", "b.ini", "c.tar.gz", "readme", "Sub"}},
      {u"C:\\DIR\\*.TxT", {"a.txt", "AB.TXT"}},
      {u"C:\\dir\\?.txt", {"a.txt"}},
      {u"C:\\dir\\a?.txt", {"a.txt", "AB.TXT"}},
      {u"C:\\dir\\*.", {".", "..", "readme", "Sub"}},
      {u"C:\\dir\\*.gz", {"c.tar.gz"}},
      {u"C:\\dir\\B.INI", {"b.ini"}},
      {u"C:\\dir/sub/*", {".", "..", "x.txt"}},
  };
  for (const Case& c : cases) EXPECT_EQ(FindAll(c.pattern), c.names) << kw::Narrow(c.pattern);
  DWORD err = 0;
  EXPECT_TRUE(FindAll(u"C:\\dir\\*.doc", &err).empty());
  EXPECT_EQ(err, DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(FindAll(u"C:\\nodir\\*", &err).empty());
  EXPECT_EQ(err, DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(FindAll(u"C:\\*"), V{"Dir"});  // a drive root lists no dot entries

  WIN32_FIND_DATAA a;
  HANDLE h = FindFirstFileA("C:\\dir\\*.ini", &a);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(a.cFileName, "b.ini");
  EXPECT_EQ(a.nFileSizeLow, 5u);
  EXPECT_EQ(a.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_FALSE(FindNextFileA(h, &a));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_TRUE(FindClose(h));
  EXPECT_FALSE(FindClose(h));
}

TEST_F(Files, CurrentTemporaryAndFullPathNames) {
  fs::create_directories(Host("Work/Sub"));
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\work"));
  WCHAR buf[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryW(0, nullptr), 8u);  // "C:\work" and its terminator
  EXPECT_EQ(GetCurrentDirectoryW(7, buf), 8u);
  EXPECT_EQ(GetCurrentDirectoryW(8, buf), 7u);
  EXPECT_EQ(std::u16string(buf), u"C:\\work");  // the spelling given, as Windows keeps it
  char abuf[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, abuf), 7u);
  EXPECT_FALSE(SetCurrentDirectoryA("C:\\work\\none"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  Put("Work/f.txt", "");
  EXPECT_FALSE(SetCurrentDirectoryW(u"f.txt"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DIRECTORY));

  struct Case { const char16_t* in; const char16_t* full; const char16_t* file; };
  const Case cases[] = {
      {u"sub\\x.ini", u"C:\\work\\sub\\x.ini", u"x.ini"},
      {u"..\\a/b\\.\\c", u"C:\\a\\b\\c", u"c"},
      {u"\\top", u"C:\\top", u"top"},
      {u"d:rel", u"D:\\rel", u"rel"},
      {u"c:rel", u"C:\\work\\rel", u"rel"},
      {u"C:\\..\\..\\x", u"C:\\x", u"x"},
      {u"C:\\dir\\", u"C:\\dir\\", nullptr},
      {u"\\\\srv\\share\\p\\..\\q", u"\\\\srv\\share\\q", u"q"},
  };
  for (const Case& c : cases) {
    LPWSTR file = nullptr;
    DWORD n = GetFullPathNameW(c.in, MAX_PATH, buf, &file);
    EXPECT_EQ(std::u16string(buf), c.full) << kw::Narrow(c.in);
    EXPECT_EQ(n, std::u16string(c.full).size());
    EXPECT_EQ(std::u16string(file ? file : u""), std::u16string(c.file ? c.file : u""));
  }
  EXPECT_EQ(GetFullPathNameW(u"x", 3, buf, nullptr), 10u);  // "C:\work\x" and its terminator

  DWORD len = GetTempPathW(MAX_PATH, buf);
  EXPECT_EQ(std::u16string(buf), u"C:\\Windows\\Temp\\");
  EXPECT_EQ(len, 16u);
  EXPECT_EQ(GetFileAttributesW(buf), FILE_ATTRIBUTE_DIRECTORY);
  WCHAR tmp[MAX_PATH];
  UINT u = GetTempFileNameW(buf, u"kadu", 0, tmp);
  EXPECT_NE(u, 0u);
  EXPECT_EQ(std::u16string(tmp).substr(0, 19), u"C:\\Windows\\Temp\\kad");
  EXPECT_NE(GetFileAttributesW(tmp), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetTempFileNameW(u"C:\\Work", u"ab", 0x1F, tmp), 0x1Fu);
  EXPECT_EQ(std::u16string(tmp), u"C:\\Work\\ab001F.TMP");
  EXPECT_EQ(GetTempFileNameW(u"C:\\nope", u"ab", 0, tmp), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DIRECTORY));
}

TEST_F(Files, InjectedOpenFailures) {
  Put("a.txt", "a");
  kw::hooks::FileFailOpenAt(2);
  HANDLE first = Open(u"C:\\a.txt", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(u"C:\\a.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  HANDLE third = Open(u"C:\\a.txt", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(third, INVALID_HANDLE_VALUE);
  CloseHandle(first);
  CloseHandle(third);
  kw::hooks::FileFailOpenMatching(u"C:\\*\\*.ini", ERROR_SHARING_VIOLATION);
  Put("d/kadu.ini", "");
  EXPECT_EQ(Open(u"c:/D/KADU.INI", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  HANDLE other = Open(u"C:\\a.txt", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(other, INVALID_HANDLE_VALUE);
  CloseHandle(other);
}

TEST_F(Files, FullDiskStoresWhatFitsAndFailsTheRest) {
  HANDLE h = Open(u"C:\\big.bin", GENERIC_WRITE, CREATE_ALWAYS);
  kw::hooks::FileDiskFullAfter(6);
  DWORD n = 99;
  EXPECT_TRUE(WriteFile(h, "abcd", 4, &n, nullptr));
  EXPECT_FALSE(WriteFile(h, "efgh", 4, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
  EXPECT_EQ(n, 2u);
  EXPECT_FALSE(WriteFile(h, "i", 1, &n, nullptr));
  EXPECT_EQ(n, 0u);
  CloseHandle(h);
  EXPECT_EQ(Get("big.bin"), "abcdef");
  EXPECT_FALSE(CopyFileW(u"C:\\big.bin", u"C:\\copy.bin", FALSE));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
  EXPECT_FALSE(Exists("copy.bin"));
  kw::hooks::FileDiskFullAfter(UINT64_MAX);
  EXPECT_TRUE(CopyFileW(u"C:\\big.bin", u"C:\\copy.bin", FALSE));
}

TEST_F(Files, DeleteOnCloseAndHandleKinds) {
  HANDLE h = Open(u"C:\\scratch.tmp", GENERIC_READ | GENERIC_WRITE, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(kw::hooks::FileLiveHandles(), live_ + 1);
  EXPECT_TRUE(Exists("scratch.tmp"));
  EXPECT_FALSE(FindClose(h));  // not a find handle
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  CloseHandle(h);
  EXPECT_FALSE(Exists("scratch.tmp"));
}

}  // namespace
