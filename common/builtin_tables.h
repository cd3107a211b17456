// Constant tables of the driver that a model's lists index: paper sources,
// paper types, media and print qualities.
#pragma once
#include <cstddef>
#include <cstdint>

#include "windows.h"

namespace kadu {

// Source and paper-type records; the name is filled from the strings module
// at run time.
struct SourceRecord {
  uint16_t code;
  uint16_t displayString;
  WCHAR name[30];
};
static_assert(sizeof(SourceRecord) == 64);
static_assert(offsetof(SourceRecord, name) == 4);

inline constexpr size_t kSourceTableSize = 9;
inline constexpr size_t kPaperTypeTableSize = 12;
inline constexpr size_t kBuiltinMediaCount = 18;
inline constexpr size_t kQualityTableSize = 17;

// Source codes at or above this value in a model's source list address the
// paper-type list.
inline constexpr uint32_t kPaperTypeSourceBase = 256;
inline constexpr uint16_t kPaperTypeCodeBase = 512;

extern const SourceRecord kSourceTable[kSourceTableSize];
// Paper type n: code 512 + n, string 9800 + n.
SourceRecord PaperTypeRecord(size_t n);

struct MediaRow {
  uint16_t code;
  uint16_t displayString;
};
extern const MediaRow kBuiltinMedia[kBuiltinMediaCount];

struct QualityRow {
  uint16_t dpi;
  uint16_t code;  // resolution mode bits: 0x1 600x1200, 0x2 600x2400, 0x10 300, 0x20 fast 1200,
                  // 0x40 fast 1200x2400, 0x80 true 1200
};
extern const QualityRow kQualityTable[kQualityTableSize];

}  // namespace kadu
