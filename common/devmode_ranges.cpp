#include "common/devmode_ranges.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <type_traits>

namespace kadu {
namespace {

// Positions in the custom size limits (maximum width and length, then the
// minimums at 4 and 5; the words between are the same in dots).
constexpr int kLimitMaxWidth = 0, kLimitMaxLength = 1, kLimitMinWidth = 4, kLimitMinLength = 5;

constexpr uint32_t kMonochromeFeature = 0x8000;
constexpr uint32_t kFontSubstitutionFeature = 0x800;
constexpr uint32_t kReversePortraitFeature = 0x10000;
constexpr uint32_t kMkkFeature = 0x20000;

#define PRIV(f)                                                                                   \
  #f, uint16_t(offsetof(DriverDevmode, priv) + offsetof(PrivateDevmode, f)),                      \
      uint8_t(sizeof(PrivateDevmode::f)), std::is_signed_v<decltype(PrivateDevmode::f)>
#define PUB(f)                                                                                  \
  #f, uint16_t(offsetof(DEVMODEW, f)), uint8_t(sizeof(DEVMODEW::f)),                             \
      std::is_signed_v<decltype(DEVMODEW::f)>

constexpr FieldRange Rng(const char* n, uint16_t o, uint8_t w, bool s, int64_t lo, int64_t hi, int64_t fb,
                         bool merged = true, RangeFallback from = RangeFallback::Value) {
  return {n, o, w, s, merged, RangeKind::Range, lo, hi, fb, from, RangeRule::None, 0, {}, false};
}
constexpr FieldRange Among(const char* n, uint16_t o, uint8_t w, bool s, std::initializer_list<int64_t> values,
                           int64_t fb, bool merged = true) {
  FieldRange f{n, o, w, s, merged, RangeKind::Set, 0, 0, fb, RangeFallback::Value, RangeRule::None, 0, {}, false};
  for (int64_t v : values)
    if (f.setCount < std::size(f.set)) f.set[f.setCount++] = v;
  return f;
}
constexpr FieldRange Bits(const char* n, uint16_t o, uint8_t w, bool s, int64_t allowed, int64_t fb,
                          RangeFallback from = RangeFallback::Value) {
  return {n, o, w, s, true, RangeKind::Bits, allowed, 0, fb, from, RangeRule::None, 0, {}, false};
}
constexpr FieldRange Mask(const char* n, uint16_t o, uint8_t w, bool s, int64_t mask) {
  return {n, o, w, s, true, RangeKind::Mask, mask, 0, 0, RangeFallback::Value, RangeRule::None, 0, {}, false};
}
constexpr FieldRange Clamp(const char* n, uint16_t o, uint8_t w, bool s, int64_t lo, int64_t hi,
                           bool merged = true) {
  return {n, o, w, s, merged, RangeKind::Clamp, lo, hi, 0, RangeFallback::Value, RangeRule::None, 0, {}, false};
}
constexpr FieldRange Forced(const char* n, uint16_t o, uint8_t w, bool s, int64_t value) {
  return {n, o, w, s, true, RangeKind::Forced, 0, 0, value, RangeFallback::Value, RangeRule::None, 0, {}, false};
}
constexpr FieldRange Rule(const char* n, uint16_t o, uint8_t w, bool s, RangeRule rule, bool merged = true,
                          bool length = false) {
  return {n, o, w, s, merged, RangeKind::Rule, 0, 0, 0, RangeFallback::Value, rule, 0, {}, length};
}

// Public members are checked by the merge step that takes them over
// (merged = false); the rest by the pass over the private block.
const FieldRange kRanges[] = {
    Rng(PUB(dmOrientation), 1, 2, 1, false),
    Clamp(PUB(dmScale), 25, 400, false),
    Clamp(PUB(dmCopies), 1, 999, false),
    Rule(PUB(dmPrintQuality), RangeRule::PrintQuality, false),
    Rng(PUB(dmColor), 1, 2, 1, false),
    Rng(PUB(dmDuplex), 0, 3, 1, false),  // 0 only in the default of a model without duplex
    Rng(PUB(dmTTOption), 1, 4, 2, false),
    Rng(PUB(dmCollate), 0, 1, 0, false),
    Among(PRIV(dwFinishingMode), {0, 1, 2}, 0),
    Among(PRIV(dwPagesPerSheet), {1, 2, 4, 6, 8, 9, 16}, 1, false),
    Rng(PRIV(dwNupColumns), 1, 4, 1, false),
    Rng(PRIV(dwNupRows), 1, 4, 1, false),
    Bits(PRIV(dwNupOrder), 0x000F000F, 0x00020001),
    Rng(PRIV(dwPageBorder), 0, 5, 1),
    Rng(PRIV(dwMultipage), 0, 6, 0),
    Among(PRIV(dwSignature), {-1, 1, 2, 3, 4}, -1),
    Bits(PRIV(dwLayoutFlags), ~int64_t(0x3FFFFF08) & 0xFFFFFFFF, 0),
    Bits(PRIV(dwFitPage), 0x13, 0),
    Rule(PRIV(wFitPaperWidth), RangeRule::FitSize),
    Rule(PRIV(wFitPaperLength), RangeRule::FitSize, true, true),
    Among(PRIV(dwPosterSheets), {-1, 2, 4, 9}, 2, false),
    Rng(PRIV(dwCstmX), 1, 4, 2),  // 0 would divide the poster into no sheets
    Rng(PRIV(dwCstmY), 1, 4, 2),
    Clamp(PRIV(dwPosterFlags), 0, 0xF),
    Mask(PRIV(dwRegistColor), 0xFFFFFF),
    Rng(PRIV(dwOverlapWidth), 0, 200, 0),
    Rng(PRIV(dwEnlarge), 0, 3, 0),
    Rng(PRIV(dwJournalFlag), 0, 1, 0),
    Rng(PRIV(wManualDuplex), 0, 1, 0),
    Among(PRIV(wOutputBinCopy), {0, 1, 17, 18}, 0, false),
    Rule(PRIV(wDizaling), RangeRule::Dizaling),
    Rng(PRIV(wDarkness), 0, 255, 128),
    Mask(PRIV(wBandWalk), 0x7),
    Rng(PRIV(wEncoderSelector), 0, 4, 1),
    Forced(PRIV(wSpare428), 0),
    Mask(PRIV(wColorBits), 0x3),
    Rng(PRIV(wContrast), 0, 255, 128),
    Rng(PRIV(wRet), 0, 2, 2),
    Rule(PRIV(wCustomWidth), RangeRule::CustomSize),
    Rule(PRIV(wCustomLength), RangeRule::CustomSize, true, true),
    Rng(PRIV(wZoomPreset), -1, 6, -1),  // indexes the preset table
    Rng(PRIV(wHbrMode), 0, 4, 0),
    Forced(PRIV(wFlag448), 1),
    Rule(PRIV(wUserDefPaper), RangeRule::UserDefPaper),
    Rule(PRIV(wFlag452), RangeRule::Flag452),
    Rng(PRIV(wSelector454), 0, 2, 1),
    Rng(PRIV(wPrDensity), 1, 5, -3),
    Rng(PRIV(wFlag460), 0, 1, 0),
    Rule(PRIV(wStagingSelector), RangeRule::Staging),
    Forced(PRIV(wSpare468), 0),
    Rng(PRIV(wTonerSave), 0, 1, 0),
    Rule(PRIV(wWatermarkFlags), RangeRule::WatermarkFlags),
    Rng(PRIV(wSelector794), 0, 3, 0),
    Rng(PRIV(wOffsetX), 0, 300, 0),
    Rng(PRIV(wOffsetY), 0, 300, 0),
    Rng(PRIV(wLandDirect), 0, 1, 1),
    Rng(PRIV(wPrintMode), 0, 1, 1),
    Rng(PRIV(wUsePrinterFont), 0, 1, 0, true, RangeFallback::FontSubstitution),
    Rng(PRIV(wBandWidth), 0, 300, 0),
    Rng(PRIV(wBandWidthNup), 0, 300, 0),
    Rng(PRIV(wBandWidthBookLet), 0, 300, 0),
    Rule(PRIV(wColorModeFlag), RangeRule::ColorModeFlag),
    Rule(PRIV(wBlackFinish), RangeRule::BlackFinish),
    Rng(PRIV(wFlag902), 0, 1, 0),
    Rng(PRIV(wFlag904), 0, 1, 1),
    Rng(PRIV(wHalftone), 0, 2, 0),
    Rng(PRIV(wFlag908), 0, 1, 0),
    Rng(PRIV(wColorAdjust), 0, 3, 0),
    Rng(PRIV(wColorAdjustOpt), 0, 4, 0),
    Rng(PRIV(wFlag914), 0, 1, 0),
    Rng(PRIV(wValue916), 0, 100, 0),
    Rng(PRIV(wColorDarkness), -100, 100, 0),
    Rng(PRIV(wColorContrast), -100, 100, 0),
    Rng(PRIV(wFlag922), 0, 1, 0),
    Rng(PRIV(wPrintToFile), 0, 1, 0),
    Rng(PRIV(wJobType), 0, 2, 0),
    Among(PRIV(wOutputBin), {0, 1, 17, 18}, 0),
    Mask(PRIV(wDeviceOptions), 0x2B),
    Mask(PRIV(wSourceOptions), 0x107),
    Rng(PRIV(wColorModeKind), 0, 3, 3),
    Mask(PRIV(dwJobTypeOption), 0x7),
    Among(PRIV(wBlackFinishMode), {0, 1, 3}, 0, false),
    Rng(PRIV(wOverlayMode), 0, 2, 0),
    Rng(PRIV(wSendColorData), 0, 1, 1),
    Rng(PRIV(wColorProcessMode), 0, 3, 0),
    Rng(PRIV(wImageThinOut), 33, 100, 100),
    Rng(PRIV(wPortDirect), 0, 1, 0, true, RangeFallback::ReversePortrait),
    Bits(PRIV(wDetailFlags), 0x89FB, 0x8018),
    Bits(PRIV(wBlackFinishFlags), ~int64_t(0xFEC8) & 0xFFFF, 0, RangeFallback::MKK),
    Rng(PRIV(wCopyUnit), 0, 999, 2),
    Bits(PRIV(wOverPrint), 0x3, 0),
    Bits(PRIV(dwFinishingOption), 0x03330001, 0),
    Rng(PRIV(wFlateLevel), 0, 9, 6),
    Among(PRIV(wDirectRaster), {0, 2}, 0, false),
    Rng(PRIV(wEnablePrTimeOut), 0, 1, 0),
    Clamp(PRIV(wPrTimeOut), 0, 300),
    Rng(PRIV(wUiQuality), -4, -1, -3, false),
};

#undef PRIV
#undef PUB

int64_t Fallback(const FieldRange& f, const RangeContext& ctx) {
  switch (f.from) {
    case RangeFallback::FontSubstitution: return (ctx.features & kFontSubstitutionFeature) ? 1 : 0;
    case RangeFallback::ReversePortrait: return (ctx.features & kReversePortraitFeature) ? 1 : 0;
    case RangeFallback::MKK: return (ctx.features & kMkkFeature) ? 1 : 0;
    case RangeFallback::Value: break;
  }
  return f.fallback;
}

int64_t Dizaling(int64_t v) {
  if ((v & 0xFF) > 3) v = (v & 0xFF00) | 1;
  int64_t high = (v >> 8) & 0xFF;
  if (high < 0xFD && high > 5) v = (v & 0xFF) | 0xFD00;
  return v;
}

int64_t Staging(int64_t v) {
  if ((v & 0xFF) > 3) v = (v & 0xFF01) | 1;
  if (((v >> 8) & 0xFF) != 1) v &= 0xFF;
  return v;
}

int64_t SizeLimit(const FieldRange& f, int64_t v, const RangeContext& ctx) {
  int lo = f.length ? ctx.limits[kLimitMinLength] : ctx.limits[kLimitMinWidth];
  int hi = f.length ? ctx.limits[kLimitMaxLength] : ctx.limits[kLimitMaxWidth];
  lo = std::max(lo, 1);
  hi = std::max(hi, lo);
  return std::clamp<int64_t>(v, lo, hi);
}

int64_t ApplyRule(const FieldRange& f, int64_t v, const RangeContext& ctx) {
  switch (f.rule) {
    case RangeRule::Dizaling: return Dizaling(v);
    case RangeRule::Staging: return Staging(v);
    case RangeRule::WatermarkFlags: return (v == 0 || v == 1 || (v & 0x2)) ? v : 0;
    case RangeRule::Flag452: return (ctx.resolution >= 600 || v > 1) ? 0 : v;
    case RangeRule::ColorModeFlag:
      if (ctx.features & kMonochromeFeature) return 0;
      return v <= 1 ? v : 1;
    case RangeRule::BlackFinish: return v <= 1 ? v : 1;
    case RangeRule::UserDefPaper: return ctx.paperList264 ? v : 0;
    case RangeRule::CustomSize: return SizeLimit(f, v, ctx);
    case RangeRule::FitSize:
      if (v != 0) return v;
      return f.length ? ctx.defaultLength : ctx.defaultWidth;
    case RangeRule::PrintQuality:
      return (v == 300 || v == 600 || v == 1200 || (v >= -4 && v <= -1)) ? v : 600;
    case RangeRule::None: break;
  }
  return v;
}

}  // namespace

const FieldRange* DevmodeFieldRanges(size_t* count) {
  *count = sizeof(kRanges) / sizeof(kRanges[0]);
  return kRanges;
}

const FieldRange* DevmodeFieldRange(const char* name) {
  for (const FieldRange& f : kRanges)
    if (std::strcmp(f.name, name) == 0) return &f;
  return nullptr;
}

int64_t DevmodeReadField(const DriverDevmode& dm, const FieldRange& f) {
  const auto* p = reinterpret_cast<const uint8_t*>(&dm) + f.offset;
  if (f.width == 2) {
    uint16_t u;
    std::memcpy(&u, p, 2);
    return f.isSigned ? int64_t(int16_t(u)) : int64_t(u);
  }
  uint32_t u;
  std::memcpy(&u, p, 4);
  return f.isSigned ? int64_t(int32_t(u)) : int64_t(u);
}

void DevmodeWriteField(DriverDevmode* dm, const FieldRange& f, int64_t value) {
  auto* p = reinterpret_cast<uint8_t*>(dm) + f.offset;
  if (f.width == 2) {
    uint16_t u = uint16_t(value);
    std::memcpy(p, &u, 2);
  } else {
    uint32_t u = uint32_t(value);
    std::memcpy(p, &u, 4);
  }
}

int64_t DevmodeFieldNormalize(const FieldRange& f, int64_t v, const RangeContext& ctx) {
  switch (f.kind) {
    case RangeKind::Range: return (v >= f.lo && v <= f.hi) ? v : Fallback(f, ctx);
    case RangeKind::Set:
      for (uint8_t i = 0; i < f.setCount; ++i)
        if (f.set[i] == v) return v;
      return Fallback(f, ctx);
    case RangeKind::Bits: return (v & ~f.lo) ? Fallback(f, ctx) : v;
    case RangeKind::Mask: return v & f.lo;
    case RangeKind::Clamp: return std::clamp(v, f.lo, f.hi);
    case RangeKind::Forced: return Fallback(f, ctx);
    case RangeKind::Rule: return ApplyRule(f, v, ctx);
  }
  return v;
}

bool DevmodeFieldAccepts(const FieldRange& f, int64_t v, const RangeContext& ctx) {
  // The black-finish normaliser runs after the check and may write 2.
  if (f.rule == RangeRule::BlackFinish) return v >= 0 && v <= 2;
  // The capability rules mark a user-defined paper after the check.
  if (f.rule == RangeRule::UserDefPaper) return v == 0 || v == 1 || ctx.paperList264;
  return DevmodeFieldNormalize(f, v, ctx) == v;
}

void ApplyDevmodeRanges(DriverDevmode* dm, const RangeContext& ctx) {
  for (const FieldRange& f : kRanges) {
    if (!f.merged) continue;
    int64_t v = DevmodeReadField(*dm, f);
    int64_t n = DevmodeFieldNormalize(f, v, ctx);
    if (n == v) continue;
    DevmodeWriteField(dm, f, n);
    // A watermark switched off by the check no longer names one.
    if (f.rule == RangeRule::WatermarkFlags) dm->priv.szWatermarkId[0] = 0;
  }
}

}  // namespace kadu
