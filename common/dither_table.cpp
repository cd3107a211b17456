#include "common/dither_table.h"

#include <algorithm>
#include <cstring>

namespace kadu {
namespace {

DitherTable MakeBuiltin() {
  DitherTable t{};
  t.cellWidth = 8;
  t.cellHeight = 8;
  for (int i = 0; i < 256; ++i) t.curve[i] = uint8_t(i);
  // Recursive 2 x 2 ordering (a dispersed-dot screen) spread over 1..255.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int v = 0;
      for (int bit = 2; bit >= 0; --bit) {
        int xb = (x >> bit) & 1, yb = (y >> bit) & 1;
        v = v * 4 + ((xb ^ yb) | (yb << 1));
      }
      t.thresholds[y * 8 + x] = uint8_t(v * 4 + 2);
    }
  }
  return t;
}

}  // namespace

int DitherIdOfSlot(int slot) {
  if (slot < 0 || slot >= int(kDitherTableCount)) return 0;
  return slot < 24 ? slot + 1 : slot - 24 + 31;
}

int DitherSlotOfId(int id) {
  if (id >= 1 && id <= 24) return id - 1;
  if (id >= 31 && id <= 48) return id - 31 + 24;
  return -1;
}

int ResolveMeshId(int id) {
  bool valid = (id >= 1 && id <= 5) || (id >= 7 && id <= 12) || (id >= 31 && id <= 39);
  return valid ? id : 6;
}

int ResolveLineId(int id) {
  bool valid = (id >= 13 && id <= 17) || (id >= 19 && id <= 24) || (id >= 40 && id <= 48);
  return valid ? id : 18;
}

bool DitherTableIsValid(const DitherTable& t) {
  return t.cellWidth >= 1 && t.cellHeight >= 1 && size_t(t.cellWidth) * t.cellHeight <= kDitherMatrixBytes;
}

const DitherTable& BuiltinDitherTable() {
  static const DitherTable t = MakeBuiltin();
  return t;
}

bool LoadDitherTables(const std::u16string& modulePath, DitherTable* tables) {
  HMODULE module = LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return false;
  for (size_t slot = 0; slot < kDitherTableCount; ++slot) {
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(DitherIdOfSlot(int(slot))), MAKEINTRESOURCEW(kDitherResourceType));
    if (!res) continue;  // the table keeps what it had
    DWORD size = SizeofResource(module, res);
    HGLOBAL data = LoadResource(module, res);
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes) continue;
    // A short resource leaves the rest of the table zero; validation decides
    // whether the table can be used.
    std::memset(&tables[slot], 0, sizeof(DitherTable));
    std::memcpy(&tables[slot], bytes, std::min<size_t>(size, sizeof(DitherTable)));
  }
  FreeLibrary(module);
  return true;
}

}  // namespace kadu
