#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "kw/handle_table.h"
#include "kw/hooks_time.h"
#include "kw/hooks_waits.h"
#include "windows.h"

namespace {

struct ScaleGuard {
  explicit ScaleGuard(DWORD f) { kw::hooks::TimeSetScale(f); }
  ~ScaleGuard() { kw::hooks::TimeSetScale(1); }
};

DWORD WINAPI ReturnParam(LPVOID p) { return DWORD(reinterpret_cast<uintptr_t>(p)); }

DWORD WINAPI WaitThenCount(LPVOID p) {
  auto* args = static_cast<std::pair<HANDLE, std::atomic<int>*>*>(p);
  if (WaitForSingleObject(args->first, INFINITE) == WAIT_OBJECT_0) ++*args->second;
  return 0;
}

}  // namespace

TEST(Threads, HandleSignalsWithExitCode) {
  size_t before = kw::HandleCount();
  DWORD id = 0;
  HANDLE t = CreateThread(nullptr, 16384, ReturnParam, reinterpret_cast<LPVOID>(uintptr_t(42)), 0, &id);
  ASSERT_NE(t, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(t, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_TRUE(CloseHandle(t));
  EXPECT_EQ(kw::HandleCount(), before);
}

TEST(Events, AutoResetReleasesOneWaiterPerSet) {
  HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::atomic<int> woken{0};
  std::pair<HANDLE, std::atomic<int>*> args{e, &woken};
  HANDLE a = CreateThread(nullptr, 0, WaitThenCount, &args, 0, nullptr);
  HANDLE b = CreateThread(nullptr, 0, WaitThenCount, &args, 0, nullptr);
  EXPECT_TRUE(SetEvent(e));
  HANDLE both[2] = {a, b};
  DWORD first = WaitForMultipleObjects(2, both, FALSE, 2000);  // one waiter ends
  EXPECT_LE(first, WAIT_OBJECT_0 + 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(woken.load(), 1);
  EXPECT_TRUE(SetEvent(e));
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 2000), WAIT_OBJECT_0);
  EXPECT_EQ(woken.load(), 2);
  EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_TIMEOUT));  // both sets consumed
  CloseHandle(a);
  CloseHandle(b);
  CloseHandle(e);
}

TEST(Events, ManualResetStaysSignalledUntilReset) {
  HANDLE e = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(e));
  EXPECT_EQ(WaitForSingleObject(e, 0), DWORD(WAIT_TIMEOUT));
  CloseHandle(e);
  EXPECT_FALSE(SetEvent(e));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
}

TEST(Clock, ScaledWaitsPassQuicklyAndTicksFollow) {
  ScaleGuard scale(1000);
  HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  DWORD t0 = GetTickCount();
  auto r0 = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(e, 120000), DWORD(WAIT_TIMEOUT));
  Sleep(20000);
  auto real = std::chrono::steady_clock::now() - r0;
  EXPECT_GE(GetTickCount() - t0, 140000u);
  EXPECT_LT(real, std::chrono::seconds(2));
  CloseHandle(e);
}

TEST(Clock, TicksStayContinuousAcrossScaleChanges) {
  DWORD a = GetTickCount();
  kw::hooks::TimeSetScale(500);
  DWORD b = GetTickCount();
  kw::hooks::TimeSetScale(1);
  DWORD c = GetTickCount();
  EXPECT_LE(b - a, 1000u);
  EXPECT_LE(c - b, 1000u);
}

TEST(Mutexes, NamedRecursiveOwnedAndAbandoned) {
  HANDLE m = CreateMutexA(nullptr, TRUE, "KwTestMutex");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  HANDLE same = CreateMutexA(nullptr, FALSE, "KwTestMutex");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitForSingleObject(same, 0), WAIT_OBJECT_0);  // recursion by the owner

  DWORD other = 0;
  std::thread([&] { other = WaitForSingleObject(m, 0); }).join();
  EXPECT_EQ(other, DWORD(WAIT_TIMEOUT));
  BOOL foreignRelease = TRUE;
  DWORD foreignError = 0;
  std::thread([&] { foreignRelease = ReleaseMutex(m); foreignError = GetLastError(); }).join();
  EXPECT_FALSE(foreignRelease);
  EXPECT_EQ(foreignError, DWORD(ERROR_NOT_OWNER));

  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_TRUE(ReleaseMutex(m));
  EXPECT_FALSE(ReleaseMutex(m));

  std::thread([&] { EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0); }).join();  // ends holding it
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(m));
  CloseHandle(same);
  CloseHandle(m);
  EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, "KwTestMutex"), nullptr);
}

TEST(Mutexes, ANameOfAnotherKindIsRefused) {
  HANDLE e = CreateEventA(nullptr, TRUE, FALSE, "KwTestShared");
  EXPECT_EQ(CreateMutexA(nullptr, FALSE, "KwTestShared"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  HANDLE again = OpenEventA(SYNCHRONIZE, FALSE, "KwTestShared");
  ASSERT_NE(again, nullptr);
  SetEvent(again);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  CloseHandle(again);
  CloseHandle(e);
}

TEST(WatchedLocks, WaitsWithTheLockHeldAreRecordedWithDepth) {
  ScaleGuard scale(100);
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  kw::hooks::WaitsWatchLock(&cs, "monitor");
  kw::hooks::WaitsClearRecord();
  HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);

  Sleep(10);                      // not held: not recorded
  WaitForSingleObject(e, 10);
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);
  WaitForSingleObject(e, 0);      // a poll is not a wait
  Sleep(10);
  WaitForSingleObject(e, 10);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);

  auto waits = kw::hooks::WaitsWhileLocked();
  ASSERT_EQ(waits.size(), 2u);
  EXPECT_EQ(waits[0].call, "Sleep");
  EXPECT_EQ(waits[0].object, "time");
  EXPECT_EQ(waits[1].call, "WaitForSingleObject");
  EXPECT_EQ(waits[1].object, "event");
  EXPECT_EQ(waits[1].lock, "monitor");
  EXPECT_EQ(waits[1].depth, 2);
  EXPECT_EQ(waits[1].thread, GetCurrentThreadId());

  DeleteCriticalSection(&cs);  // stops the watch
  kw::hooks::WaitsClearRecord();
  CloseHandle(e);
}
