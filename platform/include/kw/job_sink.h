// Layer-internal: where the bytes that WritePrinter takes end up. A job sink is
// a host file, a memory buffer, or nothing (bytes only counted). Every printer
// handle's object starts with a PrinterSinkBinding, so that WritePrinter finds
// the sink whatever else the printer record holds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "win/base.h"

namespace kw {

struct JobSink;

JobSink* JobSinkMemory();
// Creates or truncates the host file; nullptr when it cannot be opened, with
// the last error ERROR_PATH_NOT_FOUND (no such folder), ERROR_ACCESS_DENIED
// (not allowed, or a folder) or ERROR_CANTOPEN.
JobSink* JobSinkFile(const std::string& hostPath);
JobSink* JobSinkDiscard();
// Appends bytes; false (last error set) when the file cannot take them.
bool JobSinkWrite(JobSink* sink, const void* bytes, size_t count);
// Notes that bytes meant for the sink were lost (a failed WritePrinter), so
// that closing reports the job incomplete.
void JobSinkMarkFailed(JobSink* sink, DWORD error);
// Bytes taken so far, and for a memory sink the bytes themselves.
uint64_t JobSinkByteCount(const JobSink* sink);
std::string JobSinkBytes(const JobSink* sink);
// Closes and frees the sink; false (last error set to the first failure)
// when a write failed or a file could not be closed.
bool JobSinkClose(JobSink* sink);

struct PrinterSinkBinding {
  JobSink* sink;  // owned by the printer handle's object
};

// A printer handle (HandleKind::Printer) that owns `sink`; the sink is closed
// when the handle is closed.
HANDLE PrinterHandleForSink(JobSink* sink);
// The sink of a live printer handle; nullptr for a printer without one or
// a handle that is not a printer (ERROR_INVALID_HANDLE).
JobSink* PrinterSink(HANDLE printer);

}  // namespace kw
