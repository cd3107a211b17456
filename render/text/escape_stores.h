// What the interface library hands the renderer through private escapes and
// the renderer only keeps (or uses later): blocks, overlay records and the
// paper unit. The job name, job header block, OS version record and copy
// count live with the job framing members of the PDEV.
#pragma once
#include "windows.h"

enum EscapeBlockKind {
  kFontSubstitution,  // 68-byte entries
  kOutputPath,        // UTF-16, zero-terminated
  kDataBlock1,
  kDataBlock2,
  kEscapeText,        // UTF-16, zero-terminated
  kDataBlock3,
  kEscapeBlockCount
};

constexpr size_t kFontSubstitutionEntrySize = 68;
constexpr size_t kOverlayRecordSize = 140;
constexpr size_t kMaxOverlayRecords = 4;

struct EscapeBlock {
  BYTE* bytes;  // zero-filled heap copy; null when empty
  DWORD size;
};

struct EscapeStores {
  EscapeBlock blocks[kEscapeBlockCount];
  DWORD fontSubstitutionEntries;
  BYTE overlays[kMaxOverlayRecords][kOverlayRecordSize];
  DWORD overlayCount;
  WORD paperUnit;  // 0 millimetres, 1 inch
};

struct PDEV;

void EscapeStoresRelease(PDEV* pdev);
// DrvResetPDEV: the stores move to the new PDEV with their ownership.
void EscapeStoresCarry(PDEV* to, PDEV* from);
