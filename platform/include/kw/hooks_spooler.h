// Test hooks for the spooler's job stream: printer handles bound to a sink,
// the record of every WritePrinter call, and failing writes on demand.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "win/base.h"

namespace kw::hooks {

// Printer handles whose WritePrinter goes into memory, into a host file
// (created or truncated; nullptr when it cannot be opened) or nowhere.
// Close them with CloseHandle.
HANDLE SpoolerOpenMemoryPrinter();
HANDLE SpoolerOpenFilePrinter(const std::string& hostPath);
HANDLE SpoolerOpenDiscardPrinter();
// The bytes a memory printer has taken so far (empty for other kinds).
std::string SpoolerPrinterBytes(HANDLE printer);

struct WritePrinterCall {
  HANDLE printer;
  DWORD size;         // cbBuf as given
  BOOL result;
  std::string bytes;  // the bytes offered (empty when not recording bytes)
};

// Every WritePrinter call since the last reset, in order (failed calls too).
std::vector<WritePrinterCall> SpoolerWriteCalls();
size_t SpoolerWriteCallCount();
// Recording: off, sizes only, or sizes and bytes (the default).
enum class SpoolerRecordMode { Off, Sizes, Bytes };
void SpoolerSetRecordMode(SpoolerRecordMode mode);
// Makes WritePrinter fail with `error`: the n-th call from now (1 = the next)
// and every call after it. n = 0 turns failure off.
void SpoolerFailWritesFrom(uint64_t n, DWORD error = ERROR_WRITE_FAULT);
// Clears the record, turns failure off and recording back to bytes.
void SpoolerResetHooks();

}  // namespace kw::hooks
