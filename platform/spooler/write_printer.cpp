// WritePrinter: the only way job bytes reach the port. Every call is recorded
// for tests, and calls can be made to fail as a broken port or a deleted job would.
#include "win/spooler.h"

#include <mutex>

#include "kw/handle_table.h"
#include "kw/hooks_spooler.h"
#include "kw/job_sink.h"

namespace {

using kw::hooks::SpoolerRecordMode;
using kw::hooks::WritePrinterCall;

struct Record {
  std::mutex mu;
  std::vector<WritePrinterCall> calls;
  SpoolerRecordMode mode = SpoolerRecordMode::Bytes;
  uint64_t seen = 0;     // calls since failure was armed
  uint64_t failFrom = 0;  // 0: never fail
  DWORD failError = ERROR_WRITE_FAULT;
};

Record& R() {
  static Record* r = new Record;  // never destroyed: printers may write during exit
  return *r;
}

// Counts the call and says whether it must fail, and with which error.
bool InjectedFailure(DWORD* error) {
  Record& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  ++r.seen;
  *error = r.failError;
  return r.failFrom != 0 && r.seen >= r.failFrom;
}

void Remember(HANDLE printer, const void* bytes, DWORD size, BOOL result) {
  Record& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  if (r.mode == SpoolerRecordMode::Off) return;
  WritePrinterCall call{printer, size, result, {}};
  if (r.mode == SpoolerRecordMode::Bytes && bytes) call.bytes.assign(static_cast<const char*>(bytes), size);
  r.calls.push_back(std::move(call));
}

BOOL Fail(HANDLE printer, const void* bytes, DWORD size, DWORD error) {
  Remember(printer, bytes, size, FALSE);
  SetLastError(error);
  return FALSE;
}

}  // namespace

KW_API BOOL WINAPI WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  if (!kw::HandleGet(hPrinter, kw::HandleKind::Printer)) return Fail(hPrinter, nullptr, cbBuf, ERROR_INVALID_HANDLE);
  // A printer opened without a job has nowhere to put the bytes.
  kw::JobSink* sink = kw::PrinterSink(hPrinter);
  if (!sink) return Fail(hPrinter, nullptr, cbBuf, ERROR_INVALID_PRINTER_STATE);
  if (!pcWritten || (!pBuf && cbBuf != 0)) return Fail(hPrinter, nullptr, cbBuf, ERROR_INVALID_PARAMETER);
  *pcWritten = 0;
  DWORD error = 0;
  if (InjectedFailure(&error)) return Fail(hPrinter, pBuf, cbBuf, error);
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

void SpoolerSetRecordMode(SpoolerRecordMode mode) {
  Record& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  r.mode = mode;
}

void SpoolerFailWritesFrom(uint64_t n, DWORD error) {
  Record& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  r.seen = 0;
  r.failFrom = n;
  r.failError = error;
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
