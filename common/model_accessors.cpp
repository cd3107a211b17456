#include "common/model_accessors.h"

#include <algorithm>

#include "common/builtin_tables.h"
#include "common/model_store.h"
#include "common/user_paper.h"

namespace kadu {
namespace {

bool InList(int index, int count) { return index >= 0 && index < count; }

int PaperListCount(const ModelInfo& info) {
  int n = info.paper.count;
  return n < 0 ? 0 : (n > int(kPaperListCapacity) ? int(kPaperListCapacity) : n);
}

int ShortCount(const ShortList& l) {
  int n = l.count;
  return n < 0 ? 0 : (n > int(kShortListCapacity) ? int(kShortListCapacity) : n);
}

// The paper table index of a list entry, or -1.
int TableIndexAt(const ModelInfo& info, int index) {
  if (!InList(index, PaperListCount(info))) return -1;
  uint32_t t = info.paper.items[index];
  return t < uint32_t(PaperTableCount()) ? int(t) : -1;
}

// A list index that names a paper table row: the index itself, else the
// default paper; -1 when neither does.
int UsableIndex(const ModelInfo& info, int index) {
  if (TableIndexAt(info, index) >= 0) return index;
  int d = DefaultPaperIndex(info);
  return TableIndexAt(info, d) >= 0 ? d : -1;
}

bool SourceCodeOfElement(const ModelInfo& info, uint32_t e, int* code) {
  if (e < kSourceTableSize) {
    *code = kSourceTable[e].code;
    return true;
  }
  if (e < kPaperTypeSourceBase) return false;
  int pt = int(e - kPaperTypeSourceBase);
  if (!InList(pt, ShortCount(info.paperType)) || info.paperType.items[pt] >= kPaperTypeTableSize) return false;
  *code = kPaperTypeCodeBase + int(info.paperType.items[pt]);
  return true;
}

int MediaTableIndexAt(const ModelInfo& info, int index) {
  const ModelRecord& rec = RecordOfInfo(info);
  int count = ShortCount(info.media);
  if (!InList(index, count)) index = info.media.order;
  if (!InList(index, count)) index = 0;
  if (!InList(index, count)) return -1;
  uint32_t t = info.media.items[index];
  int tableCount = rec.mediaCount < 0 ? 0 : std::min<int>(rec.mediaCount, kMediaTableCapacity);
  return t < uint32_t(tableCount) ? int(t) : -1;
}

}  // namespace

const ModelRecord& RecordOfInfo(const ModelInfo& info) {
  if (const ModelRecord* r = StoreRecordContaining(&info)) return *r;
  if (const ModelRecord* r = FindModelRecord(info.driverName)) return *r;
  return BuiltinModelRecord();
}

int DefaultPaperIndex(const ModelInfo& info) {
  int order = info.paper.order;
  return InList(order, PaperListCount(info)) ? order : 0;
}

int PaperIndexOfCode(const ModelInfo& info, int code) {
  const PaperRecord* rows = PaperTableRows();
  for (int i = 0; i < PaperListCount(info); ++i) {
    int t = TableIndexAt(info, i);
    if (t >= 0 && rows[t].code == code) return i;
  }
  UserPaperEntry e;
  if (code > 276 && FindUserPaper(code, &e) && WithinCustomLimits(info, e.width, e.length)) return -2;
  return -1;
}

int PaperCodeAt(const ModelInfo& info, int index) {
  int t = TableIndexAt(info, index);
  return t < 0 ? 0 : PaperTableRows()[t].code;
}

const PaperRecord* PaperRecordAt(const ModelInfo& info, int index) {
  int i = UsableIndex(info, index);
  return i < 0 ? nullptr : &PaperTableRows()[TableIndexAt(info, i)];
}

void PaperSizeAt(const ModelInfo& info, int index, int* width, int* length) {
  *width = *length = 0;
  int t = TableIndexAt(info, index);
  if (t >= 0) PaperSizeTenths(PaperTableRows()[t], width, length);
}

uint32_t PaperFlagsAt(const ModelInfo& info, int index) {
  int i = UsableIndex(info, index);
  if (i < 0) return 0;
  return RecordOfInfo(info).paperMasks[TableIndexAt(info, i)];
}

const uint16_t* PrintableAreaAt(const ModelInfo& info, int index, int orientation) {
  const PaperRecord* r = PaperRecordAt(info, index);
  if (!r) return nullptr;
  return orientation == 1 ? r->portrait : r->landscape;
}

int DuplexPaperOfCode(const ModelInfo& info, int code, bool manual) {
  int lookup = code > 276 ? 256 : code;
  int index = -1;
  for (int i = 0; i < PaperListCount(info) && index < 0; ++i)
    if (PaperCodeAt(info, i) == lookup) index = i;
  uint32_t bit = manual ? 0x400 : 0x100;
  if (PaperFlagsAt(info, index) & bit) return code;
  return PaperCodeAt(info, DefaultPaperIndex(info));
}

int SourceIndexOfCode(const ModelInfo& info, int code) {
  for (int i = 0; i < ShortCount(info.source); ++i) {
    int c;
    if (SourceCodeOfElement(info, info.source.items[i], &c) && c == code) return i;
  }
  return -1;
}

int PaperTypeIndexOfCode(const ModelInfo& info, int code) {
  for (int i = 0; i < ShortCount(info.paperType); ++i)
    if (info.paperType.items[i] < kPaperTypeTableSize && kPaperTypeCodeBase + int(info.paperType.items[i]) == code)
      return i;
  return -1;
}

bool SourceCodeOfListIndex(const ModelInfo& info, int index, int* code) {
  if (index >= int(kPaperTypeSourceBase)) return SourceCodeOfElement(info, uint32_t(index), code);
  if (!InList(index, ShortCount(info.source))) return false;
  return SourceCodeOfElement(info, info.source.items[index], code);
}

int SourceCodeAt(const ModelInfo& info, int index) {
  int code;
  if (InList(index, ShortCount(info.source)) && SourceCodeOfElement(info, info.source.items[index], &code))
    return code;
  return DefaultSourceCode(info);
}

int DefaultSourceCode(const ModelInfo& info) {
  int code;
  if (info.source.order == -1) {
    int pt = info.paperType.order;
    if (InList(pt, ShortCount(info.paperType)) && info.paperType.items[pt] < kPaperTypeTableSize)
      return kPaperTypeCodeBase + int(info.paperType.items[pt]);
  } else if (InList(info.source.order, ShortCount(info.source)) &&
             SourceCodeOfElement(info, info.source.items[info.source.order], &code)) {
    return code;
  }
  if (ShortCount(info.source) > 0 && SourceCodeOfElement(info, info.source.items[0], &code)) return code;
  return kSourceTable[0].code;
}

int MediaIndexOfCode(const ModelInfo& info, int code) {
  const ModelRecord& rec = RecordOfInfo(info);
  for (int i = 0; i < ShortCount(info.media); ++i) {
    uint32_t t = info.media.items[i];
    if (t < uint32_t(std::min<int>(std::max<int>(rec.mediaCount, 0), kMediaTableCapacity)) &&
        rec.mediaTable[t].code == code)
      return i;
  }
  return -1;
}

int MediaCodeAt(const ModelInfo& info, int index) {
  int t = MediaTableIndexAt(info, index);
  return t < 0 ? 0 : RecordOfInfo(info).mediaTable[t].code;
}

uint32_t MediaMaskAt(const ModelInfo& info, int index) {
  int t = MediaTableIndexAt(info, index);
  return t < 0 ? 0 : RecordOfInfo(info).mediaTable[t].mask;
}

int MediaStringAt(const ModelInfo& info, int index) {
  int t = MediaTableIndexAt(info, index);
  return t < 0 ? 0 : RecordOfInfo(info).mediaTable[t].displayString;
}

void CustomSizeLimits(const ModelInfo& info, int16_t limits[8]) {
  const ModelRecord& rec = RecordOfInfo(info);
  bool finisher = (info.features & kA3Printer) && (info.finisherType & kFinisherInstalled);
  const int16_t* line = finisher ? rec.finisherSize[0] : rec.freeSize[0];
  for (int i = 0; i < 8; ++i) limits[i] = line[i];
}

bool WithinCustomLimits(const ModelInfo& info, int width, int length) {
  int16_t l[8];
  CustomSizeLimits(info, l);
  return width >= l[kMinWidth] && width <= l[kMaxWidth] && length >= l[kMinLength] && length <= l[kMaxLength];
}

int DefaultQuality(const ModelRecord* record) {
  if (!record) return 600;
  int q = record->defaults.printQuality;
  if ((q >= -4 && q <= -1) || q == 300 || q == 600 || q == 1200) return q;
  return q < 0 ? -3 : 600;
}

int DefaultUiQuality(const ModelRecord* record) {
  int q = record ? record->defaults.uiQuality : -3;
  return (q >= -4 && q <= -1) ? q : -3;
}

int QualityCodeOfLevel(const ModelInfo& info, int level) {
  if (level < -4 || level > -1) return -1;
  int entry = info.qualityType[level + 4];
  if (entry < 0 || entry >= int(kQualityTableSize)) return -1;
  return kQualityTable[entry].code;
}

uint32_t MemoryEstimate(const ModelInfo& info, int option, int resolution) {
  static const uint32_t kBase[] = {3316, 11408, 19600, 35984};
  uint32_t kb = (option >= 0 && option <= 3) ? kBase[option] : kBase[0];
  kb -= resolution == 300 ? 160 : (resolution == 600 ? 320 : 480);
  if (!(info.features & kResidentFont)) kb += 180;
  return kb;
}

int MemoryOptionOfSize(int32_t kb) {
  if (kb <= 0) return 0;
  if (kb <= 4096) return 0;
  if (kb <= 12288) return 1;
  if (kb <= 20480) return 2;
  if (kb <= 36864) return 3;
  return 0;
}

}  // namespace kadu
