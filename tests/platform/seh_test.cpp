#include <gtest/gtest.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cfenv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "kw/seh.h"
#include "windows.h"

// Fault points. They reach the hardware: no sanitizer check stands in front
// of the faulting instruction, and no operand is known to the compiler.
namespace {

#define FAULT_POINT extern "C" __attribute__((noinline, no_sanitize("address", "undefined")))

FAULT_POINT void FaultWrite(uintptr_t addr) { *reinterpret_cast<volatile int*>(addr) = 1; }
FAULT_POINT int FaultRead(uintptr_t addr) { return *reinterpret_cast<volatile int*>(addr); }
FAULT_POINT int FaultDivide(int a, int b) {
  volatile int x = a, y = b;
  return x / y;
}
FAULT_POINT void FaultIllegal() { __builtin_trap(); }
FAULT_POINT double FaultFloatDivide(double a, double b) {
  volatile double x = a, y = b;
  return x / y;
}

// A region that faults with a bus error: a shared map of an empty file.
struct EmptyFileMap {
  void* page = MAP_FAILED;
  EmptyFileMap() {
    FILE* f = std::tmpfile();
    if (!f) return;
    page = mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fileno(f), 0);
    std::fclose(f);
  }
  ~EmptyFileMap() {
    if (page != MAP_FAILED) munmap(page, 4096);
  }
};

bool Within(const void* addr, const void* fn) {
  auto a = reinterpret_cast<uintptr_t>(addr), f = reinterpret_cast<uintptr_t>(fn);
  return a >= f && a < f + 512;
}

bool SegvBlocked() {
  sigset_t now;
  pthread_sigmask(SIG_SETMASK, nullptr, &now);
  return sigismember(&now, SIGSEGV) || sigismember(&now, SIGFPE);
}

constexpr uintptr_t kBadAddress = 0x10;

}  // namespace

struct FaultCase {
  const char* name;
  void (*raise)();
  const void* where;  // function holding the faulting instruction
  DWORD code;
  DWORD params;
  ULONG_PTR access;   // ExceptionInformation[0] when params > 0
  ULONG_PTR address;  // ExceptionInformation[1] when params > 1
};

class SehFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SehFaults, BecomeRecordsAndTheThreadGoesOn) {
  const FaultCase& c = GetParam();
  for (int round = 0; round < 2; ++round) {  // a second fault proves the mask was restored
    EXCEPTION_RECORD rec;
    std::memset(&rec, 0xCD, sizeof rec);
    EXPECT_FALSE(kw::SehGuard([](void* f) { reinterpret_cast<void (*)()>(f)(); }, reinterpret_cast<void*>(c.raise),
                              &rec));
    EXPECT_EQ(rec.ExceptionCode, c.code) << std::hex << rec.ExceptionCode;
    EXPECT_EQ(rec.ExceptionFlags, 0u);
    EXPECT_EQ(rec.ExceptionRecord, nullptr);
    EXPECT_TRUE(Within(rec.ExceptionAddress, c.where)) << rec.ExceptionAddress << " vs " << c.where;
    EXPECT_EQ(rec.NumberParameters, c.params);
    if (c.params > 0) {
      EXPECT_EQ(rec.ExceptionInformation[0], c.access);
    }
    if (c.params > 1 && c.address) {
      EXPECT_EQ(rec.ExceptionInformation[1], c.address);
    }
    EXPECT_FALSE(SegvBlocked());
    EXPECT_EQ(kw::SehDepth(), 0);
  }
  fedisableexcept(FE_ALL_EXCEPT);
  feclearexcept(FE_ALL_EXCEPT);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SehFaults,
    ::testing::Values(
        FaultCase{"AccessViolationWrite", [] { FaultWrite(kBadAddress); }, reinterpret_cast<void*>(&FaultWrite),
                  EXCEPTION_ACCESS_VIOLATION, 2, 1, kBadAddress},
        FaultCase{"AccessViolationRead", [] { (void)FaultRead(kBadAddress + 8); }, reinterpret_cast<void*>(&FaultRead),
                  EXCEPTION_ACCESS_VIOLATION, 2, 0, kBadAddress + 8},
        FaultCase{"AccessViolationNonCanonical", [] { (void)FaultRead(uintptr_t(1) << 63); },
                  reinterpret_cast<void*>(&FaultRead), EXCEPTION_ACCESS_VIOLATION, 2, 0, ~ULONG_PTR(0)},
        FaultCase{"IntegerDivideByZero", [] { (void)FaultDivide(7, 0); }, reinterpret_cast<void*>(&FaultDivide),
                  EXCEPTION_INT_DIVIDE_BY_ZERO, 0, 0, 0},
        FaultCase{"IllegalInstruction", [] { FaultIllegal(); }, reinterpret_cast<void*>(&FaultIllegal),
                  EXCEPTION_ILLEGAL_INSTRUCTION, 0, 0, 0},
        FaultCase{"FloatDivideByZero",
                  [] {
                    feenableexcept(FE_DIVBYZERO);
                    (void)FaultFloatDivide(1.0, 0.0);
                  },
                  reinterpret_cast<void*>(&FaultFloatDivide), EXCEPTION_FLT_DIVIDE_BY_ZERO, 0, 0, 0},
        FaultCase{"InPageError",
                  [] {
                    static EmptyFileMap map;
                    (void)FaultRead(reinterpret_cast<uintptr_t>(map.page));
                  },
                  reinterpret_cast<void*>(&FaultRead), EXCEPTION_IN_PAGE_ERROR, 3, 0, 0}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(Seh, NormalReturnRunsTheBodyOnce) {
  int calls = 0;
  EXCEPTION_RECORD rec{};
  EXPECT_TRUE(kw::SehTry([&] { ++calls; }, &rec));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(rec.ExceptionCode, 0u);
}

TEST(Seh, CppExceptionIsCaughtWithItsCode) {
  EXCEPTION_RECORD rec{};
  EXPECT_FALSE(kw::SehTry([] { throw std::runtime_error("boom"); }, &rec));
  EXPECT_EQ(rec.ExceptionCode, EXCEPTION_CPP_EXCEPTION);
  EXPECT_EQ(rec.ExceptionFlags, DWORD(EXCEPTION_NONCONTINUABLE));
  EXPECT_NE(rec.ExceptionAddress, nullptr);
  ASSERT_EQ(rec.NumberParameters, 1u);
  EXPECT_NE(std::string(reinterpret_cast<const char*>(rec.ExceptionInformation[0])).find("runtime_error"),
            std::string::npos);
  // Null record pointer is allowed.
  EXPECT_FALSE(kw::SehTry([] { throw 5; }, nullptr));
}

TEST(Seh, RaiseExceptionKeepsCodeAndArguments) {
  EXCEPTION_RECORD rec{};
  ULONG_PTR args[20];
  for (int i = 0; i < 20; ++i) args[i] = 100 + i;
  EXPECT_FALSE(kw::SehTry([&] { RaiseException(0xE0001234u, 0, 20, args); }, &rec));
  EXPECT_EQ(rec.ExceptionCode, 0xE0001234u);
  EXPECT_EQ(rec.ExceptionFlags, DWORD(EXCEPTION_NONCONTINUABLE));
  EXPECT_EQ(rec.ExceptionAddress, reinterpret_cast<void*>(&RaiseException));
  ASSERT_EQ(rec.NumberParameters, 15u);  // the record holds at most 15
  EXPECT_EQ(rec.ExceptionInformation[14], 114u);
}

TEST(Seh, InnermostGuardCatchesAndTheOuterGoesOn) {
  EXCEPTION_RECORD outer{}, inner{};
  bool innerResult = true;
  int after = 0;
  bool outerResult = kw::SehTry(
      [&] {
        EXPECT_EQ(kw::SehDepth(), 1);
        innerResult = kw::SehTry(
            [&] {
              EXPECT_EQ(kw::SehDepth(), 2);
              (void)FaultDivide(1, 0);
            },
            &inner);
        EXPECT_EQ(kw::SehDepth(), 1);
        ++after;
      },
      &outer);
  EXPECT_TRUE(outerResult);
  EXPECT_FALSE(innerResult);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(inner.ExceptionCode, EXCEPTION_INT_DIVIDE_BY_ZERO);

  // A fault in the outer body after an inner guard finished goes to the outer.
  outerResult = kw::SehTry(
      [&] {
        EXPECT_TRUE(kw::SehTry([] {}, &inner));
        FaultWrite(kBadAddress);
        ++after;
      },
      &outer);
  EXPECT_FALSE(outerResult);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(outer.ExceptionCode, EXCEPTION_ACCESS_VIOLATION);
  EXPECT_EQ(kw::SehDepth(), 0);
}

TEST(Seh, ThreadsFaultIndependently) {
  // One thread sits inside a guard while others fault in theirs, many times.
  std::atomic<bool> stop{false};
  std::atomic<int> waiterResult{-1};
  std::thread waiter([&] {
    bool ok = kw::SehTry(
        [&] {
          while (!stop.load()) std::this_thread::yield();
        },
        nullptr);
    waiterResult = ok ? 1 : 0;
  });
  constexpr int kThreads = 4, kRounds = 200;
  std::atomic<int> caught{0};
  std::vector<std::thread> faulters;
  for (int t = 0; t < kThreads; ++t) {
    faulters.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        EXCEPTION_RECORD rec{};
        uintptr_t addr = kBadAddress + 8 * unsigned(t);
        if (!kw::SehTry([&] { FaultWrite(addr); }, &rec) && rec.ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
            rec.ExceptionInformation[1] == addr) {
          ++caught;
        }
      }
    });
  }
  for (auto& f : faulters) f.join();
  stop = true;
  waiter.join();
  EXPECT_EQ(caught.load(), kThreads * kRounds);
  EXPECT_EQ(waiterResult.load(), 1);
}

namespace {

volatile bool g_deeper = true;

__attribute__((noinline)) int Recurse(int n) {
  volatile char pad[512];
  pad[0] = char(n);
  return g_deeper ? Recurse(n + 1) + pad[0] : 0;
}

void* OverflowThread(void* out) {
  auto* rec = static_cast<EXCEPTION_RECORD*>(out);
  bool ok = kw::SehTry([] { (void)Recurse(0); }, rec);
  // The thread keeps running normally after the overflow.
  bool again = kw::SehTry([] {}, nullptr);
  return reinterpret_cast<void*>(uintptr_t(!ok && again));
}

}  // namespace

TEST(Seh, StackOverflowIsCaughtOnItsThread) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 512 * 1024);
  EXCEPTION_RECORD rec{};
  pthread_t th;
  ASSERT_EQ(pthread_create(&th, &attr, OverflowThread, &rec), 0);
  void* result = nullptr;
  pthread_join(th, &result);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(result, reinterpret_cast<void*>(1));
  EXPECT_EQ(rec.ExceptionCode, EXCEPTION_STACK_OVERFLOW) << std::hex << rec.ExceptionCode;
}

// Killed by the fault's own signal, or (under the address sanitizer, which
// had the handler before us) reported and ended with a failure status.
struct DiedOf {
  int sig;
  bool operator()(int status) const {
    if (WIFSIGNALED(status)) return WTERMSIG(status) == sig;
    return WIFEXITED(status) && WEXITSTATUS(status) != 0;
  }
};

TEST(SehDeathTest, FaultOutsideEveryGuardStillKills) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_TRUE(kw::SehTry([] {}, nullptr));  // handlers are installed
  EXPECT_EXIT(FaultWrite(kBadAddress), DiedOf{SIGSEGV}, "");
  EXPECT_EXIT(
      {
        EXPECT_FALSE(kw::SehTry([] { FaultWrite(kBadAddress); }, nullptr));
        (void)FaultDivide(1, 0);  // after the guard is gone
      },
      DiedOf{SIGFPE}, "");
}

TEST(SehDeathTest, RaiseOutsideEveryGuardEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(RaiseException(0xE0000001u, 0, 0, nullptr), "");
}
