// The rendering library as the engine sees it: loaded through LoadLibraryW,
// entry points found with GetProcAddress.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "kw/hooks_engine.h"
#include "kw/hooks_eventlog.h"
#include "kw/module.h"
#include "kw/wide.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

using QueryDriverInfoFn = BOOL(APIENTRY*)(DWORD, PVOID, DWORD, PDWORD);
using EnableDriverFn = BOOL(APIENTRY*)(ULONG, ULONG, DRVENABLEDATA*);
using DisableDriverFn = VOID(APIENTRY*)();
using DrawEscapeFn = ULONG(APIENTRY*)(SURFOBJ*, ULONG, CLIPOBJ*, RECTL*, ULONG, PVOID);
using BitBltFn = BOOL(APIENTRY*)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*, POINTL*,
                                 BRUSHOBJ*, POINTL*, ROP4);
using SendPageFn = BOOL(APIENTRY*)(SURFOBJ*);

template <typename F>
F Proc(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(m, name)));
}

// The build folder: given by CTest, else two levels above this program
// (<build>/tests/render/render_tests).
std::string BinaryDir() {
  if (const char* bin = std::getenv("KADU_BINARY_DIR")) return bin;
  return std::filesystem::canonical("/proc/self/exe").parent_path().parent_path().parent_path().string();
}

class DriverModule : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::ModuleAddSearchFolder(BinaryDir() + "/render");
    module_ = LoadLibraryW(u"KADU_UM.DLL");
    ASSERT_NE(module_, nullptr) << GetLastError();
    kw::hooks::EventLogClear();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    WorldFixture::TearDown();
  }
  std::u16string ModulePath() const {
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(module_, path, MAX_PATH);
    return path;
  }
  HMODULE module_ = nullptr;
};

TEST_F(DriverModule, HookTableInTheEnginesOrder) {
  auto enable = Proc<EnableDriverFn>(module_, "DrvEnableDriver");
  ASSERT_NE(enable, nullptr);
  DRVENABLEDATA ded{};
  ASSERT_TRUE(enable(DDI_DRIVER_VERSION_NT5, sizeof(ded), &ded));
  EXPECT_EQ(ded.iDriverVersion, 0x20000u);
  ASSERT_EQ(ded.c, 30u);
  struct Slot {
    ULONG index;
    const char* name;
  };
  const Slot slots[30] = {
      {0, "DrvEnablePDEV"},      {7, "DrvResetPDEV"},          {1, "DrvCompletePDEV"},
      {2, "DrvDisablePDEV"},     {3, "DrvEnableSurface"},      {4, "DrvDisableSurface"},
      {13, "DrvDitherColor"},    {33, "DrvStartPage"},         {35, "DrvStartDoc"},
      {32, "DrvSendPage"},       {34, "DrvEndDoc"},            {57, "DrvStartBanding"},
      {58, "DrvNextBand"},       {18, "DrvBitBlt"},            {20, "DrvStretchBlt"},
      {69, "DrvStretchBltROP"},  {12, "DrvRealizeBrush"},      {19, "DrvCopyBits"},
      {14, "DrvStrokePath"},     {15, "DrvFillPath"},          {16, "DrvStrokeAndFillPath"},
      {23, "DrvTextOut"},        {26, "DrvQueryFont"},         {27, "DrvQueryFontTree"},
      {28, "DrvQueryFontData"},  {24, "DrvEscape"},            {25, "DrvDrawEscape"},
      {17, "DrvPaint"},          {37, "DrvGetGlyphMode"},      {53, "DrvQueryAdvanceWidths"},
  };
  for (ULONG i = 0; i < 30; ++i) {
    SCOPED_TRACE(slots[i].name);
    EXPECT_EQ(ded.pdrvfn[i].iFunc, slots[i].index);
    // Every slot is the library's export of that name.
    FARPROC exported = GetProcAddress(module_, slots[i].name);
    ASSERT_NE(exported, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(ded.pdrvfn[i].pfn), reinterpret_cast<void*>(exported));
  }
}

TEST_F(DriverModule, EnableDriverRefusesOldEnginesAndShortRecords) {
  auto enable = Proc<EnableDriverFn>(module_, "DrvEnableDriver");
  struct Case {
    ULONG version;
    ULONG cj;
    BOOL ok;
  };
  const Case cases[] = {
      {0x10000, sizeof(DRVENABLEDATA), FALSE},
      {0x1FFFF, sizeof(DRVENABLEDATA), FALSE},
      {0x20000, sizeof(DRVENABLEDATA) - 1, FALSE},
      {0x20000, 0, FALSE},
      {0x20000, sizeof(DRVENABLEDATA), TRUE},
      {0x30000, sizeof(DRVENABLEDATA) + 8, TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.version) + "/" + std::to_string(c.cj));
    DRVENABLEDATA ded;
    std::memset(&ded, 0xAB, sizeof(ded));
    DRVENABLEDATA untouched = ded;
    EXPECT_EQ(enable(c.version, c.cj, &ded), c.ok);
    if (!c.ok) EXPECT_EQ(std::memcmp(&ded, &untouched, sizeof(ded)), 0);
    else EXPECT_EQ(ded.c, 30u);
  }
}

TEST_F(DriverModule, EnableDriverFailsWithoutTheAnsiGlyphSet) {
  auto enable = Proc<EnableDriverFn>(module_, "DrvEnableDriver");
  DRVENABLEDATA ded{};
  kw::hooks::EngineFailGlyphSets(true);
  EXPECT_FALSE(enable(DDI_DRIVER_VERSION_NT5, sizeof(ded), &ded));
  kw::hooks::EngineFailGlyphSets(false);
  EXPECT_EQ(ded.c, 30u);  // the table is filled all the same
}

TEST_F(DriverModule, QueryDriverInfoAnswersUserMode) {
  auto query = Proc<QueryDriverInfoFn>(module_, "DrvQueryDriverInfo");
  ASSERT_NE(query, nullptr);
  DWORD needed = 77;
  EXPECT_FALSE(query(DRVQUERY_USERMODE, nullptr, 0, &needed));
  EXPECT_EQ(needed, 4u);
  needed = 77;
  DWORD answer = 0;
  EXPECT_FALSE(query(2, &answer, sizeof(answer), &needed));
  EXPECT_EQ(needed, 77u);
  EXPECT_FALSE(query(DRVQUERY_USERMODE, &answer, 3, &needed));
  EXPECT_EQ(answer, 0u);
  EXPECT_FALSE(query(DRVQUERY_USERMODE, &answer, 4, nullptr));
  EXPECT_TRUE(query(DRVQUERY_USERMODE, &answer, 4, &needed));
  EXPECT_EQ(answer, 1u);
  EXPECT_EQ(needed, 4u);
}

TEST_F(DriverModule, DrawEscapeAnswersOnlyTheQueryForItself) {
  auto drawEscape = Proc<DrawEscapeFn>(module_, "DrvDrawEscape");
  ASSERT_NE(drawEscape, nullptr);
  DWORD eight = QUERYESCSUPPORT, nine = 9;
  struct Case {
    ULONG esc;
    PVOID in;
    ULONG cj;
    ULONG result;
  };
  const Case cases[] = {
      {QUERYESCSUPPORT, &eight, 4, 1}, {QUERYESCSUPPORT, &nine, 4, 0}, {QUERYESCSUPPORT, nullptr, 4, 0},
      {QUERYESCSUPPORT, &eight, 3, 0}, {QUERYESCSUPPORT, &eight, 0, 0}, {7, &eight, 4, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(drawEscape(nullptr, c.esc, nullptr, nullptr, c.cj, c.in), c.result);
}

TEST_F(DriverModule, DisableDriverReleasesAndTheLibraryUnloads) {
  auto enable = Proc<EnableDriverFn>(module_, "DrvEnableDriver");
  auto disable = Proc<DisableDriverFn>(module_, "DrvDisableDriver");
  ASSERT_NE(disable, nullptr);
  DRVENABLEDATA ded{};
  ASSERT_TRUE(enable(DDI_DRIVER_VERSION_NT5, sizeof(ded), &ded));
  disable();
  EXPECT_TRUE(FreeLibrary(module_));
  module_ = nullptr;
}

// A hook given a surface pointer that points nowhere faults inside this
// library: the entry names the library itself.
TEST_F(DriverModule, FaultInsideTheLibraryIsContainedAndReported) {
  auto bitBlt = Proc<BitBltFn>(module_, "DrvBitBlt");
  auto sendPage = Proc<SendPageFn>(module_, "DrvSendPage");
  auto* nowhere = reinterpret_cast<SURFOBJ*>(uintptr_t(0x40));
  EXPECT_FALSE(bitBlt(nowhere, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_FALSE(sendPage(nowhere));
  EXPECT_FALSE(bitBlt(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));

  auto entries = kw::hooks::EventLogEntries();
  ASSERT_EQ(entries.size(), 2u);
  char base[32];
  std::snprintf(base, sizeof(base), "%08llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(module_)));
  const struct {
    WORD category;
    const char* id;
  } expected[] = {{19, " / ID 110"}, {33, " / ID 109"}};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].source, u"KADU_UM");
    EXPECT_EQ(entries[i].category, expected[i].category);
    EXPECT_EQ(entries[i].eventId, EXCEPTION_ACCESS_VIOLATION);
    std::string text = kw::Narrow(entries[i].strings.at(0));
    EXPECT_EQ(text.rfind("CODE 0xC0000005 / DLL " + kw::Narrow(ModulePath()) + " / BASEADDR 0x" + base +
                             " / EXCEPTIONADDR 0x",
                         0),
              0u)
        << text;
    EXPECT_EQ(text.substr(text.size() - std::strlen(expected[i].id)), expected[i].id);
  }

  // The library goes on working.
  auto query = Proc<QueryDriverInfoFn>(module_, "DrvQueryDriverInfo");
  DWORD answer = 0, needed = 0;
  EXPECT_TRUE(query(DRVQUERY_USERMODE, &answer, 4, &needed));
}

}  // namespace
