// The spooler's calls of one job, step by step, for tests that act between them.
#pragma once
#include <chrono>
#include <string>
#include <thread>

#include "kw/hooks_printers.h"
#include "kw/wide.h"
#include "windows.h"

namespace langmon_test {

inline BOOL StartDoc(const MONITOR2* m, HANDLE port, const std::string& printer, DWORD jobId = 1, DWORD level = 1,
                     DWORD mode = 0) {
  kw::hooks::PrinterJobSet(printer, jobId, JOB_STATUS_PRINTING);
  static WCHAR doc[] = u"Document", raw[] = u"RAW";
  DOC_INFO_1W one{doc, nullptr, raw};
  DOC_INFO_2W two{doc, nullptr, raw, mode, 0};
  std::u16string name = kw::Widen(printer);
  LPBYTE info = level == 2 ? reinterpret_cast<LPBYTE>(&two) : reinterpret_cast<LPBYTE>(&one);
  return m->pfnStartDocPort(port, name.data(), jobId, level, info);
}

inline BOOL Write(const MONITOR2* m, HANDLE port, const std::string& bytes, DWORD* written = nullptr) {
  DWORD n = 0;
  BOOL ok = m->pfnWritePort(port, reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data())), DWORD(bytes.size()), &n);
  if (written) *written = n;
  return ok;
}

// Polls a condition for up to `ms` real milliseconds.
template <typename Pred>
bool WaitFor(Pred pred, int ms = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace langmon_test
