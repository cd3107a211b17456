#include <gtest/gtest.h>

#include <climits>
#include <thread>

#include "kw/hooks_memory.h"
#include "kw/hooks_sync.h"
#include "kw/wide.h"
#include "windows.h"

TEST(LastError, IsPerThread) {
  SetLastError(5);
  DWORD other = 1;
  std::thread([&] { other = GetLastError(); SetLastError(7); }).join();
  EXPECT_EQ(other, 0u);
  EXPECT_EQ(GetLastError(), 5u);
}

TEST(WideStrings, CopyCompareAndBound) {
  WCHAR buf[6];
  lstrcpynW(buf, u"printer", 6);
  EXPECT_EQ(std::u16string(buf), u"print");
  EXPECT_EQ(lstrlenW(buf), 5);
  EXPECT_EQ(lstrcmpiW(u"KADU.ini", u"kadu.INI"), 0);
  EXPECT_LT(lstrcmpW(u"A", u"a"), 0);
  EXPECT_EQ(kw::Narrow(kw::Widen("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x96\xA8")), "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x96\xA8");
}

TEST(CodePages, AnsiAndDoubleByteRoundTrip) {
  struct Case { UINT cp; std::string bytes; std::u16string text; };
  const Case cases[] = {
      {1252, "Caf\xE9 \x80", u"Caf\u00E9 \u20AC"},
      {932, "\x82\xA0", u"\u3042"},
      {936, "\xC4\xE3", u"\u4F60"},
      {949, "\xB0\xA1", u"\uAC00"},
      {950, "\xA4\xA4", u"\u4E2D"},
  };
  for (const Case& c : cases) {
    WCHAR w[16] = {};
    int n = MultiByteToWideChar(c.cp, 0, c.bytes.data(), int(c.bytes.size()), w, 16);
    ASSERT_EQ(std::u16string(w, n), c.text) << c.cp;
    char b[16] = {};
    int m = WideCharToMultiByte(c.cp, 0, w, n, b, 16, nullptr, nullptr);
    EXPECT_EQ(std::string(b, m), c.bytes) << c.cp;
  }
  WCHAR small[2];
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, small, 2), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0), 4);
}

TEST(MulDiv, RoundsAndReportsOverflow) {
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(600, 254, 100), 1524);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
}

TEST(Memory, BlocksAreZeroFilledAndSized) {
  auto* p = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, 100));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, p), 100u);
  p[99] = 7;
  p = static_cast<unsigned char*>(HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, p, 200));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[99], 7);
  EXPECT_EQ(p[199], 0);
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, p));
}

TEST(Memory, MovableHandlesLockToTheirBytes) {
  HGLOBAL h = GlobalAlloc(GHND, 64);
  ASSERT_NE(h, nullptr);
  auto* p = static_cast<char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_NE(static_cast<void*>(p), h);
  EXPECT_EQ(GlobalHandle(p), h);
  p[0] = 'x';
  GlobalUnlock(h);
  h = GlobalReAlloc(h, 4096, GMEM_MOVEABLE);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 4096u);
  EXPECT_EQ(static_cast<char*>(GlobalLock(h))[0], 'x');
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
  HGLOBAL f = GlobalAlloc(GPTR, 8);
  EXPECT_EQ(GlobalLock(f), f);
  EXPECT_EQ(LocalFree(f), nullptr);
}

TEST(Memory, FaultInjectionFailsTheChosenAllocation) {
  size_t live = kw::hooks::MemoryLiveBlocks();
  kw::hooks::MemoryFailAt(2);
  void* a = HeapAlloc(GetProcessHeap(), 0, 8);
  void* b = GlobalAlloc(GPTR, 8);
  void* c = LocalAlloc(LPTR, 8);
  kw::hooks::MemoryFailAt(0);
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_NE(c, nullptr);
  HeapFree(GetProcessHeap(), 0, a);
  LocalFree(c);
  kw::hooks::MemoryFailAt(1, true);
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, 1), nullptr);
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, 1), nullptr);
  kw::hooks::MemoryFailAt(0);
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), live);
}

TEST(CriticalSection, IsRecursiveAndReportsOwner) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EXPECT_EQ(kw::hooks::CriticalSectionOwner(&cs), GetCurrentThreadId());
  EXPECT_EQ(kw::hooks::CriticalSectionDepth(&cs), 2);
  EXPECT_EQ(kw::hooks::CriticalSectionsHeldByThisThread(), 1);
  BOOL other = TRUE;
  std::thread([&] { other = TryEnterCriticalSection(&cs); }).join();
  EXPECT_FALSE(other);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  EXPECT_EQ(kw::hooks::CriticalSectionOwner(&cs), 0u);
  std::thread([&] {
    other = TryEnterCriticalSection(&cs);
    if (other) LeaveCriticalSection(&cs);
  }).join();
  EXPECT_TRUE(other);
  DeleteCriticalSection(&cs);
}

TEST(Interlocked, ReturnsWindowsValues) {
  LONG v = 5;
  EXPECT_EQ(InterlockedIncrement(&v), 6);
  EXPECT_EQ(InterlockedExchangeAdd(&v, 4), 6);
  EXPECT_EQ(InterlockedCompareExchange(&v, 1, 10), 10);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(InterlockedCompareExchange(&v, 2, 10), 1);
  EXPECT_EQ(v, 1);
}
