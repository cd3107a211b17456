#include "kw/handle_table.h"

#include <mutex>
#include <unordered_map>

#include "win/handle.h"

namespace kw {
namespace {

struct Entry {
  HandleKind kind;
  void* object;
  void (*close)(void*);
  uint32_t refs;
};

struct Table {
  std::mutex mu;
  std::unordered_map<uintptr_t, Entry> entries;
  uintptr_t next = 0x1000;  // handle values are multiples of 4, as on Windows
};

Table& T() {
  static Table* t = new Table;  // never destroyed: handles may close during exit
  return *t;
}

}  // namespace

HANDLE HandleCreate(HandleKind kind, void* object, void (*close)(void*)) {
  Table& t = T();
  std::lock_guard<std::mutex> lock(t.mu);
  uintptr_t v = t.next;
  t.next += 4;
  t.entries[v] = Entry{kind, object, close, 1};
  return reinterpret_cast<HANDLE>(v);
}

void* HandleGet(HANDLE h, HandleKind kind) {
  Table& t = T();
  std::lock_guard<std::mutex> lock(t.mu);
  auto it = t.entries.find(reinterpret_cast<uintptr_t>(h));
  if (it == t.entries.end() || it->second.kind != kind) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second.object;
}

bool HandleKindOf(HANDLE h, HandleKind* kind) {
  Table& t = T();
  std::lock_guard<std::mutex> lock(t.mu);
  auto it = t.entries.find(reinterpret_cast<uintptr_t>(h));
  if (it == t.entries.end()) return false;
  if (kind) *kind = it->second.kind;
  return true;
}

bool HandleAddRef(HANDLE h) {
  Table& t = T();
  std::lock_guard<std::mutex> lock(t.mu);
  auto it = t.entries.find(reinterpret_cast<uintptr_t>(h));
  if (it == t.entries.end()) return false;
  ++it->second.refs;
  return true;
}

size_t HandleCount() {
  Table& t = T();
  std::lock_guard<std::mutex> lock(t.mu);
  return t.entries.size();
}

}  // namespace kw

KW_API BOOL WINAPI CloseHandle(HANDLE h) {
  kw::Table& t = kw::T();
  void* object = nullptr;
  void (*close)(void*) = nullptr;
  {
    std::lock_guard<std::mutex> lock(t.mu);
    auto it = t.entries.find(reinterpret_cast<uintptr_t>(h));
    if (it == t.entries.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--it->second.refs > 0) return TRUE;
    object = it->second.object;
    close = it->second.close;
    t.entries.erase(it);
  }
  if (close) close(object);  // outside the table lock: closing may wait (threads)
  return TRUE;
}
