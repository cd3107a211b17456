// Runs right after a fault, so it keeps to the stack: fixed buffers, no heap.
#include "common/exception_report.h"

namespace {

constexpr DWORD kMaxModules = 1024;

// A bounded writer over the report buffer.
struct Text {
  WCHAR* buf;
  size_t cap;  // characters before the terminating zero
  size_t len = 0;

  void Put(WCHAR c) {
    if (len < cap) buf[len++] = c;
  }
  void Put(const char* s) {
    while (*s) Put(WCHAR(*s++));
  }
  void PutWide(LPCWSTR s) {
    while (s && *s) Put(*s++);
  }
  void PutHex(ULONG_PTR v, int minDigits) {
    WCHAR rev[16];
    int n = 0;
    do {
      rev[n++] = WCHAR("0123456789ABCDEF"[v & 0xF]);
      v >>= 4;
    } while (v);
    while (n < minDigits) rev[n++] = u'0';
    while (n) Put(rev[--n]);
  }
  void PutDecimal(int v) {
    unsigned m = v < 0 ? 0u - unsigned(v) : unsigned(v);
    if (v < 0) Put(u'-');
    WCHAR rev[10];
    int n = 0;
    do {
      rev[n++] = WCHAR(u'0' + m % 10);
      m /= 10;
    } while (m);
    while (n) Put(rev[--n]);
  }
};

struct FaultModule {
  ULONG_PTR base;
  WCHAR path[MAX_PATH];
};

// The first module of the process, in list order, whose image holds the address.
bool FindModuleHolding(ULONG_PTR address, FaultModule* found) {
  HMODULE modules[kMaxModules];
  DWORD needed = 0;
  HANDLE process = GetCurrentProcess();
  if (!EnumProcessModules(process, modules, sizeof(modules), &needed)) return false;
  DWORD count = needed / sizeof(HMODULE);
  if (count > kMaxModules) count = kMaxModules;
  for (DWORD i = 0; i < count; ++i) {
    MODULEINFO info{};
    if (!GetModuleInformation(process, modules[i], &info, sizeof(info))) continue;
    ULONG_PTR base = reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll);
    if (address < base || address - base >= info.SizeOfImage) continue;
    found->base = base;
    found->path[0] = 0;
    GetModuleFileNameW(modules[i], found->path, MAX_PATH);
    return true;
  }
  return false;
}

}  // namespace

void FormatExceptionReport(WCHAR (&text)[kExceptionReportChars], DWORD code, LPCWSTR modulePath,
                           ULONG_PTR baseAddress, ULONG_PTR exceptionAddress, SHORT guardId) {
  Text t{text, kExceptionReportChars - 1};
  t.Put("CODE 0x");
  t.PutHex(code, 8);
  t.Put(" / DLL ");
  t.PutWide(modulePath);
  t.Put(" / BASEADDR 0x");
  t.PutHex(baseAddress, 8);
  t.Put(" / EXCEPTIONADDR 0x");
  t.PutHex(exceptionAddress, 8);
  t.Put(" / ID ");
  t.PutDecimal(guardId);
  text[t.len] = 0;
}

void ReportException(LPCWSTR source, HMODULE self, WORD category, const EXCEPTION_RECORD* record, SHORT guardId) {
  if (!record) return;
  HANDLE log = RegisterEventSourceW(nullptr, source);
  if (!log) return;
  FaultModule module{reinterpret_cast<ULONG_PTR>(self), {}};
  GetModuleFileNameW(self, module.path, MAX_PATH);
  ULONG_PTR address = reinterpret_cast<ULONG_PTR>(record->ExceptionAddress);
  FaultModule holder{};
  if (FindModuleHolding(address, &holder)) module = holder;
  if (module.base != 0 && module.path[0] != 0) {
    WCHAR text[kExceptionReportChars];
    FormatExceptionReport(text, record->ExceptionCode, module.path, module.base, address, guardId);
    LPCWSTR strings[1] = {text};
    ReportEventW(log, EVENTLOG_ERROR_TYPE, category, record->ExceptionCode, nullptr, 1, 0, strings, nullptr);
  }
  DeregisterEventSource(log);
}
