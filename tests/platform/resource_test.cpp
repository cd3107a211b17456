#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kw/hooks_resource.h"
#include "kw/pe_resources.h"
#include "kw/wide.h"
#include "tests/platform/fixtures/resources.h"
#include "tests/support/pe_builder.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

using kadu_test::BuildPeFile;
using kadu_test::BuildResourceSection;
using kadu_test::PeKey;
using kadu_test::PeResourceSpec;
using kadu_test::WorldFixture;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> v) { return std::vector<uint8_t>(v.begin(), v.end()); }

std::vector<uint8_t> DataOf(HMODULE m, HRSRC r) {
  auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(m, r)));
  DWORD n = SizeofResource(m, r);
  return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
}

std::u16string LoadStr(HMODULE m, UINT id, int max = 256) {
  std::vector<WCHAR> buf(size_t(max) + 1, u'?');
  int n = LoadStringW(m, id, buf.data(), max);
  return std::u16string(buf.data(), size_t(n));
}

// A name argument that is either an integer resource or a string.
LPCWSTR Arg(const PeKey& k) { return k.name.empty() ? MAKEINTRESOURCEW(k.id) : k.name.c_str(); }

}  // namespace

// The module built from fixtures/resources.rc by windres, next to the test program.
class ResourceModule : public WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::ResourceSetUiLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    module_ = LoadLibraryExW(u"KWTESTRES.DLL", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << GetLastError();
  }
  void TearDown() override {
    kw::hooks::ResourceSetUiLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (module_) {
      EXPECT_TRUE(FreeLibrary(module_));
    }
    WorldFixture::TearDown();
  }
  HMODULE module_ = nullptr;
};

TEST_F(ResourceModule, DataFileHandlesAreTaggedAndHaveNoCode) {
  EXPECT_EQ(reinterpret_cast<uintptr_t>(module_) & 3, 1u);
  HMODULE image = LoadLibraryExW(u"KWTESTRES.DLL", nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(image) & 3, 2u);
  HMODULE exclusive = LoadLibraryExW(u"kwtestres", nullptr, LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE);
  ASSERT_NE(exclusive, nullptr);
  EXPECT_NE(exclusive, module_);  // each data load is its own image

  WCHAR path[MAX_PATH];
  DWORD n = GetModuleFileNameW(image, path, MAX_PATH);
  ASSERT_GT(n, 0u);
  std::u16string full(path, n);
  EXPECT_EQ(full.substr(full.rfind(u'\\') + 1), u"KWTESTRES.DLL");
  EXPECT_EQ(GetProcAddress(image, "DllMain"), nullptr);
  EXPECT_EQ(LoadLibraryW(u"KWTESTRES.DLL"), nullptr);  // a PE file is no code module here
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_EXE_FORMAT));
  EXPECT_TRUE(FreeLibrary(image));
  EXPECT_TRUE(FreeLibrary(exclusive));
  EXPECT_FALSE(FreeLibrary(exclusive));
}

TEST_F(ResourceModule, LookupsByIdNameTypeAndLanguage) {
  struct Case {
    const char* what;
    LPCWSTR type;
    LPCWSTR name;
    std::vector<uint8_t> data;  // empty: expect `error`
    DWORD error;
  } cases[] = {
      {"named RCDATA", RT_RCDATA, u"LOGO", Bytes({'a', 'b', 'c', 0, 0x34, 0x12}), 0},
      {"name ignores case", RT_RCDATA, u"logo", Bytes({'a', 'b', 'c', 0, 0x34, 0x12}), 0},
      {"integer user type", MAKEINTRESOURCEW(RT_USER_TYPE), MAKEINTRESOURCEW(IDR_USERDATA),
       Bytes({'u', 's', 'e', 'r', ' ', 't', 'y', 'p', 'e', ' ', 'd', 'a', 't', 'a'}), 0},
      {"#number names", u"#300", u"#7", Bytes({'u', 's', 'e', 'r', ' ', 't', 'y', 'p', 'e', ' ', 'd', 'a', 't', 'a'}), 0},
      {"named user type", u"glyphset", u"Glyphs", Bytes({1, 0, 2, 0, 3, 0}), 0},
      {"missing name", RT_RCDATA, u"NOPE", {}, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"missing id", RT_RCDATA, MAKEINTRESOURCEW(99), {}, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"missing type", MAKEINTRESOURCEW(999), MAKEINTRESOURCEW(1), {}, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"missing named type", u"NOTYPE", u"LOGO", {}, ERROR_RESOURCE_TYPE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    HRSRC r = FindResourceW(module_, c.name, c.type);
    if (c.data.empty()) {
      EXPECT_EQ(r, nullptr) << c.what;
      EXPECT_EQ(GetLastError(), c.error) << c.what;
    } else {
      ASSERT_NE(r, nullptr) << c.what << " error " << GetLastError();
      EXPECT_EQ(DataOf(module_, r), c.data) << c.what;
    }
  }
}

TEST_F(ResourceModule, LanguagesExactAndByPreference) {
  auto blockText = [&](HRSRC r) {
    auto data = DataOf(module_, r);  // entry 1 of block 1 follows the empty entry 0
    std::u16string s;
    for (size_t i = 4; i + 1 < data.size() && data[i] != '('; i += 2) s.push_back(char16_t(data[i] | data[i + 1] << 8));
    return s;
  };
  HRSRC en = FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  HRSRC ja = FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(1), 0x0411);
  HRSRC neutral = FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(1), 0);
  ASSERT_NE(en, nullptr);
  ASSERT_NE(ja, nullptr);
  EXPECT_EQ(neutral, en);  // language 0: the preferred UI language first
  EXPECT_EQ(blockText(en), u"One ");
  EXPECT_EQ(blockText(ja), u"\u4E00 ");
  EXPECT_EQ(FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(1), 0x0407), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_LANG_NOT_FOUND));

  // The language is chosen per string table block, as on Windows: the
  // Japanese block lacks IDS_TWO, so there is no IDS_TWO in Japanese.
  struct Pref {
    LANGID ui;
    const char16_t* one;
    const char16_t* two;
  } prefs[] = {{0x0409, u"One (English)", u"Two (English)"},
               {0x0411, u"\u4E00 (Japanese)", u""},
               {0x0407, u"One", u"Two"},
               {0x0809, u"One", u"Two"}};
  for (const Pref& p : prefs) {
    kw::hooks::ResourceSetUiLanguage(p.ui);
    EXPECT_EQ(LoadStr(module_, IDS_ONE), p.one) << std::hex << p.ui;
    EXPECT_EQ(LoadStr(module_, IDS_TWO), p.two) << std::hex << p.ui;
  }
}

TEST_F(ResourceModule, StringTables) {
  EXPECT_EQ(LoadStr(module_, IDS_FIFTEEN), u"Fifteen (English)");  // last of block 1
  EXPECT_EQ(LoadStr(module_, IDS_SIXTEEN), u"Sixteen");  // first of block 2
  EXPECT_EQ(LoadStr(module_, IDS_LONG), u"A longer string for truncation");
  EXPECT_EQ(LoadStr(module_, IDS_LONG, 5), u"A lo");

  WCHAR buf[8] = {u'x'};
  EXPECT_EQ(LoadStringW(module_, IDS_LONG, buf, 5), 4);
  EXPECT_EQ(buf[4], 0);
  const WCHAR* direct = nullptr;
  EXPECT_EQ(LoadStringW(module_, IDS_LONG, reinterpret_cast<LPWSTR>(&direct), 0), 30);
  ASSERT_NE(direct, nullptr);
  EXPECT_EQ(std::u16string(direct, 30), u"A longer string for truncation");

  buf[0] = u'x';
  EXPECT_EQ(LoadStringW(module_, IDS_EMPTY, buf, 8), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(LoadStringW(module_, 3, buf, 8), 0);  // an unused entry of a block that exists
  SetLastError(0);
  EXPECT_EQ(LoadStringW(module_, 1000, buf, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));

  char ansi[6];
  EXPECT_EQ(LoadStringA(module_, IDS_ONE, ansi, sizeof ansi), 5);
  EXPECT_STREQ(ansi, "One (");
}

TEST_F(ResourceModule, HandlesOfOtherModulesAreRefused) {
  HMODULE other = LoadLibraryExW(u"KWTESTRES.DLL", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(other, nullptr);
  HRSRC r = FindResourceW(other, u"LOGO", RT_RCDATA);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(LoadResource(module_, r), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SizeofResource(module_, r), 0u);
  EXPECT_EQ(LoadResource(module_, nullptr), nullptr);
  EXPECT_FALSE(FreeResource(LoadResource(other, r)));
  EXPECT_TRUE(FreeLibrary(other));

  // Code modules and the program carry no resource image unless built with one.
  SetLastError(0);
  EXPECT_EQ(FindResourceW(nullptr, u"LOGO", RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(ResourceModule, Enumeration) {
  struct Seen {
    std::vector<std::u16string> items;
    size_t stopAfter = 100;
    static std::u16string Text(LPCWSTR n) {
      return IS_INTRESOURCE(n) ? u"#" + kw::Widen(std::to_string(uintptr_t(n))) : std::u16string(n);
    }
  };
  Seen types;
  EXPECT_TRUE(EnumResourceTypesW(
      module_,
      [](HMODULE, LPWSTR type, LONG_PTR p) -> BOOL {
        reinterpret_cast<Seen*>(p)->items.push_back(Seen::Text(type));
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&types)));
  EXPECT_EQ(types.items, (std::vector<std::u16string>{u"GLYPHSET", u"#6", u"#10", u"#300"}));

  Seen names;
  EXPECT_TRUE(EnumResourceNamesW(
      module_, RT_STRING,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR p) -> BOOL {
        reinterpret_cast<Seen*>(p)->items.push_back(Seen::Text(name));
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&names)));
  EXPECT_EQ(names.items, (std::vector<std::u16string>{u"#1", u"#2", u"#3"}));

  Seen langs;
  langs.stopAfter = 2;
  EXPECT_FALSE(EnumResourceLanguagesW(
      module_, RT_STRING, MAKEINTRESOURCEW(1),
      [](HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR p) -> BOOL {
        auto* s = reinterpret_cast<Seen*>(p);
        s->items.push_back(kw::Widen(std::to_string(lang)));
        return s->items.size() < s->stopAfter;
      },
      reinterpret_cast<LONG_PTR>(&langs)));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_ENUM_USER_STOP));
  EXPECT_EQ(langs.items, (std::vector<std::u16string>{u"0", u"1033"}));

  EXPECT_FALSE(EnumResourceNamesW(module_, MAKEINTRESOURCEW(999), [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR) -> BOOL { return TRUE; }, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

// ---- files made by the test's own PE writer ------------------------------------------

class BuiltPe : public WorldFixture {
 protected:
  HMODULE LoadBytes(const std::vector<uint8_t>& bytes, const char* name = "built.dll") {
    std::ofstream(world_ + "/C/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                 std::streamsize(bytes.size()));
    return LoadLibraryExW((u"C:\\" + kw::Widen(name)).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }

  static std::vector<PeResourceSpec> Sample() {
    return {
        {PeKey{10, {}}, PeKey{0, u"FIRST"}, 0, Bytes({1, 2, 3})},
        {PeKey{10, {}}, PeKey{5, {}}, 0x0409, Bytes({4})},
        {PeKey{10, {}}, PeKey{5, {}}, 0x0411, Bytes({5, 5})},
        {PeKey{0, u"MINE"}, PeKey{1, {}}, 0, Bytes({})},
    };
  }
};

TEST_F(BuiltPe, Pe32AndPe32PlusReadAlike) {
  for (bool plus : {false, true}) {
    HMODULE m = LoadBytes(BuildPeFile(BuildResourceSection(Sample()), plus));
    ASSERT_NE(m, nullptr) << "pe32plus " << plus << " error " << GetLastError();
    for (const PeResourceSpec& s : Sample()) {
      HRSRC r = FindResourceExW(m, Arg(s.type), Arg(s.name), s.language);
      ASSERT_NE(r, nullptr) << "pe32plus " << plus;
      EXPECT_EQ(DataOf(m, r), s.data);
    }
    EXPECT_TRUE(FreeLibrary(m));
  }
}

TEST_F(BuiltPe, NotPeFilesFailAndBrokenTreesLoseOnlyTheirBrokenParts) {
  std::vector<uint8_t> good = BuildPeFile(BuildResourceSection(Sample()), false);
  // Headers cut or wrong: no module at all.
  struct HeaderCase {
    const char* what;
    std::vector<uint8_t> bytes;
  } bad[] = {
      {"MZ only", Bytes({'M', 'Z'})},
      {"cut in the COFF header", std::vector<uint8_t>(good.begin(), good.begin() + 0x50)},
      {"cut in the section table", std::vector<uint8_t>(good.begin(), good.begin() + 0x150)},
  };
  for (auto& c : bad) {
    EXPECT_EQ(LoadBytes(c.bytes), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_EXE_FORMAT)) << c.what;
  }
  auto patched = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> b = good;
    kadu_test::PutLe32(&b, at, v);
    return b;
  };
  EXPECT_EQ(LoadBytes(patched(0x3C, 0x7FFFFFF0)), nullptr);  // PE header beyond the file
  EXPECT_EQ(LoadBytes(patched(0x40, 0)), nullptr);           // no "PE" signature

  // Resource directory layout of Sample(): root, two type directories (MINE
  // named first), then name directories; see BuildResourceSection.
  const size_t rsrc = kadu_test::kPeBuilderRsrcFileOffset;
  struct TreeCase {
    const char* what;
    std::vector<uint8_t> bytes;
  } trees[] = {
      {"root entry points at the root (a loop)", patched(rsrc + 16 + 4, 0x80000000u)},
      {"huge entry counts", patched(rsrc + 12, 0xFFFFFFFFu)},
      {"name string beyond the section", patched(rsrc + 16, 0x8000FFF0u)},
      {"cut inside the resource data", std::vector<uint8_t>(good.begin(), good.begin() + long(rsrc) + 200)},
      {"resource directory outside every section", patched(0x40 + 4 + 20 + 96 + 16, 0x9000)},
  };
  for (auto& c : trees) {
    HMODULE m = LoadBytes(c.bytes);
    ASSERT_NE(m, nullptr) << c.what;  // the headers are fine: the module loads
    for (const PeResourceSpec& s : Sample()) {
      HRSRC r = FindResourceExW(m, Arg(s.type), Arg(s.name), s.language);
      if (r) {
        EXPECT_EQ(DataOf(m, r), s.data) << c.what;  // what is found is right
      }
    }
    EXPECT_TRUE(FreeLibrary(m));
  }
}

TEST(PeReader, EveryDamagedByteKeepsResultsInsideTheFile) {
  std::vector<uint8_t> good = BuildPeFile(BuildResourceSection({
                                              {PeKey{6, {}}, PeKey{1, {}}, 0, Bytes({0, 0, 3, 0, 'a', 0, 'b', 0, 'c', 0})},
                                              {PeKey{0, u"T"}, PeKey{0, u"N"}, 7, Bytes({9, 9, 9, 9})},
                                          }),
                                          true);
  size_t checked = 0;
  for (size_t at = 0; at < good.size(); ++at) {
    for (uint8_t v : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0x80), uint8_t(0xFF)}) {
      std::vector<uint8_t> b = good;
      b[at] = v;
      kw::PeResourceTable table;
      DWORD error = 0;
      if (!kw::PeReadResources(b.data(), b.size(), &table, &error)) {
        EXPECT_EQ(error, DWORD(ERROR_BAD_EXE_FORMAT));
        continue;
      }
      for (const kw::PeResource& r : table.items) {
        ASSERT_LE(uint64_t(r.fileOffset) + r.size, b.size()) << "byte " << at << " = " << int(v);
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 0u);
}

TEST_F(ResourceModule, CodeModuleWithEmbeddedResources) {
  HMODULE code = LoadLibraryW(u"KWTESTEMB.DLL");
  ASSERT_NE(code, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(code) & 3, 0u);
  EXPECT_NE(GetProcAddress(code, "KwEmbeddedValue"), nullptr);
  HRSRC r = FindResourceW(code, u"LOGO", RT_RCDATA);
  ASSERT_NE(r, nullptr) << GetLastError();
  EXPECT_EQ(DataOf(code, r), Bytes({'a', 'b', 'c', 0, 0x34, 0x12}));
  EXPECT_EQ(LoadStr(code, IDS_TWO), u"Two (English)");
  EXPECT_TRUE(FreeLibrary(code));
}
