// Memory blocks. Every block carries a header in front of its bytes so that
// sizes are known and movable handles can be told apart from pointers.
#include "win/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "kw/hooks_memory.h"

namespace {

constexpr uint32_t kBlockMagic = 0x4B4D454D;   // fixed block
constexpr uint32_t kHandleMagic = 0x4B484E44;  // movable handle record

struct alignas(16) BlockHeader {
  uint32_t magic;
  uint32_t flags;
  size_t size;
  void* owner;  // movable handle record, or nullptr for fixed blocks
};

struct MovableRecord {
  uint32_t magic;
  uint32_t locks;
  void* data;  // points after a BlockHeader
};

std::atomic<uint64_t> g_allocs{0};
std::atomic<uint64_t> g_failAt{0};
std::atomic<bool> g_failSticky{false};
std::atomic<int64_t> g_live{0};

std::mutex g_movableMu;
std::unordered_set<MovableRecord*>* g_movables = new std::unordered_set<MovableRecord*>;

bool ShouldFail() {
  uint64_t n = ++g_allocs;
  uint64_t at = g_failAt.load();
  if (at == 0) return false;
  return g_failSticky ? n >= at : n == at;
}

BlockHeader* HeaderOf(const void* p) {
  if (!p) return nullptr;
  auto* h = reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(p)) - sizeof(BlockHeader));
  return h;
}

void* NewBlock(size_t bytes, uint32_t flags) {
  if (ShouldFail() || bytes > (SIZE_MAX / 2)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* h = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + (bytes ? bytes : 1)));
  if (!h) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  h->magic = kBlockMagic;
  h->flags = flags;
  h->size = bytes;
  h->owner = nullptr;
  ++g_live;
  return h + 1;
}

void FreeBlock(void* p) {
  BlockHeader* h = HeaderOf(p);
  h->magic = 0;
  std::free(h);
  --g_live;
}

void* ResizeBlock(void* p, size_t bytes) {
  if (ShouldFail() || bytes > (SIZE_MAX / 2)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  BlockHeader* h = HeaderOf(p);
  size_t old = h->size;
  auto* n = static_cast<BlockHeader*>(std::realloc(h, sizeof(BlockHeader) + (bytes ? bytes : 1)));
  if (!n) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (bytes > old) std::memset(reinterpret_cast<char*>(n + 1) + old, 0, bytes - old);
  n->size = bytes;
  return n + 1;
}

bool IsMovable(HANDLE hmem, MovableRecord** rec) {
  std::lock_guard<std::mutex> lock(g_movableMu);
  auto* r = static_cast<MovableRecord*>(hmem);
  if (g_movables->count(r) && r->magic == kHandleMagic) {
    *rec = r;
    return true;
  }
  return false;
}

bool IsBlock(const void* p) {
  BlockHeader* h = HeaderOf(p);
  return h && h->magic == kBlockMagic;
}

HANDLE AllocGeneric(UINT flags, SIZE_T bytes) {
  void* data = NewBlock(bytes, flags);
  if (!data) return nullptr;
  if (!(flags & GMEM_MOVEABLE)) return data;
  auto* rec = new MovableRecord{kHandleMagic, 0, data};
  HeaderOf(data)->owner = rec;
  std::lock_guard<std::mutex> lock(g_movableMu);
  g_movables->insert(rec);
  return rec;
}

HANDLE FreeGeneric(HANDLE mem) {
  if (!mem) return nullptr;
  MovableRecord* rec;
  if (IsMovable(mem, &rec)) {
    {
      std::lock_guard<std::mutex> lock(g_movableMu);
      g_movables->erase(rec);
    }
    if (rec->data) FreeBlock(rec->data);
    rec->magic = 0;
    delete rec;
    return nullptr;
  }
  if (IsBlock(mem) && HeaderOf(mem)->owner == nullptr) {
    FreeBlock(mem);
    return nullptr;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return mem;
}

LPVOID LockGeneric(HANDLE mem) {
  if (!mem) { SetLastError(ERROR_INVALID_HANDLE); return nullptr; }
  MovableRecord* rec;
  if (IsMovable(mem, &rec)) {
    ++rec->locks;
    return rec->data;
  }
  if (IsBlock(mem)) return mem;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

BOOL UnlockGeneric(HANDLE mem) {
  MovableRecord* rec;
  if (IsMovable(mem, &rec)) {
    if (rec->locks > 0) --rec->locks;
    if (rec->locks == 0) { SetLastError(NO_ERROR); return FALSE; }
    return TRUE;
  }
  return FALSE;  // fixed blocks are never locked
}

SIZE_T SizeGeneric(HANDLE mem) {
  MovableRecord* rec;
  if (IsMovable(mem, &rec)) return HeaderOf(rec->data)->size;
  if (IsBlock(mem)) return HeaderOf(mem)->size;
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

HANDLE ReAllocGeneric(HANDLE mem, SIZE_T bytes, UINT) {
  MovableRecord* rec;
  if (IsMovable(mem, &rec)) {
    void* n = ResizeBlock(rec->data, bytes);
    if (!n) return nullptr;
    rec->data = n;
    return rec;
  }
  if (IsBlock(mem)) return ResizeBlock(mem, bytes);
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

int g_processHeap;

}  // namespace

namespace kw::hooks {
void MemoryFailAt(uint64_t n, bool sticky) {
  g_failSticky = sticky;
  g_failAt = n ? g_allocs.load() + n : 0;
}
uint64_t MemoryAllocationCount() { return g_allocs.load(); }
size_t MemoryLiveBlocks() { return size_t(g_live.load()); }
}  // namespace kw::hooks

KW_API HANDLE WINAPI GetProcessHeap(void) { return &g_processHeap; }

KW_API LPVOID WINAPI HeapAlloc(HANDLE, DWORD flags, SIZE_T bytes) { return NewBlock(bytes, flags); }

KW_API LPVOID WINAPI HeapReAlloc(HANDLE, DWORD flags, LPVOID mem, SIZE_T bytes) {
  if (!IsBlock(mem)) { SetLastError(ERROR_INVALID_PARAMETER); return nullptr; }
  if (flags & HEAP_REALLOC_IN_PLACE_ONLY) {
    if (bytes <= HeaderOf(mem)->size) { HeaderOf(mem)->size = bytes; return mem; }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return ResizeBlock(mem, bytes);
}

KW_API BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID mem) {
  if (!mem) return TRUE;
  if (!IsBlock(mem) || HeaderOf(mem)->owner) { SetLastError(ERROR_INVALID_PARAMETER); return FALSE; }
  FreeBlock(mem);
  return TRUE;
}

KW_API SIZE_T WINAPI HeapSize(HANDLE, DWORD, LPCVOID mem) {
  if (!IsBlock(mem)) return SIZE_T(-1);
  return HeaderOf(mem)->size;
}

KW_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) { return AllocGeneric(flags, bytes); }
KW_API HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) { return ReAllocGeneric(mem, bytes, flags); }
KW_API HGLOBAL WINAPI GlobalFree(HGLOBAL mem) { return FreeGeneric(mem); }
KW_API LPVOID WINAPI GlobalLock(HGLOBAL mem) { return LockGeneric(mem); }
KW_API BOOL WINAPI GlobalUnlock(HGLOBAL mem) { return UnlockGeneric(mem); }
KW_API SIZE_T WINAPI GlobalSize(HGLOBAL mem) { return SizeGeneric(mem); }
KW_API HGLOBAL WINAPI GlobalHandle(LPCVOID mem) {
  if (!IsBlock(mem)) { SetLastError(ERROR_INVALID_HANDLE); return nullptr; }
  void* owner = HeaderOf(mem)->owner;
  return owner ? owner : const_cast<void*>(mem);
}

KW_API HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) { return AllocGeneric(flags, bytes); }
KW_API HLOCAL WINAPI LocalReAlloc(HLOCAL mem, SIZE_T bytes, UINT flags) { return ReAllocGeneric(mem, bytes, flags); }
KW_API HLOCAL WINAPI LocalFree(HLOCAL mem) { return FreeGeneric(mem); }
KW_API LPVOID WINAPI LocalLock(HLOCAL mem) { return LockGeneric(mem); }
KW_API BOOL WINAPI LocalUnlock(HLOCAL mem) { return UnlockGeneric(mem); }
KW_API SIZE_T WINAPI LocalSize(HLOCAL mem) { return SizeGeneric(mem); }
