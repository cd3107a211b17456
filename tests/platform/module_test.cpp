#include <gtest/gtest.h>
#include <dlfcn.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kw/hooks_module.h"
#include "kw/module.h"
#include "kw/seh.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

using kadu_test::WorldFixture;
namespace fs = std::filesystem;

// ---- what the test modules' DllMain reports ---------------------------------------

struct DllMainCall {
  HINSTANCE instance;
  DWORD reason;
  LPVOID reserved;
  std::u16string path;  // GetModuleFileNameW(instance) inside DllMain
};

static std::mutex g_callsMu;
static std::vector<DllMainCall> g_calls;

extern "C" __attribute__((visibility("default"))) void KwTestDllMainObserver(HINSTANCE instance, DWORD reason,
                                                                              LPVOID reserved) {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(instance, path, MAX_PATH);
  std::lock_guard<std::mutex> lock(g_callsMu);
  g_calls.push_back(DllMainCall{instance, reason, reserved, path});
}

namespace {

std::vector<DllMainCall> TakeCalls() {
  std::lock_guard<std::mutex> lock(g_callsMu);
  return std::exchange(g_calls, {});
}

std::string ProgramFolder() { return fs::canonical("/proc/self/exe").parent_path().string(); }
std::string TestModulePath() { return ProgramFolder() + "/KWTESTMOD.so"; }

// Base address the system loader reports for the object holding `addr`.
uintptr_t LoaderBase(const void* addr) {
  Dl_info info{};
  return dladdr(addr, &info) ? reinterpret_cast<uintptr_t>(info.dli_fbase) : 0;
}

// The first module whose range holds `addr`, found the way the exception
// report looks for it: the module list, then each module's information.
HMODULE ModuleHolding(const void* addr, MODULEINFO* found) {
  std::vector<HMODULE> modules(1024);
  DWORD needed = 0;
  if (!EnumProcessModules(GetCurrentProcess(), modules.data(), DWORD(modules.size() * sizeof(HMODULE)), &needed))
    return nullptr;
  modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
  for (HMODULE m : modules) {
    MODULEINFO mi;
    if (!GetModuleInformation(GetCurrentProcess(), m, &mi, sizeof mi)) continue;
    auto a = reinterpret_cast<uintptr_t>(addr), b = reinterpret_cast<uintptr_t>(mi.lpBaseOfDll);
    if (a >= b && a < b + mi.SizeOfImage) {
      *found = mi;
      return m;
    }
  }
  return nullptr;
}

std::string HostPathOf(HMODULE m) {
  WCHAR buf[1024];
  DWORD n = GetModuleFileNameW(m, buf, 1024);
  return n ? kw::WorldMapPath(std::u16string_view(buf, n)) : std::string();
}

}  // namespace

class Modules : public WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    TakeCalls();
  }
  void TearDown() override {
    kw::hooks::ModuleFailLoad(u"");
    WorldFixture::TearDown();
  }
};

TEST_F(Modules, LoadCallsDllMainOnceAndFreeDetachesAtTheLastUse) {
  HMODULE h = LoadLibraryW(u"kwtestmod.dll");
  ASSERT_NE(h, nullptr) << kw::hooks::ModuleLastLoaderError();
  auto add = reinterpret_cast<int (*)(int, int)>(GetProcAddress(h, "KwTestAdd"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(2, 3), 5);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(h), LoaderBase(reinterpret_cast<void*>(add)));  // the real base

  auto calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].instance, h);
  EXPECT_EQ(calls[0].reason, DWORD(DLL_PROCESS_ATTACH));
  EXPECT_EQ(kw::WorldMapPath(calls[0].path), TestModulePath());  // the module knows its path in DllMain

  EXPECT_EQ(LoadLibraryW(u"KWTESTMOD"), h);
  EXPECT_EQ(LoadLibraryA("KWTESTMOD.so"), h);
  EXPECT_EQ(kw::hooks::ModuleUseCount(h), 3);
  EXPECT_EQ(GetModuleHandleW(u"KwTestMod.DLL"), h);
  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_TRUE(FreeLibrary(h));
  calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].reason, DWORD(DLL_PROCESS_DETACH));
  EXPECT_EQ(calls[0].reserved, nullptr);
  EXPECT_EQ(kw::hooks::ModuleUseCount(h), 0);
  EXPECT_EQ(GetModuleHandleW(u"KWTESTMOD.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(FreeLibrary(h));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(Modules, GetProcAddressFindsOnlyTheModulesOwnExports) {
  HMODULE h = LoadLibraryW(u"KWTESTPLAIN.DLL");
  ASSERT_NE(h, nullptr) << kw::hooks::ModuleLastLoaderError();
  auto value = reinterpret_cast<int (*)()>(GetProcAddress(h, "KwPlainValue"));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value(), 42);
  // Its dependency exports these, it does not: no DllMain call for it either.
  EXPECT_EQ(GetProcAddress(h, "KwTestAdd"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(h, "DllMain"), nullptr);
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_EQ(GetProcAddress(h, MAKEINTRESOURCEA(1)), nullptr);  // no ordinals
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(uintptr_t(0x1000)), "KwPlainValue"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(h));
}

TEST_F(Modules, RefusedAttachUnloadsAndFails) {
  EXPECT_EQ(LoadLibraryW(u"KWTESTNO.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DLL_INIT_FAILED));
  auto calls = TakeCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].reason, DWORD(DLL_PROCESS_ATTACH));
  EXPECT_EQ(calls[1].reason, DWORD(DLL_PROCESS_DETACH));
  EXPECT_EQ(GetModuleHandleW(u"KWTESTNO.DLL"), nullptr);
}

TEST_F(Modules, DontResolveSkipsDllMain) {
  HMODULE h = LoadLibraryExW(u"KWTESTMOD.DLL", nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(GetProcAddress(h, "KwTestAdd"), nullptr);
  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(Modules, SearchRuleAndPaths) {
  fs::create_directories(world_ + "/C/Windows/System32");
  fs::copy_file(TestModulePath(), world_ + "/C/Windows/System32/KwCopy.DLL");
  HMODULE sys = LoadLibraryW(u"KWCOPY");  // ".dll" added, found ignoring case
  ASSERT_NE(sys, nullptr) << kw::hooks::ModuleLastLoaderError();
  WCHAR path[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameW(sys, path, MAX_PATH), 30u);
  EXPECT_EQ(std::u16string(path), u"C:\\Windows\\System32\\KwCopy.DLL");
  EXPECT_EQ(LoadLibraryW(u"c:\\windows\\system32\\kwcopy.dll"), sys);  // by full path: the same module

  // Next to a module loaded from a folder; then a folder added to the search.
  std::string near = world_ + "/C/Drivers";
  fs::create_directories(near);
  fs::copy_file(TestModulePath(), near + "/First.dll");
  fs::copy_file(TestModulePath(), near + "/Second.dll");
  HMODULE first = LoadLibraryW(u"C:\\Drivers\\First.dll");
  ASSERT_NE(first, nullptr);
  HMODULE second = LoadLibraryW(u"second.DLL");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(kw::ModuleHostPath(second), near + "/Second.dll");

  std::string extra = world_ + "/host-libs";
  fs::create_directories(extra);
  fs::copy_file(TestModulePath(), extra + "/libKwExtra.so");
  EXPECT_EQ(LoadLibraryW(u"KwExtra.dll"), nullptr);
  kw::ModuleAddSearchFolder(extra);
  HMODULE lib = LoadLibraryW(u"KwExtra.dll");
  ASSERT_NE(lib, nullptr);

  for (HMODULE m : {sys, sys, first, second, lib}) EXPECT_TRUE(FreeLibrary(m));
  EXPECT_EQ(TakeCalls().size(), 8u);  // four modules, attach and detach each
}

TEST_F(Modules, BadNamesAndFilesFailWithWindowsErrors) {
  std::ofstream(world_ + "/C/junk.dll") << "not a module";
  struct Case {
    const char16_t* name;
    DWORD flags;
    DWORD error;
  } cases[] = {
      {u"NoSuchModule.dll", 0, ERROR_MOD_NOT_FOUND},
      {u"C:\\nowhere\\x.dll", 0, ERROR_MOD_NOT_FOUND},
      {u"C:\\junk.dll", 0, ERROR_BAD_EXE_FORMAT},
      {u"C:\\junk.dll", LOAD_LIBRARY_AS_DATAFILE, ERROR_BAD_EXE_FORMAT},
      {u"KWTESTMOD.DLL", LOAD_LIBRARY_AS_DATAFILE, ERROR_BAD_EXE_FORMAT},  // code is not a PE file
      {u"", 0, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExW(c.name, nullptr, c.flags), nullptr) << kw::Narrow(c.name);
    EXPECT_EQ(GetLastError(), c.error) << kw::Narrow(c.name);
  }
  EXPECT_EQ(LoadLibraryExW(u"KWTESTMOD.DLL", reinterpret_cast<HANDLE>(1), 0), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  kw::hooks::ModuleFailLoad(u"kwtestmod.dll", ERROR_ACCESS_DENIED);
  EXPECT_EQ(LoadLibraryW(u"KWTESTMOD.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  kw::hooks::ModuleFailLoad(u"");
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(Modules, ProgramPathAndTruncation) {
  EXPECT_EQ(HostPathOf(nullptr), fs::canonical("/proc/self/exe").string());
  EXPECT_EQ(GetModuleHandleW(nullptr), reinterpret_cast<HMODULE>(LoaderBase(reinterpret_cast<void*>(&ProgramFolder))));
  WCHAR small[5];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
  // The program's Windows path on drive Z:, cut to four characters and a zero.
  std::u16string expected = u"Z:\\";
  expected += char16_t(fs::canonical("/proc/self/exe").string()[1]);
  EXPECT_EQ(std::u16string(small), expected);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  char ansi[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, ansi, MAX_PATH);
  ASSERT_GT(n, 3u);
  EXPECT_EQ(kw::WorldMapPathA(std::string(ansi, n)), fs::canonical("/proc/self/exe").string());
  EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(uintptr_t(0x1000)), small, 5), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(Modules, ProcessListFindsTheModuleHoldingAnAddress) {
  HMODULE h = LoadLibraryW(u"KWTESTMOD.DLL");
  ASSERT_NE(h, nullptr);
  void* add = reinterpret_cast<void*>(GetProcAddress(h, "KwTestAdd"));

  MODULEINFO mi{};
  EXPECT_EQ(ModuleHolding(add, &mi), h);
  EXPECT_EQ(mi.lpBaseOfDll, h);
  EXPECT_EQ(mi.EntryPoint, reinterpret_cast<void*>(GetProcAddress(h, "DllMain")));
  EXPECT_EQ(HostPathOf(h), TestModulePath());

  void* libc = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(libc, nullptr);
  void* getpidInLibc = dlsym(libc, "getpid");
  dlclose(libc);
  HMODULE holder = ModuleHolding(getpidInLibc, &mi);
  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(holder), LoaderBase(getpidInLibc));
  EXPECT_NE(HostPathOf(holder).find("libc.so"), std::string::npos);
  EXPECT_EQ(GetModuleHandleA("libc.so.6"), holder);

  HMODULE program = ModuleHolding(reinterpret_cast<void*>(&ProgramFolder), &mi);
  EXPECT_EQ(program, GetModuleHandleW(nullptr));
  EXPECT_NE(mi.EntryPoint, nullptr);  // the program's entry

  HMODULE one[1];
  DWORD needed = 0;
  EXPECT_TRUE(EnumProcessModules(GetCurrentProcess(), one, sizeof one, &needed));
  EXPECT_GT(needed, sizeof one);
  EXPECT_EQ(one[0], GetModuleHandleW(nullptr));  // the program first
  EXPECT_FALSE(EnumProcessModules(reinterpret_cast<HANDLE>(uintptr_t(0x44)), one, sizeof one, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(GetModuleInformation(GetCurrentProcess(), h, &mi, sizeof mi - 1));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(GetModuleInformation(GetCurrentProcess(), reinterpret_cast<HMODULE>(uintptr_t(0x1000)), &mi, sizeof mi));
  EXPECT_TRUE(FreeLibrary(h));
}

TEST_F(Modules, FaultInALoadedModuleIsMatchedToIt) {
  HMODULE h = LoadLibraryW(u"KWTESTMOD.DLL");
  ASSERT_NE(h, nullptr);
  auto fault = reinterpret_cast<void (*)()>(GetProcAddress(h, "KwTestFault"));
  ASSERT_NE(fault, nullptr);
  EXCEPTION_RECORD rec{};
  EXPECT_FALSE(kw::SehTry([&] { fault(); }, &rec));
  EXPECT_EQ(rec.ExceptionCode, EXCEPTION_ACCESS_VIOLATION);
  MODULEINFO mi{};
  EXPECT_EQ(ModuleHolding(rec.ExceptionAddress, &mi), h);
  EXPECT_TRUE(FreeLibrary(h));
}

TEST_F(Modules, ConcurrentLoadsKeepOneAttachAndOneDetach) {
  HMODULE held = LoadLibraryW(u"KWTESTMOD.DLL");  // keeps the module in while the threads run
  ASSERT_NE(held, nullptr);
  constexpr int kThreads = 4, kRounds = 50;
  std::vector<std::thread> threads;
  std::atomic<int> sameHandle{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        HMODULE h = LoadLibraryW(u"kwtestmod.dll");
        if (h == held) ++sameHandle;
        WCHAR path[MAX_PATH];
        GetModuleFileNameW(h, path, MAX_PATH);
        FreeLibrary(h);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(sameHandle.load(), kThreads * kRounds);
  EXPECT_EQ(kw::hooks::ModuleUseCount(held), 1);
  EXPECT_TRUE(FreeLibrary(held));
  auto calls = TakeCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].reason, DWORD(DLL_PROCESS_ATTACH));
  EXPECT_EQ(calls[1].reason, DWORD(DLL_PROCESS_DETACH));
}
