// Layer-internal kernel handle table: every kernel object handed out as a
// HANDLE (files, threads, events, mutexes, mappings, find handles, printers…)
// is registered here so that CloseHandle and validation work uniformly.
#pragma once
#include "win/base.h"

namespace kw {

enum class HandleKind : uint32_t {
  File = 1, Thread, Event, Mutex, Semaphore, Mapping, Find, Printer, EventSource, Process, Socket, Other
};

// Registers an object; `close` runs once, when the last reference is closed.
HANDLE HandleCreate(HandleKind kind, void* object, void (*close)(void* object));
// The object behind a handle of the given kind, or nullptr (last error set to
// ERROR_INVALID_HANDLE) for a stale or foreign handle.
void* HandleGet(HANDLE h, HandleKind kind);
// The kind of a live handle; false when the handle is not live.
bool HandleKindOf(HANDLE h, HandleKind* kind);
// Takes one more reference (DuplicateHandle); returns the same handle value.
bool HandleAddRef(HANDLE h);
// Number of live handles, for leak checks in tests.
size_t HandleCount();

}  // namespace kw
