// The common paper table (InitDataFile2): up to 64 paper records shared by
// every model; a model's paper lists hold indexes into it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "windows.h"

namespace kadu {

inline constexpr size_t kPaperTableCapacity = 64;

// Six words describing the printable area for one orientation, all in dots at
// 300 dpi (see docs/model-data.md).
enum PrintableWord { kPrintableWidth, kPrintableLength, kOffsetLeft, kOffsetTop, kLogicalPageOffset, kEdgeAllowance };

struct PaperRecord {
  uint16_t code;             // DMPAPER value or a driver code of 256 and more
  uint16_t displayString;    // from the paper-kind table
  WCHAR name[64];            // replaced by the strings module's text at run time
  uint16_t shortString;      // from the paper-kind table
  uint16_t nameFormat;       // bit 0x1: name has placeholders for width and length
  uint32_t paperClass;       // "AllPaper" element 4
  uint16_t widthDots;        // at 300 dpi
  uint16_t lengthDots;
  uint16_t portrait[6];      // PrintableWord order
  uint8_t zero156[6];
  uint16_t landscape[6];
  uint8_t zero174[6];
  uint16_t widthTenths;      // 0.1 mm; 0 when "AllPaper_mmSize" has no key
  uint16_t lengthTenths;
};
static_assert(sizeof(PaperRecord) == 184);
static_assert(offsetof(PaperRecord, name) == 4);
static_assert(offsetof(PaperRecord, shortString) == 132);
static_assert(offsetof(PaperRecord, nameFormat) == 134);
static_assert(offsetof(PaperRecord, paperClass) == 136);
static_assert(offsetof(PaperRecord, widthDots) == 140);
static_assert(offsetof(PaperRecord, lengthDots) == 142);
static_assert(offsetof(PaperRecord, portrait) == 144);
static_assert(offsetof(PaperRecord, landscape) == 162);
static_assert(offsetof(PaperRecord, widthTenths) == 180);
static_assert(offsetof(PaperRecord, lengthTenths) == 182);

struct PaperKindRow {
  uint16_t code;
  uint16_t displayString;
  uint16_t shortString;
};
// The paper-kind row of a code: the first match, else the first row.
const PaperKindRow& PaperKindOf(uint16_t code);

// Reads the table from the paper table file; returns the number of records
// (reading stops at the first key without an "AllPaper" value). Rows from
// the count on are zero.
int ReadPaperTable(const std::u16string& file, PaperRecord* rows);
// Number of leading records that were read (a read record always has its
// display string), for a table taken from a cache.
int CountPaperRecords(const PaperRecord* rows);
// Size in 0.1 mm: the millimetre words, or the dots converted when both are 0.
void PaperSizeTenths(const PaperRecord& r, int* width, int* length);

}  // namespace kadu
