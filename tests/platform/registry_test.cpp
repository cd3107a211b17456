#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "kw/hooks_registry.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

using kadu_test::WorldFixture;
using kw::hooks::RegistryCall;

namespace {

class Registry : public WorldFixture {
 protected:
  void TearDown() override {
    kw::hooks::RegistryFailClear();
    kw::SetAnsiCodePage(1252);
    EXPECT_EQ(kw::hooks::RegistryOpenKeyCount(), open_before_);
    WorldFixture::TearDown();
  }
  void SetUp() override {
    WorldFixture::SetUp();
    open_before_ = kw::hooks::RegistryOpenKeyCount();
  }
  HKEY Create(HKEY root, const char16_t* path, DWORD* disp = nullptr) {
    HKEY k = nullptr;
    EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, disp), ERROR_SUCCESS);
    return k;
  }
  size_t open_before_ = 0;
};

std::vector<uint8_t> Bytes(const void* p, size_t n) {
  auto b = static_cast<const uint8_t*>(p);
  return std::vector<uint8_t>(b, b + n);
}

std::vector<uint8_t> WideBytes(std::u16string_view s) { return Bytes(s.data(), s.size() * 2); }

// Reads a value with the two-call protocol.
LONG Read(HKEY k, const char16_t* name, DWORD* type, std::vector<uint8_t>* out) {
  DWORD size = 0;
  LONG e = RegQueryValueExW(k, name, nullptr, type, nullptr, &size);
  if (e != ERROR_SUCCESS) return e;
  out->resize(size);
  e = RegQueryValueExW(k, name, nullptr, type, out->data(), &size);
  out->resize(size);
  return e;
}

struct TypedValue {
  const char16_t* name;
  DWORD type;
  std::vector<uint8_t> data;
};

std::vector<TypedValue> EveryType() {
  uint32_t dw = 0x12345678;
  uint64_t qw = 0x0102030405060708ull;
  return {
      {u"Text", REG_SZ, WideBytes(std::u16string_view(u"C:\\Windows \"quoted\"\0", 21))},
      {u"", REG_SZ, WideBytes(std::u16string_view(u"default\0", 8))},
      {u"Path", REG_EXPAND_SZ, WideBytes(std::u16string_view(u"%SystemRoot%\\x\0", 15))},
      {u"List", REG_MULTI_SZ, WideBytes(std::u16string_view(u"one\0two\0\0", 9))},
      {u"Count", REG_DWORD, Bytes(&dw, 4)},
      {u"Big", REG_QWORD, Bytes(&qw, 8)},
      {u"Blob", REG_BINARY, {0x00, 0xFF, 0x10}},
      {u"Empty blob", REG_BINARY, {}},
      // Data without a readable form must survive as it is.
      {u"Odd text", REG_SZ, {0x41, 0x00, 0x42}},
      {u"Unended", REG_SZ, WideBytes(u"abc")},
      {u"Controls\n\"x\"", REG_SZ, WideBytes(std::u16string_view(u"line\r\n\ttab\xD800 lone\0", 17))},
      {u"Short dword", REG_DWORD, {1, 2}},
      {u"Custom", 0x1234, {9, 8, 7}},
      {u"Empty list", REG_MULTI_SZ, WideBytes(std::u16string_view(u"\0", 1))},
  };
}

TEST_F(Registry, EveryTypeRoundTripsInMemoryAndThroughTheFile) {
  HKEY k = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Halvorn\\Test");
  for (const auto& v : EveryType())
    ASSERT_EQ(RegSetValueExW(k, v.name, 0, v.type, v.data.data(), DWORD(v.data.size())), ERROR_SUCCESS);
  RegCloseKey(k);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass ? "after reload" : "in memory");
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"software\\HALVORN\\test", 0, KEY_READ, &k), ERROR_SUCCESS);
    for (const auto& v : EveryType()) {
      SCOPED_TRACE(kw::Narrow(v.name));
      DWORD type = 0;
      std::vector<uint8_t> got;
      ASSERT_EQ(Read(k, v.name, &type, &got), ERROR_SUCCESS);
      EXPECT_EQ(type, v.type);
      EXPECT_EQ(got, v.data);
    }
    RegCloseKey(k);
    kw::hooks::RegistryReload();
  }
}

TEST_F(Registry, QueryFollowsTheTwoCallProtocol) {
  HKEY k = Create(HKEY_CURRENT_USER, u"Software\\Halvorn\\LPT1");
  const char16_t text[] = u"hello";
  ASSERT_EQ(RegSetValueExW(k, u"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(k, u"NAME", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof text);
  EXPECT_EQ(type, DWORD(REG_SZ));
  BYTE small[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(k, u"name", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof text);
  EXPECT_EQ(small[0], 0xAA);  // nothing written on ERROR_MORE_DATA
  EXPECT_EQ(RegQueryValueExW(k, u"name", nullptr, nullptr, small, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExW(k, u"name", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(k, u"missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(k);
}

TEST_F(Registry, NamesIgnoreCaseAndCreateReportsItsDisposition) {
  DWORD disp = 0;
  HKEY a = Create(HKEY_LOCAL_MACHINE, u"Software\\Halvorn\\TOVRIN\\0.0", &disp);
  EXPECT_EQ(disp, DWORD(REG_CREATED_NEW_KEY));
  HKEY b = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\halvorn\\tovrin\\0.0\\", &disp);
  EXPECT_EQ(disp, DWORD(REG_OPENED_EXISTING_KEY));
  DWORD one = 1, two = 2;
  RegSetValueExW(a, u"LanguageID", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  RegSetValueExW(b, u"LANGUAGEID", 0, REG_DWORD, reinterpret_cast<BYTE*>(&two), 4);
  DWORD values = 0, got = 0, size = 4;
  EXPECT_EQ(RegQueryInfoKeyW(a, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(RegQueryValueExW(a, u"languageid", nullptr, nullptr, reinterpret_cast<BYTE*>(&got), &size), ERROR_SUCCESS);
  EXPECT_EQ(got, 2u);
  HKEY c = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Halvorn\\Missing", 0, KEY_READ, &c), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(c, nullptr);
  RegCloseKey(a);
  RegCloseKey(b);
}

TEST_F(Registry, EnumeratesKeysSortedAndValuesInCreationOrder) {
  HKEY k = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Enum");
  for (const char16_t* sub : {u"beta", u"Alpha", u"gamma"}) RegCloseKey(Create(k, sub));
  DWORD v = 0;
  for (const char16_t* name : {u"z", u"A", u"m"}) RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
  std::vector<std::u16string> keys, values;
  char16_t name[64];
  for (DWORD i = 0;; ++i) {
    DWORD n = 64;
    LONG e = RegEnumKeyExW(k, i, name, &n, nullptr, nullptr, nullptr, nullptr);
    if (e == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(e, ERROR_SUCCESS);
    EXPECT_EQ(n, std::u16string(name).size());
    keys.push_back(name);
  }
  for (DWORD i = 0;; ++i) {
    DWORD n = 64;
    LONG e = RegEnumValueW(k, i, name, &n, nullptr, nullptr, nullptr, nullptr);
    if (e == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(e, ERROR_SUCCESS);
    values.push_back(name);
  }
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"Alpha", u"beta", u"gamma"}));
  EXPECT_EQ(values, (std::vector<std::u16string>{u"z", u"A", u"m"}));
  DWORD n = 3;  // "Alpha" needs 6 with its terminator
  EXPECT_EQ(RegEnumKeyExW(k, 0, name, &n, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  DWORD subKeys = 0, maxSub = 0, count = 0, maxName = 0, maxData = 0;
  EXPECT_EQ(RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, &subKeys, &maxSub, nullptr, &count, &maxName, &maxData,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 3u);
  EXPECT_EQ(maxSub, 5u);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(maxName, 1u);
  EXPECT_EQ(maxData, 4u);
  RegCloseKey(k);
}

TEST_F(Registry, DeletesOnlyLeafKeysAndOpenHandlesSeeTheDeletion) {
  HKEY parent = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Del");
  HKEY leaf = Create(parent, u"Leaf\\Deeper");
  EXPECT_EQ(RegDeleteKeyW(parent, u"Leaf"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(parent, u"leaf\\DEEPER"), ERROR_SUCCESS);
  DWORD v = 1;
  EXPECT_EQ(RegSetValueExW(leaf, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyW(parent, u"Leaf"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(parent, u"Leaf"), ERROR_FILE_NOT_FOUND);
  RegSetValueExW(parent, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
  EXPECT_EQ(RegDeleteValueW(parent, u"X"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(parent, u"X"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(leaf), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(leaf), ERROR_INVALID_HANDLE);
  RegCloseKey(parent);
  kw::hooks::RegistryReload();
  HKEY k;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Del\\Leaf", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, HandlesKeepTheirAccessRights) {
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Rights"));
  HKEY ro = nullptr, wo = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Rights", 0, KEY_READ, &ro), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Rights", 0, KEY_SET_VALUE, &wo), ERROR_SUCCESS);
  DWORD v = 1, size = 4;
  EXPECT_EQ(RegSetValueExW(ro, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExW(wo, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(wo, u"x", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegQueryValueExW(ro, u"x", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size), ERROR_SUCCESS);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExW(ro, u"New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
  HKEY generic = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Rights", 0, GENERIC_READ, &generic), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(generic, u"x", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size), ERROR_SUCCESS);
  RegCloseKey(generic);
  RegCloseKey(ro);
  RegCloseKey(wo);
}

TEST_F(Registry, CurrentUserAndClassesRootAreViewsOfTheStoredHives) {
  HKEY k = Create(HKEY_CURRENT_USER, u"Software\\Halvorn\\COM1");
  DWORD day = 2026129;
  RegSetValueExW(k, u"ValueDay", 0, REG_DWORD, reinterpret_cast<BYTE*>(&day), 4);
  RegCloseKey(k);
  ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, u"S-1-5-21-1001-1002-1003-1000\\Software\\Halvorn\\COM1", 0, KEY_READ, &k),
            ERROR_SUCCESS);
  RegCloseKey(k);
  RegCloseKey(Create(HKEY_CLASSES_ROOT, u".kadu"));
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Classes\\.KADU", 0, KEY_READ, &k), ERROR_SUCCESS);
  RegCloseKey(k);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(Registry, PersistsInTheWorldAndFollowsTheWorldRoot) {
  HKEY k = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Persist");
  DWORD v = 7;
  RegSetValueExW(k, u"Seven", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
  HKEY vol = nullptr;
  ASSERT_EQ(RegCreateKeyExW(k, u"Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &vol, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(vol, u"Gone", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
  RegCloseKey(vol);
  RegCloseKey(k);

  std::string file = kw::hooks::RegistryFilePath();
  EXPECT_EQ(file, world_ + "/registry.txt");
  std::ifstream in(file);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Persist]\n\"Seven\"=dword:00000007\n"), std::string::npos);
  EXPECT_EQ(text.find("Volatile"), std::string::npos);
  EXPECT_NE(kw::hooks::RegistryDump().find("\\Volatile] volatile"), std::string::npos);
  for (auto& e : std::filesystem::directory_iterator(world_))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();

  // Another world has its own registry; coming back finds the first again,
  // without the volatile key (as after a restart).
  std::string other = world_ + "-other";
  kw::WorldSetRoot(other);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Persist", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
  kw::WorldSetRoot(world_);
  std::filesystem::remove_all(other);
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Persist", 0, KEY_READ, &k), ERROR_SUCCESS);
  DWORD size = 4;
  v = 0;
  EXPECT_EQ(RegQueryValueExW(k, u"seven", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size), ERROR_SUCCESS);
  EXPECT_EQ(v, 7u);
  EXPECT_EQ(RegOpenKeyExW(k, u"Volatile", 0, KEY_READ, &vol), ERROR_FILE_NOT_FOUND);
  RegCloseKey(k);
}

TEST_F(Registry, UnreadableLinesOfTheFileAreSkipped) {
  std::ofstream(world_ + "/registry.txt") << "KADU registry 1\n"
                                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ok%0025]\n"
                                             "\"good\"=dword:0000002a\n"
                                             "\"bad\"=dword:xyz\n"
                                             "\"unterminated=sz:\"a\n"
                                             "garbage line\n"
                                             "[HKEY_NOWHERE\\X]\n"
                                             "\"lost\"=dword:00000001\n"
                                             "[HKEY_USERS\\S]\r\n"
                                             "@=sz:\"d\\x0009\"\r\n";
  kw::hooks::RegistryReload();
  HKEY k;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ok%", 0, KEY_READ, &k), ERROR_SUCCESS);
  DWORD values = 0;
  RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(values, 1u);
  RegCloseKey(k);
  ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, u"S", 0, KEY_READ, &k), ERROR_SUCCESS);
  std::vector<uint8_t> got;
  DWORD type;
  ASSERT_EQ(Read(k, nullptr, &type, &got), ERROR_SUCCESS);
  EXPECT_EQ(got, WideBytes(std::u16string_view(u"d\t\0", 3)));
  RegCloseKey(k);
}

TEST_F(Registry, AnsiFormsConvertWithTheAnsiCodePage) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Caf\xE9", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr),
            ERROR_SUCCESS);
  const char text[] = "na\xEFve";
  ASSERT_EQ(RegSetValueExA(k, "Word", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  const char multi[] = "a\0\xE9t\xE9\0";  // two strings and the final zero
  ASSERT_EQ(RegSetValueExA(k, "List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi),
            ERROR_SUCCESS);
  std::vector<uint8_t> wide;
  DWORD type;
  ASSERT_EQ(Read(k, u"Word", &type, &wide), ERROR_SUCCESS);
  EXPECT_EQ(wide, WideBytes(std::u16string_view(u"na\u00EFve\0", 6)));
  ASSERT_EQ(Read(k, u"List", &type, &wide), ERROR_SUCCESS);
  EXPECT_EQ(wide, WideBytes(std::u16string_view(u"a\0\u00E9t\u00E9\0\0", 7)));

  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(k, "word", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof text);
  char buf[16];
  size = 3;
  EXPECT_EQ(RegQueryValueExA(k, "word", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_MORE_DATA);
  size = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(k, "word", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_STREQ(buf, text);

  char name[8];
  DWORD n = sizeof name;
  size = sizeof buf;
  EXPECT_EQ(RegEnumValueA(k, 1, name, &n, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_STREQ(name, "List");
  EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
  EXPECT_EQ(std::string(buf, size), std::string(multi, sizeof multi));
  RegCloseKey(k);

  HKEY sw;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software", 0, KEY_READ, &sw), ERROR_SUCCESS);
  bool found = false;
  for (DWORD i = 0;; ++i) {
    n = sizeof name;
    if (RegEnumKeyExA(sw, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    found = found || std::string(name) == "Caf\xE9";
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(RegDeleteKeyA(sw, "CAF\xC9"), ERROR_FILE_NOT_FOUND);  // case folding is ASCII only
  EXPECT_EQ(RegDeleteKeyA(sw, "caf\xE9"), ERROR_SUCCESS);
  RegCloseKey(sw);
}

TEST_F(Registry, AnsiFormsFollowADoubleByteCodePage) {
  kw::SetAnsiCodePage(932);
  HKEY k = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Jp");
  const char text[] = "\x93\xfa\x96\x7b";  // two kanji in code page 932
  ASSERT_EQ(RegSetValueExA(k, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  std::vector<uint8_t> wide;
  DWORD type;
  ASSERT_EQ(Read(k, u"Name", &type, &wide), ERROR_SUCCESS);
  EXPECT_EQ(wide, WideBytes(std::u16string_view(u"\u65E5\u672C\0", 3)));
  char buf[8];
  DWORD size = sizeof buf;
  ASSERT_EQ(RegQueryValueExA(k, "Name", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof text);
  EXPECT_STREQ(buf, text);
  RegCloseKey(k);
}

TEST_F(Registry, InjectedFaultsFailTheChosenCalls) {
  HKEY k = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Faults");
  DWORD v = 1;
  kw::hooks::RegistryFailAt(RegistryCall::Set, 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExW(k, u"a", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(k, u"b", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExW(k, u"c", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_SUCCESS);

  kw::hooks::RegistryFailAt(RegistryCall::Any, 1, ERROR_NOT_ENOUGH_MEMORY, true);
  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_READ, &other), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(RegQueryValueExW(k, u"a", nullptr, nullptr, nullptr, &v), ERROR_NOT_ENOUGH_MEMORY);
  kw::hooks::RegistryFailClear();

  // A failed save keeps the change in memory but not on disk.
  kw::hooks::RegistryFailAt(RegistryCall::Save, 1, ERROR_DISK_FULL, true);
  EXPECT_EQ(RegSetValueExW(k, u"unsaved", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegFlushKey(k), ERROR_DISK_FULL);
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExW(k, u"unsaved", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size), ERROR_SUCCESS);
  kw::hooks::RegistryFailClear();
  RegCloseKey(k);
  kw::hooks::RegistryReload();
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Faults", 0, KEY_READ, &k), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(k, u"unsaved", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(k, u"c", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(k);
}

TEST_F(Registry, ConcurrentWritersLoseNothing) {
  constexpr int kThreads = 4, kValues = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kValues; ++i) {
        HKEY k = nullptr;
        std::u16string path = u"SOFTWARE\\Threads\\T" + kw::Widen(std::to_string(t));
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr))
          return;
        DWORD v = DWORD(i);
        std::u16string name = kw::Widen("v" + std::to_string(i));
        RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
        RegCloseKey(k);
      }
    });
  }
  for (auto& th : threads) th.join();
  kw::hooks::RegistryReload();
  for (int t = 0; t < kThreads; ++t) {
    HKEY k;
    std::u16string path = u"SOFTWARE\\Threads\\T" + kw::Widen(std::to_string(t));
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    EXPECT_EQ(values, DWORD(kValues));
    RegCloseKey(k);
  }
}

}  // namespace
