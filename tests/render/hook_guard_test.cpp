// Real faults inside guarded hooks, raised in an engine service the body
// calls: each becomes a failed call and one event entry naming the layer
// library, whose code faulted.
#include <gtest/gtest.h>
#include <dlfcn.h>

#include <functional>
#include <string>
#include <type_traits>

#include "common/exception_report.h"
#include "kw/hooks_engine.h"
#include "kw/hooks_eventlog.h"
#include "kw/wide.h"
#include "render/core/ddi_hooks.h"
#include "render/core/hook_impl.h"
#include "tests/support/world_fixture.h"

namespace {

// Bodies for any hook signature: one that calls into the engine (where the
// armed fault point fires) and one that succeeds.
template <typename F>
struct Body;
template <typename R, typename... A>
struct Body<R (*)(A...)> {
  static R Succeed() {
    if constexpr (std::is_pointer_v<R>) return reinterpret_cast<R>(uintptr_t(0x1000));
    else if constexpr (!std::is_void_v<R>) return R(1);
  }
  static R CallEngine(A...) {
    EngCheckAbort(nullptr);
    return Succeed();
  }
};

template <typename F>
void Install(F& slot) {
  slot = &Body<F>::CallEngine;
}

struct GuardCase {
  const char* hook;
  WORD category;
  SHORT id;
  LONG_PTR success;  // what the call returns when the body runs to its end
  std::function<void()> install;
  std::function<LONG_PTR()> call;
};

#define GUARD_CASE(NAME, CATEGORY, ID, SUCCESS, CALL) \
  GuardCase { #NAME, CATEGORY, ID, SUCCESS, [] { Install(g_hookBodies.NAME); }, [] { return LONG_PTR(CALL); } }

// Categories and guard IDs as the engine's event log must show them.
const GuardCase kCases[] = {
    GUARD_CASE(EnablePDEV, 1, 101, 0x1000,
               DrvEnablePDEV(nullptr, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr)),
    GUARD_CASE(DisablePDEV, 3, 102, 0, (DrvDisablePDEV(nullptr), 0)),
    GUARD_CASE(ResetPDEV, 8, 103, 1, DrvResetPDEV(nullptr, nullptr)),
    GUARD_CASE(EnableSurface, 4, 104, 0x1000, DrvEnableSurface(nullptr)),
    GUARD_CASE(DisableSurface, 5, 105, 0, (DrvDisableSurface(nullptr), 0)),
    GUARD_CASE(StartDoc, 36, 106, 1, DrvStartDoc(nullptr, nullptr, 0)),
    GUARD_CASE(EndDoc, 35, 107, 1, DrvEndDoc(nullptr, 0)),
    GUARD_CASE(StartPage, 34, 108, 1, DrvStartPage(nullptr)),
    GUARD_CASE(SendPage, 33, 109, 1, DrvSendPage(nullptr)),
    GUARD_CASE(BitBlt, 19, 110, 1,
               DrvBitBlt(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0)),
    GUARD_CASE(CopyBits, 20, 111, 1, DrvCopyBits(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)),
    GUARD_CASE(StretchBlt, 21, 112, 1,
               DrvStretchBlt(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             0)),
    GUARD_CASE(StretchBltROP, 70, 113, 1,
               DrvStretchBltROP(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, 0, nullptr, 0)),
    GUARD_CASE(TextOut, 24, 114, 1,
               DrvTextOut(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0)),
    GUARD_CASE(StrokePath, 15, 115, 1,
               DrvStrokePath(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0)),
    GUARD_CASE(FillPath, 16, 116, 1, DrvFillPath(nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0)),
    GUARD_CASE(StrokeAndFillPath, 17, 117, 1,
               DrvStrokeAndFillPath(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0)),
    GUARD_CASE(Paint, 18, 118, 1, DrvPaint(nullptr, nullptr, nullptr, nullptr, 0)),
    GUARD_CASE(Escape, 25, 119, 1, DrvEscape(nullptr, 0, 0, nullptr, 0, nullptr)),
    GUARD_CASE(RealizeBrush, 13, 120, 1, DrvRealizeBrush(nullptr, nullptr, nullptr, nullptr, nullptr, 0)),
};

class HookGuard : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::EventLogClear();
    kw::hooks::EngineFaultInCheckAbort(kw::hooks::EngineFault::None);
  }
  void TearDown() override {
    g_hookBodies = kShippedHookBodies;
    kw::hooks::EngineFaultInCheckAbort(kw::hooks::EngineFault::None);
    WorldFixture::TearDown();
  }

  // The layer library, found by the system loader independently of the
  // module functions the report uses.
  static HMODULE EngineModule() {
    Dl_info info{};
    EXPECT_NE(dladdr(reinterpret_cast<void*>(&EngCheckAbort), &info), 0);
    return static_cast<HMODULE>(info.dli_fbase);
  }
  static std::u16string PathOf(HMODULE m) {
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(m, path, MAX_PATH);
    return path;
  }

  // Raises `fault` inside every guarded hook and checks the entry of each.
  void ExpectEveryGuardReports(kw::hooks::EngineFault fault, DWORD code) {
    HMODULE engine = EngineModule();
    std::string expectedDll = " / DLL " + kw::Narrow(PathOf(engine)) + " / BASEADDR 0x";
    char base[32];
    std::snprintf(base, sizeof(base), "%08llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(engine)));
    for (const GuardCase& c : kCases) {
      SCOPED_TRACE(c.hook);
      kw::hooks::EventLogClear();
      c.install();
      kw::hooks::EngineFaultInCheckAbort(fault);
      EXPECT_EQ(c.call(), 0);

      auto entries = kw::hooks::EventLogEntries();
      ASSERT_EQ(entries.size(), 1u);
      const auto& e = entries[0];
      EXPECT_EQ(e.source, u"KADU_UM");
      EXPECT_EQ(e.type, EVENTLOG_ERROR_TYPE);
      EXPECT_EQ(e.category, c.category);
      EXPECT_EQ(e.eventId, code);
      ASSERT_EQ(e.strings.size(), 1u);
      std::string text = kw::Narrow(e.strings[0]);
      char head[32];
      std::snprintf(head, sizeof(head), "CODE 0x%08X", code);
      EXPECT_EQ(text.rfind(head, 0), 0u) << text;
      EXPECT_NE(text.find(expectedDll + base + " / EXCEPTIONADDR 0x"), std::string::npos) << text;
      std::string id = " / ID " + std::to_string(c.id);
      EXPECT_TRUE(text.size() > id.size() && text.substr(text.size() - id.size()) == id) << text;
      // The fault point is spent: the next call runs the body to its end.
      EXPECT_EQ(c.call(), c.success);
      EXPECT_EQ(kw::hooks::EventLogEntries().size(), 1u);
    }
  }
};

TEST_F(HookGuard, AccessViolationInAnEngineServiceFailsTheHookAndIsReported) {
  ExpectEveryGuardReports(kw::hooks::EngineFault::AccessViolation, EXCEPTION_ACCESS_VIOLATION);
}

TEST_F(HookGuard, IntegerDivisionByZeroFailsTheHookAndIsReported) {
  ExpectEveryGuardReports(kw::hooks::EngineFault::IntegerDivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO);
}

TEST_F(HookGuard, NoReportWhenTheSourceCannotBeRegistered) {
  Install(g_hookBodies.BitBlt);
  kw::hooks::EventLogFailRegister(true);
  kw::hooks::EngineFaultInCheckAbort(kw::hooks::EngineFault::AccessViolation);
  EXPECT_FALSE(DrvBitBlt(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
  kw::hooks::EventLogFailRegister(false);
  EXPECT_TRUE(kw::hooks::EventLogEntries().empty());
  EXPECT_TRUE(DrvBitBlt(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
}

// A call through a pointer to an address where no module is mapped: the
// fault address is the target itself.
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
BOOL JumpNowhere(SURFOBJ* pso) {
  volatile uintptr_t nowhere = 0x20;
  return reinterpret_cast<BOOL (*)(SURFOBJ*)>(nowhere)(pso);
}

TEST_F(HookGuard, FaultOutsideEveryModuleNamesTheLibraryFromDllAttach) {
  // The library's code is linked into this program, so the program stands in
  // for the library's instance.
  HMODULE self = GetModuleHandleW(nullptr);
  ASSERT_TRUE(DllMain(self, DLL_PROCESS_ATTACH, nullptr));
  g_hookBodies.StartPage = &JumpNowhere;
  EXPECT_FALSE(DrvStartPage(nullptr));
  ASSERT_TRUE(DllMain(self, DLL_PROCESS_DETACH, nullptr));
  auto entries = kw::hooks::EventLogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].category, 34);
  char base[32];
  std::snprintf(base, sizeof(base), "%08llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(self)));
  EXPECT_EQ(kw::Narrow(entries[0].strings.at(0)), "CODE 0xC0000005 / DLL " + kw::Narrow(PathOf(self)) +
                                                      " / BASEADDR 0x" + base + " / EXCEPTIONADDR 0x00000020 / ID 108");
}

TEST_F(HookGuard, ShippedBodiesFailWithoutAFault) {
  for (const GuardCase& c : kCases) {
    SCOPED_TRACE(c.hook);
    EXPECT_EQ(c.call(), 0);
  }
  EXPECT_TRUE(kw::hooks::EventLogEntries().empty());
}

}  // namespace
