// One model's description: the fixed-layout ModelRecord (17648 bytes) that
// the model cache stores byte for byte. ModelInfo is its descriptive part,
// from the information type up to the document defaults.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/user_defaults.h"
#include "windows.h"

namespace kadu {

inline constexpr size_t kPaperListCapacity = 64;
inline constexpr size_t kShortListCapacity = 32;
inline constexpr size_t kDitherListCapacity = 32;
inline constexpr size_t kSubstCapacity = 32;
inline constexpr size_t kMediaTableCapacity = 32;
inline constexpr size_t kModelNameChars = 64;

// Feature word bits (yes/no keys of "PRINTERINFO").
enum Feature : uint32_t {
  kTrue1200 = 0x1, kResidentFont = 0x2, kJapan = 0x4, kA3Printer = 0x8, kNoWatermark = 0x10,
  kDuplexFeature = 0x20, kDirectRaster = 0x40, kHeiseFont = 0x80, kEnvRotate = 0x200, kCollate = 0x400,
  kFontSubstitution = 0x800, kDuplexOption = 0x1000, kFast600 = 0x2000, kOnlyFast600 = 0x4000,
  kMonochrome = 0x8000, kReversePortrait = 0x10000, kMKK = 0x20000, kGL2 = 0x40000, kMtpShortFeed = 0x100000,
  kFinisherFeature = 0x200000, kWideUserDefinePaper = 0x800000, kMptDuplex = 0x1000000, kEnvMode = 0x2000000,
  kMPT = 0x4000000, k1stLarge = 0x8000000, kOverlay = 0x10000000,
};
inline constexpr uint32_t kBuiltinFeatures = 0x01842C2E;
// Set at run time in the finisher type word when the finisher is installed.
inline constexpr uint16_t kFinisherInstalled = 0x8000;

struct PaperList {
  uint32_t items[kPaperListCapacity];  // indexes into the paper table
  int16_t count;
  int16_t pad;
  int32_t order;                        // default entry
  int32_t extra;                        // travels with the list
};
static_assert(sizeof(PaperList) == 268);

struct ShortList {
  uint32_t items[kShortListCapacity];
  int16_t count;
  int16_t pad;
  int32_t order;
  int32_t pad2;
};
static_assert(sizeof(ShortList) == 140);

struct ModelInfo {
  int16_t infoType;                  // 16
  WCHAR driverName[kModelNameChars + 1];  // 18: the model key
  uint32_t features;                 // 148
  int32_t logoBitmap;                // 152 "iLogoBmpID"
  PaperList paper;                   // 156: the active paper list
  PaperList paperInch;               // 424
  PaperList paperMm;                 // 692
  int32_t zero960;                   // 960
  ShortList source;                  // 964: indexes into the source table (256 + n: paper type n)
  ShortList paperType;               // 1104: indexes into the paper-type table
  ShortList media;                   // 1244: indexes into the media table
  uint32_t meshTables[kDitherListCapacity];  // 1384: dither table slots (resolved identifiers)
  uint32_t lineTables[kDitherListCapacity];  // 1512
  uint32_t defaultMemory;            // 1640 "dwDefAvlMemory", KB
  uint16_t pagesPerMinute;           // 1644
  uint16_t modelId;                  // 1646
  uint16_t finisherType;             // 1648
  uint8_t meshIds[kDitherListCapacity];  // 1650
  uint8_t lineIds[kDitherListCapacity];  // 1682
  int16_t qualityType[4];            // 1714: quality table entries for DMRES -4..-1
  int16_t measure;                   // 1722
  int16_t fontDllVersion;            // 1724
  int16_t timeOut[4];                // 1726
  uint16_t pad1734;
  uint32_t internalFreeMemory;       // 1736
  uint32_t pad1740;
};
static_assert(sizeof(ModelInfo) == 1744 - 16);

struct SubstEntry {
  WCHAR trueTypeFace[64];
  WCHAR deviceFace[64];
  int16_t number;
};
static_assert(sizeof(SubstEntry) == 258);

struct MediaEntry {
  uint16_t code;
  uint16_t displayString;
  uint32_t mask;       // "AllMediatype"
  uint16_t builtinValue;
  uint16_t zero;
  uint8_t zero12[8];
};
static_assert(sizeof(MediaEntry) == 20);

// Custom size limits: max width, max length (0.1 mm), the same in dots at 300
// dpi, min width, min length (0.1 mm), the same in dots.
enum SizeLimit { kMaxWidth, kMaxLength, kMaxWidthDots, kMaxLengthDots, kMinWidth, kMinLength, kMinWidthDots,
                 kMinLengthDots };

struct ModelRecord {
  uint32_t filled;                   // 0: 1 once filled
  uint16_t stamps[4];                // 4: InitDataFile2, InitDataFile3, DefaultFile, CustomFile
  uint16_t zero12[2];
  ModelInfo info;                    // 16
  UserDefaults defaults;             // 1744
  SubstEntry subst[kSubstCapacity];  // 4204
  int16_t substCapacity;             // 12460
  int16_t dpiChange[2][8];           // 12462: portrait, landscape
  int16_t freeSize[2][8];            // 12494
  int16_t finisherSize[2][8];        // 12526
  uint16_t pad12558;
  uint32_t paperMasks[64];           // 12560: "PaperSourceType", by paper table index
  MediaEntry mediaTable[kMediaTableCapacity];  // 12816
  int16_t mediaCount;                // 13456
  uint8_t zero13458[17648 - 13458];
};
static_assert(sizeof(ModelRecord) == 17648);
static_assert(offsetof(ModelRecord, info) == 16);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, driverName) == 18);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, features) == 148);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, logoBitmap) == 152);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paper) == 156);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paper) + offsetof(PaperList, count) == 412);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paper) + offsetof(PaperList, order) == 416);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paper) + offsetof(PaperList, extra) == 420);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paperInch) == 424);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paperInch) + offsetof(PaperList, count) == 680);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paperMm) == 692);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paperMm) + offsetof(PaperList, extra) == 956);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, zero960) == 960);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, source) == 964);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, source) + offsetof(ShortList, count) == 1092);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, source) + offsetof(ShortList, order) == 1096);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paperType) == 1104);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, paperType) + offsetof(ShortList, order) == 1236);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, media) == 1244);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, media) + offsetof(ShortList, count) == 1372);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, media) + offsetof(ShortList, order) == 1376);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, meshTables) == 1384);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, lineTables) == 1512);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, defaultMemory) == 1640);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, pagesPerMinute) == 1644);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, modelId) == 1646);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, finisherType) == 1648);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, meshIds) == 1650);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, lineIds) == 1682);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, qualityType) == 1714);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, measure) == 1722);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, fontDllVersion) == 1724);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, timeOut) == 1726);
static_assert(offsetof(ModelRecord, info) + offsetof(ModelInfo, internalFreeMemory) == 1736);
static_assert(offsetof(ModelRecord, defaults) == 1744);
static_assert(offsetof(ModelRecord, subst) == 4204);
static_assert(offsetof(ModelRecord, substCapacity) == 12460);
static_assert(offsetof(ModelRecord, dpiChange) == 12462);
static_assert(offsetof(ModelRecord, freeSize) == 12494);
static_assert(offsetof(ModelRecord, finisherSize) == 12526);
static_assert(offsetof(ModelRecord, paperMasks) == 12560);
static_assert(offsetof(ModelRecord, mediaTable) == 12816);
static_assert(offsetof(ModelRecord, mediaCount) == 13456);

}  // namespace kadu
