// The spool output stream. Invariants between calls: blockCount < 4096, and
// while staging is on, stagingCount < stagingLimit <= stagingSize.
#include "render/core/spool_stream.h"

#include <cstring>

#include "render/core/pdev.h"

namespace {

SpoolStream& S(PDEV* pdev) { return pdev->stream; }

BOOL HandToSpooler(PDEV* pdev, const BYTE* bytes, DWORD count) {
  DWORD taken = 0;
  if (!WritePrinter(pdev->hPrinter, const_cast<BYTE*>(bytes), count, &taken)) {
    // Sticky: nothing more goes out for this PDEV.
    pdev->flags |= PDEV_WRITE_ERROR;
    S(pdev).blockCount = 0;
    return FALSE;
  }
  S(pdev).blockCount = 0;
  return TRUE;
}

// The block path: fills the block and sends each full block. A whole block
// of the caller's bytes goes out from where it is, without the copy; the
// spooler sees the same 4096-byte calls either way.
BOOL BlockWrite(PDEV* pdev, const BYTE* bytes, DWORD count) {
  SpoolStream& s = S(pdev);
  if (!s.block || (pdev->flags & PDEV_WRITE_ERROR)) return FALSE;
  while (count > 0) {
    if (s.blockCount == 0 && count >= kSpoolBlockSize) {
      if (!HandToSpooler(pdev, bytes, kSpoolBlockSize)) return FALSE;
      bytes += kSpoolBlockSize;
      count -= kSpoolBlockSize;
      continue;
    }
    DWORD room = kSpoolBlockSize - s.blockCount;
    if (room > count) {
      std::memcpy(s.block + s.blockCount, bytes, count);
      s.blockCount += count;
      return TRUE;
    }
    std::memcpy(s.block + s.blockCount, bytes, room);
    if (!HandToSpooler(pdev, s.block, kSpoolBlockSize)) return FALSE;
    bytes += room;
    count -= room;
  }
  return TRUE;
}

// Passes the staged bytes through the block path and empties the staging buffer.
BOOL DrainStaging(PDEV* pdev) {
  SpoolStream& s = S(pdev);
  if (s.stagingCount == 0) return TRUE;
  if (!BlockWrite(pdev, s.staging, s.stagingCount)) return FALSE;
  s.stagingCount = 0;
  return TRUE;
}

// The staged path. At 600 dpi and more a page that outgrows the printer's
// memory fails here, so that the page code can render it again at half the
// resolution. Below 600 dpi there is nothing to fall back to: staged bytes
// go out and the page carries on; a single write larger than the whole limit
// goes straight through.
BOOL StagedWrite(PDEV* pdev, const BYTE* bytes, DWORD count) {
  SpoolStream& s = S(pdev);
  for (;;) {
    if (ULONGLONG(s.stagingCount) + count < s.stagingLimit) {
      std::memcpy(s.staging + s.stagingCount, bytes, count);
      s.stagingCount += count;
      return TRUE;
    }
    if (PdevYResolution(pdev) >= 600) return FALSE;
    if (s.stagingCount == 0) return BlockWrite(pdev, bytes, count);
    if (!DrainStaging(pdev)) return FALSE;
  }
}

}  // namespace

void SpoolInit(PDEV* pdev) { S(pdev) = SpoolStream{}; }

BOOL SpoolAllocBlock(PDEV* pdev) {
  SpoolStream& s = S(pdev);
  if (!s.block) s.block = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kSpoolBlockSize));
  s.blockCount = 0;
  return s.block != nullptr;
}

void SpoolFreeBuffers(PDEV* pdev) {
  SpoolStream& s = S(pdev);
  if (s.block) HeapFree(GetProcessHeap(), 0, s.block);
  if (s.staging) HeapFree(GetProcessHeap(), 0, s.staging);
  s.block = s.staging = nullptr;
  s.blockCount = s.stagingCount = s.stagingSize = 0;
  pdev->flags &= ~DWORD(PDEV_STAGING);
}

void SpoolSetStagingLimit(PDEV* pdev, DWORD memoryKB) { S(pdev).stagingLimit = ULONGLONG(memoryKB) * 1024; }

BOOL SpoolStartStaging(PDEV* pdev) {
  SpoolStream& s = S(pdev);
  if (pdev->flags & PDEV_STAGING) return TRUE;
  // Computed wide: a buffer whose size wrapped around would be smaller than
  // the limit that the staged path trusts. Counts are 32-bit, so is the size.
  ULONGLONG size = s.stagingLimit + s.stagingLimit / 10 + 1024;
  if (s.stagingLimit == 0 || size > 0xFFFFFFFFull) return FALSE;
  s.staging = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, SIZE_T(size)));
  if (!s.staging) return FALSE;
  s.stagingSize = DWORD(size);
  s.stagingCount = 0;
  pdev->flags |= PDEV_STAGING;
  return TRUE;
}

void SpoolDiscardPage(PDEV* pdev) {
  S(pdev).blockCount = 0;
  S(pdev).stagingCount = 0;
}

BOOL SpoolWrite(PDEV* pdev, const void* bytes, INT count, DWORD* written) {
  if (!written) return FALSE;
  *written = 0;
  if (!pdev || (pdev->flags & PDEV_WRITE_ERROR)) return FALSE;
  if (count == 0) return TRUE;
  if (!bytes || count < 0) return FALSE;
  const BYTE* b = static_cast<const BYTE*>(bytes);
  BOOL ok = (pdev->flags & PDEV_STAGING) && S(pdev).staging ? StagedWrite(pdev, b, DWORD(count))
                                                             : BlockWrite(pdev, b, DWORD(count));
  if (ok) *written = DWORD(count);
  return ok;
}

BOOL SpoolFlush(PDEV* pdev) {
  if (!pdev || (pdev->flags & PDEV_WRITE_ERROR)) return FALSE;
  SpoolStream& s = S(pdev);
  if ((pdev->flags & PDEV_STAGING) && s.staging && !DrainStaging(pdev)) return FALSE;
  if (s.blockCount > 0 && !HandToSpooler(pdev, s.block, s.blockCount)) return FALSE;
  return TRUE;
}
