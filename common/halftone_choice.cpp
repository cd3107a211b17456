#include "common/halftone_choice.h"

#include "common/model_accessors.h"
#include "common/model_store.h"

namespace kadu {

int HalftoneEntryIndex(int resolution, int subMode, uint16_t dizaling) {
  int i;
  switch (dizaling >> 8) {
    case 0xFD: i = 0; break;
    case 0xFE: i = 1; break;
    case 0xFF: i = 2; break;
    default: i = resolution <= 300 ? 1 : 0; break;
  }
  if (resolution == 75 || resolution == 150 || resolution == 300) return i;
  if (resolution == 1200) return i + ((subMode & kSubMode600x2400) ? 9 : 6);
  return i + 3;
}

const DitherTable& ChooseHalftoneTable(const WCHAR* driverName, int resolution, int subMode, uint16_t dizaling) {
  const ModelRecord* rec = FindModelRecord(driverName);
  const ModelInfo& info = rec ? rec->info : BuiltinModelRecord().info;
  int i = HalftoneEntryIndex(resolution, subMode, dizaling);
  bool line = (dizaling & 0xFF) == 3;
  int id = line ? ResolveLineId(info.lineIds[i]) : ResolveMeshId(info.meshIds[i]);
  return DitherTableOfSlot(DitherSlotOfId(id));
}

}  // namespace kadu
