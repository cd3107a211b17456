// Fault injection and inspection for the file area.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "file_internal.h"
#include "kw/hooks_file.h"

namespace kw::file {
namespace {

struct Faults {
  std::mutex mu;
  uint64_t opens = 0;
  uint64_t failAt = 0;
  bool failSticky = false;
  DWORD failError = ERROR_ACCESS_DENIED;
  std::u16string failPattern;
  DWORD failPatternError = ERROR_ACCESS_DENIED;
  uint64_t diskLeft = UINT64_MAX;
};

Faults& F() {
  static Faults* f = new Faults;
  return *f;
}

std::atomic<int64_t> g_liveHandles{0};

}  // namespace

bool OpenShouldFail(std::u16string_view fullPath, DWORD* code) {
  Faults& f = F();
  std::lock_guard<std::mutex> lock(f.mu);
  uint64_t n = ++f.opens;
  if (f.failAt != 0 && (f.failSticky ? n >= f.failAt : n == f.failAt)) {
    *code = f.failError;
    return true;
  }
  if (!f.failPattern.empty() && WildcardMatch(f.failPattern, fullPath)) {
    *code = f.failPatternError;
    return true;
  }
  return false;
}

size_t DiskAllow(size_t want) {
  Faults& f = F();
  std::lock_guard<std::mutex> lock(f.mu);
  if (f.diskLeft == UINT64_MAX) return want;
  size_t allowed = want < f.diskLeft ? want : size_t(f.diskLeft);
  f.diskLeft -= allowed;
  return allowed;
}

void NoteHandleOpened() { ++g_liveHandles; }
void NoteHandleClosed() { --g_liveHandles; }

}  // namespace kw::file

namespace kw::hooks {

void FileFailOpenAt(uint64_t n, bool sticky, DWORD error) {
  auto& f = kw::file::F();
  std::lock_guard<std::mutex> lock(f.mu);
  f.failAt = n == 0 ? 0 : f.opens + n;
  f.failSticky = sticky;
  f.failError = error;
}

void FileFailOpenMatching(const std::u16string& pattern, DWORD error) {
  auto& f = kw::file::F();
  std::lock_guard<std::mutex> lock(f.mu);
  f.failPattern = pattern;
  f.failPatternError = error;
}

void FileDiskFullAfter(uint64_t bytes) {
  auto& f = kw::file::F();
  std::lock_guard<std::mutex> lock(f.mu);
  f.diskLeft = bytes;
}

void FileResetFaults() {
  FileFailOpenAt(0);
  FileFailOpenMatching(u"");
  FileDiskFullAfter(UINT64_MAX);
}

uint64_t FileOpenCount() {
  auto& f = kw::file::F();
  std::lock_guard<std::mutex> lock(f.mu);
  return f.opens;
}

size_t FileLiveHandles() { return size_t(kw::file::g_liveHandles.load()); }

}  // namespace kw::hooks
