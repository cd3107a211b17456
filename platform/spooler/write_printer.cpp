// WritePrinter: the only way job bytes reach the port. Every call is recorded
// for tests, and calls can be made to fail as a broken port or a deleted job would.
#include "win/spooler.h"

#include <atomic>
#include <mutex>

#include "kw/handle_table.h"
#include "kw/hooks_spooler.h"
#include "kw/job_sink.h"

namespace {

using kw::hooks::SpoolerRecordMode;
using kw::hooks::WritePrinterCall;

// The settings are atomics so that a call with recording off and no failure
// armed takes no lock here.
struct Record {
  std::mutex mu;  // guards calls
  std::vector<WritePrinterCall> calls;
  std::atomic<SpoolerRecordMode> mode{SpoolerRecordMode::Bytes};
  std::atomic<uint64_t> seen{0};      // calls since failure was armed
  std::atomic<uint64_t> failFrom{0};  // 0: never fail
  std::atomic<DWORD> failError{ERROR_WRITE_FAULT};
};

Record& R() {
  static Record* r = new Record;  // never destroyed: printers may write during exit
  return *r;
}

// Counts the call and says whether it must fail, and with which error.
bool InjectedFailure(DWORD* error) {
  Record& r = R();
  uint64_t n = ++r.seen;
  uint64_t from = r.failFrom.load();
  *error = r.failError.load();
  return from != 0 && n >= from;
}

void Remember(HANDLE printer, const void* bytes, DWORD size, BOOL result) {
  Record& r = R();
  SpoolerRecordMode mode = r.mode.load();
  if (mode == SpoolerRecordMode::Off) return;
  WritePrinterCall call{printer, size, result, {}};
  if (mode == SpoolerRecordMode::Bytes && bytes) call.bytes.assign(static_cast<const char*>(bytes), size);
  std::lock_guard<std::mutex> lock(r.mu);
  r.calls.push_back(std::move(call));
}

BOOL Fail(HANDLE printer, const void* bytes, DWORD size, DWORD error) {
  Remember(printer, bytes, size, FALSE);
  SetLastError(error);
  return FALSE;
}

}  // namespace

KW_API BOOL WINAPI WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  auto* binding = static_cast<kw::PrinterSinkBinding*>(kw::HandleGet(hPrinter, kw::HandleKind::Printer));
  if (!binding) return Fail(hPrinter, nullptr, cbBuf, ERROR_INVALID_HANDLE);
  // A printer opened without a started document has nowhere to put the bytes.
  kw::JobSink* sink = binding->sink;
  if (!sink) return Fail(hPrinter, nullptr, cbBuf, ERROR_SPL_NO_STARTDOC);
  if (!pcWritten || (!pBuf && cbBuf != 0)) return Fail(hPrinter, nullptr, cbBuf, ERROR_INVALID_PARAMETER);
  *pcWritten = 0;
  DWORD error = 0;
  if (InjectedFailure(&error)) {
    kw::JobSinkMarkFailed(sink, error);
    return Fail(hPrinter, pBuf, cbBuf, error);
  }
  if (cbBuf != 0 && !kw::JobSinkWrite(sink, pBuf, cbBuf)) return Fail(hPrinter, pBuf, cbBuf, GetLastError());
  *pcWritten = cbBuf;
  Remember(hPrinter, pBuf, cbBuf, TRUE);
  return TRUE;
}

namespace kw::hooks {

std::vector<WritePrinterCall> SpoolerWriteCalls() {
  Record& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  return r.calls;
}

size_t SpoolerWriteCallCount() {
  Record& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  return r.calls.size();
}

void SpoolerSetRecordMode(SpoolerRecordMode mode) { R().mode = mode; }

void SpoolerFailWritesFrom(uint64_t n, DWORD error) {
  Record& r = R();
  r.failFrom = 0;
  r.seen = 0;
  r.failError = error;
  r.failFrom = n;
}

void SpoolerResetHooks() {
  Record& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  r.calls.clear();
  r.mode = SpoolerRecordMode::Bytes;
  r.seen = 0;
  r.failFrom = 0;
  r.failError = ERROR_WRITE_FAULT;
}

}  // namespace kw::hooks
