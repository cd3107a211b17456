// MergeDevmode: an incoming DEVMODE of any size, version and origin is
// validated field by field and merged into a complete record of this
// driver. Incoming bytes are only ever read from a zero-padded copy, so a
// short or lying record cannot make the merge read past it.
#include <algorithm>
#include <cstring>

#include "common/devmode.h"
#include "common/devmode_rules.h"
#include "common/model_files.h"

namespace kadu {
namespace {

constexpr int16_t kZoomPercent[] = {100, 141, 115, 86, 81, 70};
constexpr int kUserZoom = 6;

// The incoming record, cut or zero-padded to the driver's shape: its public
// part (members beyond its own dmSize read as zero) and, for a record of the
// driver's public size, its private block.
struct Incoming {
  DriverDevmode dm;
  size_t privateBytes;  // private bytes the caller really gave
  bool own;             // this driver's record, for the current driver name
};

WORD ReadWord(const BYTE* p, size_t available, size_t offset) {
  if (offset + 2 > available) return 0;
  WORD w;
  std::memcpy(&w, p + offset, 2);
  return w;
}

void TakeIncoming(const DriverDevmode& current, const void* bytes, size_t available, Incoming* in) {
  const auto* p = static_cast<const BYTE*>(bytes);
  std::memset(&in->dm, 0, sizeof(in->dm));
  in->privateBytes = 0;
  in->own = false;
  if (!p) return;
  const WORD size = ReadWord(p, available, offsetof(DEVMODEW, dmSize));
  const WORD extra = ReadWord(p, available, offsetof(DEVMODEW, dmDriverExtra));
  std::memcpy(&in->dm, p, std::min<size_t>({size, kDevmodePublicSize, available}));
  if (size == kDevmodePublicSize && available > kDevmodePublicSize) {
    in->privateBytes = std::min<size_t>({extra, kDevmodePrivateSize, available - kDevmodePublicSize});
    std::memcpy(&in->dm.priv, p + kDevmodePublicSize, in->privateBytes);
  }
  const DEVMODEW& d = in->dm.dm;
  WCHAR name[kDevmodeNameChars];
  std::memcpy(name, in->dm.priv.szDriverName, sizeof(name));
  name[kDevmodeNameChars - 1] = 0;
  in->own = d.dmSize == kDevmodePublicSize && d.dmDriverExtra >= kDevmodeMinOwnPrivate &&
            d.dmSpecVersion == kDevmodeSpecVersion && d.dmDriverVersion == kDevmodeDriverVersion &&
            in->privateBytes >= kDevmodeMinOwnPrivate && SameDriverName(name, current.priv.szDriverName);
}

// The private block of an own record over the current one; the
// driver name stays the current one.
void TakePrivateBlock(const Incoming& in, DriverDevmode* dm) {
  WCHAR name[kDevmodeNameChars];
  std::memcpy(name, dm->priv.szDriverName, sizeof(name));
  size_t n = std::min<size_t>({dm->dm.dmDriverExtra, in.dm.dm.dmDriverExtra, in.privateBytes, kDevmodePrivateSize});
  std::memcpy(&dm->priv, &in.dm.priv, n);
  std::memcpy(dm->priv.szDriverName, name, sizeof(name));
}

// Members the driver does not interpret.
void TakeDisplayMembers(const DEVMODEW& in, DEVMODEW* out) {
  std::memcpy(out->dmFormName, in.dmFormName, sizeof(out->dmFormName));
  out->dmLogPixels = in.dmLogPixels;
  out->dmBitsPerPel = in.dmBitsPerPel;
  out->dmPelsWidth = in.dmPelsWidth;
  out->dmPelsHeight = in.dmPelsHeight;
  out->dmDisplayFlags = in.dmDisplayFlags;
  out->dmDisplayFrequency = in.dmDisplayFrequency;
}

void ApplyRow(const char* field, const RangeContext& ctx, DriverDevmode* dm) {
  const FieldRange* f = DevmodeFieldRange(field);
  DevmodeWriteField(dm, *f, DevmodeFieldNormalize(*f, DevmodeReadField(*dm, *f), ctx));
}

// The binding follows the duplex unit, or manual duplex.
void Duplex(const DEVMODEW& in, DriverDevmode* dm) {
  const bool inRange = in.dmDuplex >= DMDUP_SIMPLEX && in.dmDuplex <= DMDUP_HORIZONTAL;
  if (dm->priv.wDeviceOptions & 0x8) {
    dm->dm.dmFields |= DM_DUPLEX;
    dm->dm.dmDuplex = inRange ? in.dmDuplex : DMDUP_SIMPLEX;
    return;
  }
  dm->dm.dmFields &= ~DWORD(DM_DUPLEX);
  // Manual duplex takes the caller's binding side; a value that names none is simplex.
  dm->dm.dmDuplex = (dm->priv.wManualDuplex && inRange) ? in.dmDuplex : DMDUP_SIMPLEX;
}

// The scale and its zoom preset.
void Scale(const DEVMODEW& in, DWORD fields, DriverDevmode* dm) {
  if (!(fields & DM_SCALE)) {
    dm->dm.dmScale = 100;
    dm->dm.dmFields &= ~DWORD(DM_SCALE);
    return;
  }
  if (in.dmScale != 0) dm->dm.dmScale = short(std::clamp<int>(in.dmScale, 25, 400));
  const auto* preset = std::find(std::begin(kZoomPercent), std::end(kZoomPercent), dm->dm.dmScale);
  dm->priv.wZoomPreset = int16_t(preset == std::end(kZoomPercent) ? kUserZoom : preset - std::begin(kZoomPercent));
  dm->dm.dmFields |= DM_SCALE;
}

// Collation as the caller asks for it.
void Collate(const DEVMODEW& in, DWORD fields, HANDLE printer, DriverDevmode* dm) {
  if (fields & DM_COLLATE) {
    if (in.dmCollate != DMCOLLATE_FALSE && in.dmCollate != DMCOLLATE_TRUE) return;
    const int requested = in.dmCollate;
    ApplyCollateRule(printer, &requested, dm);
    return;
  }
  dm->dm.dmFields &= ~DWORD(DM_COLLATE);
  dm->dm.dmCollate = DMCOLLATE_FALSE;
  dm->priv.wDriverCollate = 0;
}

// The paper and its size.
void Paper(const DevmodeModel& m, const DEVMODEW& in, DWORD fields, const int16_t limits[8], DriverDevmode* dm) {
  if (fields & DM_PAPERSIZE) {
    ApplyPaperRule(m, in.dmPaperSize, in.dmPaperWidth, in.dmPaperLength, dm);
    ApplyBookletOrDuplexPaperRule(m, dm);
  }
  if (dm->dm.dmPaperSize != DMPAPER_USER) {
    dm->dm.dmFields &= ~DWORD(DM_PAPERLENGTH | DM_PAPERWIDTH);
    return;
  }
  dm->dm.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  if ((fields & (DM_PAPERLENGTH | DM_PAPERWIDTH)) && WithinLimits(limits, in.dmPaperWidth, in.dmPaperLength)) {
    dm->dm.dmPaperWidth = in.dmPaperWidth;
    dm->dm.dmPaperLength = in.dmPaperLength;
  }
}

// The private block's table, then what derives from it.
void PrivateBlock(const DevmodeModel& m, const RangeContext& ctx, DriverDevmode* dm) {
  ApplyDevmodeRanges(dm, ctx);
  DeriveNup(dm);
  DerivePosterSheets(dm);
  ApplyPosterDirection(m, dm);
  dm->priv.wFlateCompress = uint16_t(m.ud->flateCompress & 0xFF);
  dm->priv.wDirectRaster = HasFeature(m, kDirectRaster) ? 2 : 0;
  NormaliseBlackFinish(dm);
}

// A size the record gives itself stays inside the limits.
void ClampPaperSize(const int16_t limits[8], DriverDevmode* dm) {
  if (!(dm->dm.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH))) return;
  dm->dm.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  const int w = ClampWidth(limits, dm->dm.dmPaperWidth), l = ClampLength(limits, dm->dm.dmPaperLength);
  if (w != dm->dm.dmPaperWidth) dm->priv.wCustomWidth = uint16_t(w);
  if (l != dm->dm.dmPaperLength) dm->priv.wCustomLength = uint16_t(l);
  dm->dm.dmPaperWidth = short(w);
  dm->dm.dmPaperLength = short(l);
}

}  // namespace

BOOL MergeDevmodeBytes(DriverDevmode* cur, const void* bytes, size_t available, HANDLE printer) {
  Incoming in;
  TakeIncoming(*cur, bytes, available, &in);
  const DEVMODEW& d = in.dm.dm;
  const DWORD f = d.dmFields;

  if (in.own) TakePrivateBlock(in, cur);
  TakeDisplayMembers(d, &cur->dm);
  TerminateDevmodeStrings(cur);

  // The model, with the finisher bit of this record.
  DevmodeModel m;
  cur->priv.wDeviceOptions &= 0x2B;
  TakeDevmodeModel(cur->priv.szDriverName, cur->priv.wDeviceOptions & 0x1, &m);
  int16_t limits[8];
  DevmodeSizeLimits(m, limits);
  {
    const RangeContext early = DevmodeRangeContext(m, 600);
    ApplyRow("dwFinishingMode", early, cur);
    ApplyRow("dwFitPage", early, cur);
  }

  Duplex(d, cur);
  if (f & DM_ORIENTATION)
    cur->dm.dmOrientation = (d.dmOrientation == DMORIENT_LANDSCAPE) ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  // The copy count of a record in manual duplex is not taken; only an own
  // record has that word.
  const WORD manual = in.own ? in.dm.priv.wManualDuplex : 0;
  if ((f & DM_COPIES) && manual == 0) cur->dm.dmCopies = short(std::clamp<int>(d.dmCopies, 1, 999));
  if (f & DM_PRINTQUALITY) PairResolution(m, d.dmPrintQuality, cur);
  // A level from a private block that names none (the pairing did not run).
  if (cur->priv.wUiQuality < -4 || cur->priv.wUiQuality > -1)
    cur->priv.wUiQuality = int16_t(DefaultUiQuality(m.record));
  int quality = cur->dm.dmPrintQuality;
  const int resolution = QualityResolution(m.info, &quality);
  cur->dm.dmPrintQuality = short(quality);

  Paper(m, d, f, limits, cur);
  if (f & DM_DEFAULTSOURCE) ApplyDefaultSourceRule(m, d.dmDefaultSource, cur);
  Scale(d, f, cur);
  cur->dm.dmTTOption =
      (d.dmTTOption >= DMTT_BITMAP && d.dmTTOption <= DMTT_DOWNLOAD_OUTLINE) ? d.dmTTOption : DMTT_DOWNLOAD;
  if ((f & DM_COLOR) && (d.dmColor == DMCOLOR_MONOCHROME || d.dmColor == DMCOLOR_COLOR)) cur->dm.dmColor = d.dmColor;
  Collate(d, f, printer, cur);
  if (f & DM_YRESOLUTION) cur->dm.dmYResolution = d.dmYResolution;

  PrivateBlock(m, DevmodeRangeContext(m, resolution), cur);
  ClampPaperSize(limits, cur);
  ApplyCapabilityRules(m, cur);
  // What is sent follows the final choices of the capability rules.
  cur->priv.wOutputBinCopy = cur->priv.wOutputBin;
  ApplyMultiPurposeTrayRule(m, cur);
  return TRUE;
}

BOOL MergeDevmode(DriverDevmode* current, const DEVMODEW* incoming, HANDLE printer) {
  if (!incoming) return MergeDevmodeBytes(current, nullptr, 0, printer);
  return MergeDevmodeBytes(current, incoming, size_t(incoming->dmSize) + incoming->dmDriverExtra, printer);
}

}  // namespace kadu
