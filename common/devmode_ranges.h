// The accepted values of every checked field of the DriverDevmode, stated
// once as a table: the merge applies it, the tests and the fuzz target check
// records against it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/devmode_record.h"

namespace kadu {

enum class RangeKind : uint8_t {
  Range,   // lo..hi, else the fallback
  Set,     // one of `set`, else the fallback
  Bits,    // no bit outside `lo` (the allowed bits), else the fallback
  Mask,    // masked to `lo`
  Clamp,   // brought into lo..hi
  Forced,  // always the fallback
  Rule,    // irregular, see RangeRule
};

// Fallbacks that come from the model's feature word.
enum class RangeFallback : uint8_t { Value, FontSubstitution, ReversePortrait, MKK };

enum class RangeRule : uint8_t {
  None,
  Dizaling,        // low byte 0..3 (else 1); high byte 0..5 or 0xFD..0xFF (else 0xFD)
  Staging,         // low byte 0..3 (else (v & 0xFF01) | 1); high byte 0 or 1 (else cleared)
  WatermarkFlags,  // 0, 1 or any value with 0x2 (else 0, and the watermark key emptied)
  Flag452,         // 0 at 600 dpi and more; else 0 or 1 (else 0)
  ColorModeFlag,   // 0 on Monochrome models; else 0 or 1 (else 1)
  BlackFinish,     // checked as 0 or 1 (else 1); the normaliser may then write 2
  UserDefPaper,    // 0 when the model's paper list has no paper 264 (a user paper may then set 1)
  CustomSize,      // inside the custom size limits in effect (clamped); never 0
  FitSize,         // never 0 (0 becomes the default paper's size)
  PrintQuality,    // 300, 600, 1200 or -4..-1
};

struct FieldRange {
  const char* name;
  uint16_t offset;   // from the start of the record
  uint8_t width;     // 2 or 4 bytes
  bool isSigned;
  bool merged;       // applied by the merge's pass over the private block (else by a step of its own)
  RangeKind kind;
  int64_t lo, hi;    // Range, Clamp; Bits and Mask: lo is the mask
  int64_t fallback;
  RangeFallback from;
  RangeRule rule;
  uint8_t setCount;
  int64_t set[8];
  bool length;       // CustomSize and FitSize: the length (else the width)
};

// What some of the ranges depend on.
struct RangeContext {
  uint32_t features = 0;     // the model's feature word
  bool paperList264 = false; // the model's paper list has paper 264
  int resolution = 600;      // dpi of the record's print quality
  int16_t limits[8] = {};    // custom size limits in effect (SizeLimit order)
  int defaultWidth = 0;      // the model's default paper, 0.1 mm
  int defaultLength = 0;
};

// The table, in offset order.
const FieldRange* DevmodeFieldRanges(size_t* count);
// The row of a field name, or null.
const FieldRange* DevmodeFieldRange(const char* name);

// A field's value, sign- or zero-extended by its width.
int64_t DevmodeReadField(const DriverDevmode& dm, const FieldRange& f);
void DevmodeWriteField(DriverDevmode* dm, const FieldRange& f, int64_t value);

// The value the record keeps for `v`.
int64_t DevmodeFieldNormalize(const FieldRange& f, int64_t v, const RangeContext& ctx);
// Whether `v` lies inside the field's accepted range.
bool DevmodeFieldAccepts(const FieldRange& f, int64_t v, const RangeContext& ctx);

// Applies every row marked `merged` to the record.
void ApplyDevmodeRanges(DriverDevmode* dm, const RangeContext& ctx);

}  // namespace kadu
