// DrvEscape: the copy count and pass-through escapes applications use, and
// the private escapes through which the interface library hands over job
// data.
#include <cstring>

#include "render/core/hook_impl.h"
#include "render/core/pdev.h"
#include "render/core/spool_stream.h"
#include "render/text/escape_stores.h"
#include "render/vector/vector_device.h"

namespace {

constexpr ULONG kSupported[] = {8,     10000, 10001, 10100, 11000, 11020, 11021, 17,    19,   11001, 11010,
                                11011, 11012, 11023, 11024, 11050, 11101, 11102, 11103, 10200, 11100};

bool Supported(ULONG esc) {
  for (ULONG s : kSupported)
    if (s == esc) return true;
  return false;
}

void FreeBlock(EscapeBlock& b) {
  if (b.bytes) HeapFree(GetProcessHeap(), 0, b.bytes);
  b = EscapeBlock{};
}

// Replaces a block with a zero-filled copy; `extra` zero bytes keep texts
// terminated. Without memory the store stays empty.
ULONG StoreBlock(EscapeBlock& b, ULONG cjIn, const void* pvIn, DWORD extra) {
  if (!pvIn || !cjIn) return 0;
  FreeBlock(b);
  auto* copy = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size_t(cjIn) + extra));
  if (!copy) return 0;
  std::memcpy(copy, pvIn, cjIn);
  b.bytes = copy;
  b.size = cjIn;
  return 1;
}

ULONG CopyCount(PDEV* p, ULONG cjIn, const void* pvIn, ULONG cjOut, void* pvOut) {
  if (!pvIn || cjIn < sizeof(DWORD)) return 0;
  LONG n;
  std::memcpy(&n, pvIn, sizeof(n));
  p->copyCount = n < 1 ? 1 : n > 99 ? 99 : DWORD(n);
  if (pvOut && cjOut >= sizeof(DWORD)) std::memcpy(pvOut, &p->copyCount, sizeof(DWORD));
  return 1;
}

ULONG PassThrough(PDEV* p, ULONG cjIn, const void* pvIn) {
  if (!pvIn || cjIn < 2) return 0;
  WORD n;
  std::memcpy(&n, pvIn, sizeof(n));
  if (cjIn < ULONG(n) + 2) return 0;
  DWORD written = 0;
  if (n && !SpoolWrite(p, static_cast<const BYTE*>(pvIn) + 2, INT(n), &written)) return 0;
  return 1;
}

ULONG JobName(PDEV* p, ULONG cjIn, const void* pvIn) {
  if (!pvIn || !cjIn) return 0;
  size_t n = cjIn < kStoredJobNameSize - 1 ? cjIn : kStoredJobNameSize - 1;
  std::memset(p->storedJobName, 0, sizeof(p->storedJobName));
  std::memcpy(p->storedJobName, pvIn, n);
  return 1;
}

ULONG JobHeaderBlock(PDEV* p, ULONG cjIn, const void* pvIn) {
  p->jobHeaderBlockSize = 0;
  if (!pvIn || !cjIn) return 0;
  // Raw PJL lines by design; only bounded.
  DWORD n = cjIn < kJobHeaderBlockSize ? DWORD(cjIn) : DWORD(kJobHeaderBlockSize);
  std::memcpy(p->jobHeaderBlock, pvIn, n);
  p->jobHeaderBlockSize = n;
  return 1;
}

ULONG Overlay(PDEV* p, ULONG cjIn, const void* pvIn) {
  EscapeStores& e = p->escapes;
  if (!pvIn || !cjIn || e.overlayCount >= kMaxOverlayRecords) return 0;
  BYTE* rec = e.overlays[e.overlayCount];
  std::memset(rec, 0, kOverlayRecordSize);
  std::memcpy(rec, pvIn, cjIn < kOverlayRecordSize ? cjIn : kOverlayRecordSize);
  e.overlayCount++;
  return 1;
}

void PutString(BYTE* out, size_t offset, const WCHAR* s, size_t chars) {
  size_t n = 0;
  while (n < chars - 1 && s[n]) ++n;
  std::memcpy(out + offset, s, (n + 1) * sizeof(WCHAR));
}

template <typename T>
void Put(BYTE* out, size_t offset, T value) {
  std::memcpy(out + offset, &value, sizeof(value));
}

constexpr size_t kWatermarkRecordSize = 488;

ULONG Watermark(PDEV* p, ULONG cjIn, const void* pvIn, ULONG cjOut, void* pvOut) {
  kadu::PrivateDevmode& d = p->devmode.priv;
  if (pvIn && cjIn >= sizeof(WCHAR)) {
    constexpr size_t cap = sizeof(d.szWatermarkText) / sizeof(WCHAR);
    size_t n = cjIn / sizeof(WCHAR);
    if (n > cap - 1) n = cap - 1;
    WCHAR text[cap] = {};
    std::memcpy(text, pvIn, n * sizeof(WCHAR));
    size_t len = 0;
    while (len < n && text[len]) ++len;
    std::memset(d.szWatermarkText, 0, sizeof(d.szWatermarkText));
    std::memcpy(d.szWatermarkText, text, len * sizeof(WCHAR));
  }
  if (pvOut && cjOut >= kWatermarkRecordSize) {
    auto* out = static_cast<BYTE*>(pvOut);
    Put<uint16_t>(out, 8, d.wWatermarkSize);
    Put<int16_t>(out, 10, d.wWatermarkAngle);
    Put<uint32_t>(out, 12, d.dwWatermarkColor);
    Put<int32_t>(out, 16, d.wWatermarkX);
    Put<int32_t>(out, 20, d.wWatermarkY);
    PutString(out, 24, d.szWatermarkId, sizeof(d.szWatermarkId) / sizeof(WCHAR));
    PutString(out, 152, d.szWatermarkFace, sizeof(d.szWatermarkFace) / sizeof(WCHAR));
    PutString(out, 216, d.szWatermarkReserved, sizeof(d.szWatermarkReserved) / sizeof(WCHAR));
    PutString(out, 280, d.szWatermarkText, sizeof(d.szWatermarkText) / sizeof(WCHAR));
    Put<int32_t>(out, 408, d.dwWatermarkWeight);
    Put<uint8_t>(out, 412, uint8_t(d.wWatermarkItalic));
    Put<uint8_t>(out, 413, uint8_t(d.wWatermarkCharSet));
    Put<int16_t>(out, 484, d.wWatermarkAnchor);
    Put<int16_t>(out, 486, d.wWatermarkFrame);
  }
  return ULONG(LONG(int16_t(d.wWatermarkFlags)));
}

}  // namespace

void EscapeStoresRelease(PDEV* p) {
  for (EscapeBlock& b : p->escapes.blocks) FreeBlock(b);
  p->escapes.fontSubstitutionEntries = 0;
  p->escapes.overlayCount = 0;
}

void EscapeStoresCarry(PDEV* to, PDEV* from) {
  EscapeStoresRelease(to);
  to->escapes = from->escapes;
  for (EscapeBlock& b : from->escapes.blocks) b = EscapeBlock{};
  from->escapes.fontSubstitutionEntries = 0;
  from->escapes.overlayCount = 0;
}

ULONG ImplEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
  if (iEsc == QUERYESCSUPPORT) {
    if (!pvIn || cjIn < sizeof(WORD)) return 0;
    WORD asked;
    std::memcpy(&asked, pvIn, sizeof(asked));
    return Supported(asked) ? 1 : 0;
  }
  if (!Supported(iEsc)) return 0;
  PDEV* p = PdevFromSurface(pso);
  if (!p) return 0;
  EscapeStores& e = p->escapes;
  switch (iEsc) {
    case 17: return CopyCount(p, cjIn, pvIn, cjOut, pvOut);
    case 19: return PassThrough(p, cjIn, pvIn);
    case 10000: VectorSetMergeOverride(p, TRUE); return 1;
    case 10001: VectorSetMergeOverride(p, FALSE); return 1;
    case 10100:
      if (!StoreBlock(e.blocks[kFontSubstitution], cjIn, pvIn, 0)) return 0;
      e.fontSubstitutionEntries = cjIn / kFontSubstitutionEntrySize;
      return 1;
    case 10200:
      if (!pvIn || cjIn != sizeof(OSVERSIONINFOA)) return 0;
      std::memcpy(&p->osVersion, pvIn, sizeof(OSVERSIONINFOA));
      return 1;
    case 11000: return JobName(p, cjIn, pvIn);
    case 11001: return StoreBlock(e.blocks[kOutputPath], cjIn, pvIn, 2);
    case 11010: return Overlay(p, cjIn, pvIn);
    case 11011: return StoreBlock(e.blocks[kDataBlock1], cjIn, pvIn, 0);
    case 11012: return StoreBlock(e.blocks[kDataBlock2], cjIn, pvIn, 0);
    case 11020: case 11021: return 0;
    case 11023:
      if (!pvOut || cjOut < sizeof(DWORD)) return 0;
      std::memcpy(pvOut, &p->page.jobId, sizeof(DWORD));
      return 1;
    case 11024: return StoreBlock(e.blocks[kEscapeText], cjIn, pvIn, 2);
    case 11050: return JobHeaderBlock(p, cjIn, pvIn);
    case 11100: e.paperUnit = WORD(cjIn); return 1;
    case 11101: p->devmode.priv.wUserDefPaper = WORD(cjIn); return 1;
    case 11102: return Watermark(p, cjIn, pvIn, cjOut, pvOut);
    case 11103:
      FreeBlock(e.blocks[kDataBlock3]);
      return StoreBlock(e.blocks[kDataBlock3], cjIn, pvIn, 0);
    default: return 0;
  }
}
