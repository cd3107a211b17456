// Halftone (dither) tables: 42 records of 2308 bytes from the dither table
// module (InitDataFile1), resource type 263, identifiers 1-24 and 31-48.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "windows.h"

namespace kadu {

inline constexpr size_t kDitherTableCount = 42;
inline constexpr size_t kDitherMatrixBytes = 2048;
inline constexpr WORD kDitherResourceType = 263;

struct DitherTable {
  uint16_t cellWidth;
  uint16_t cellHeight;
  uint8_t curve[256];                      // transfer curve
  uint8_t thresholds[kDitherMatrixBytes];  // cellWidth x cellHeight, row by row
};
static_assert(sizeof(DitherTable) == 2308);
static_assert(offsetof(DitherTable, curve) == 4);
static_assert(offsetof(DitherTable, thresholds) == 260);

// Resource identifier of table slot 0..41, and the slot of an identifier (-1
// for an identifier that names no table).
int DitherIdOfSlot(int slot);
int DitherSlotOfId(int id);
// Identifiers outside the valid mesh (1-5, 7-12, 31-39) or line (13-17,
// 19-24, 40-48) sets select table 6 or 18.
int ResolveMeshId(int id);
int ResolveLineId(int id);

// A table is usable when its cell is at least 1 x 1 and fits the matrix.
bool DitherTableIsValid(const DitherTable& t);
// The table used in place of an unusable one: an 8 x 8 dispersed screen with
// a straight transfer curve.
const DitherTable& BuiltinDitherTable();

// Loads every table whose resource exists from the module; tables without a
// resource keep their contents. False when the module cannot be loaded.
bool LoadDitherTables(const std::u16string& modulePath, DitherTable* tables);

}  // namespace kadu
