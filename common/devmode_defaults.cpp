// BuildDefaultDevmode: the record a new job of the printer's model starts
// with, from the model's document defaults.
#include <cstring>
#include <vector>

#include "common/devmode.h"
#include "common/devmode_rules.h"
#include "common/model_store.h"
#include "common/user_paper.h"

namespace kadu {
namespace {

constexpr int16_t kZoomPercent[] = {100, 141, 115, 86, 81, 70};
constexpr int kUserZoom = 6;

bool ReadDriverName(HANDLE printer, std::u16string* name) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_2W)) return false;
  std::vector<BYTE> buf(needed);
  if (!GetPrinterDriverW(printer, nullptr, 2, buf.data(), needed, &needed)) return false;
  const WCHAR* n = reinterpret_cast<const DRIVER_INFO_2W*>(buf.data())->pName;
  *name = n ? n : u"";
  return true;
}

void CopyCut(WCHAR* out, size_t chars, const WCHAR* in) {
  size_t i = 0;
  for (; in && in[i] && i + 1 < chars; ++i) out[i] = in[i];
  out[i] = 0;
}

// The page order bits of the portrait and landscape N-up orders (0..3).
uint32_t NupOrder(int32_t portrait, int32_t landscape) {
  uint32_t bits = 0;
  if (portrait >= 0 && portrait <= 3) bits |= 0x1u << portrait;
  if (landscape >= 0 && landscape <= 3) bits |= 0x10000u << landscape;
  return bits;
}

uint16_t DetailFlags(const UserDefaults& u) {
  uint16_t f = 0;
  if (u.driverExpand) f |= 0x1;
  if (u.adjLine) f |= 0x8;
  if (u.apCollate) f |= 0x10;
  if (u.maintenanceCycle) f |= 0x20;
  if (u.blackLetter) f |= 0x40;
  if (u.tiff) f |= 0x80;
  if (u.enablePrTimeOut & 0x1) f |= 0x100;  // the first of the key's two bytes
  if (u.spoolEmf) f |= 0x8000;
  return f;
}

uint16_t BlackFinishFlags(const DevmodeModel& m, const UserDefaults& u) {
  const bool mkk = HasFeature(m, kMKK);
  uint16_t f = 0;
  if (mkk) f = u.blackFinish == 2 ? 4 : (u.blackFinish == 1 ? 2 : 1);
  if (u.ropMultiColor) f |= 0x100;
  if (mkk && u.alMatte) f |= 0x20;
  return f;
}

// The layout block.
void LayoutDefaults(const DevmodeModel& m, const UserDefaults& u, DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  p.dwFinishingMode = uint32_t(u.finishingMode);
  if (p.dwFinishingMode == 1 && (!HasFeature(m, kDuplexFeature) || u.duplex == 0)) p.dwFinishingMode = 0;
  p.dwPagesPerSheet = p.dwNupColumns = p.dwNupRows = 1;
  p.dwNupOrder = NupOrder(u.multiPort, u.multiLand);
  p.dwPageBorder = uint32_t(u.pageBorder);
  p.dwMultipage = uint32_t(u.multipage);
  p.dwSignature = u.signature;
  p.dwLayoutFlags = (u.rightToLeft ? 0x2u : 0u) | (u.twoUp ? 0x20u : 0u);
  p.dwFitPaperSize = uint32_t(DefaultPaperCode(m));
  p.dwFitPage = u.fitPage ? 1 : 0;
  p.dwPosterSheets = u.enlarge == 1 ? 4 : (u.enlarge == 2 ? 9 : 2);
  p.dwCstmX = uint32_t(u.customX);
  p.dwCstmY = uint32_t(u.customY);
  p.dwPosterFlags = (u.directionAuto ? 0x1u : 0u) | (u.directionPort ? 0x2u : 0u) | (u.registMarks ? 0x4u : 0u) |
                    (u.overlap ? 0x8u : 0u);
  p.dwRegistColor = uint32_t(u.registColor);
  p.dwOverlapWidth = uint32_t(u.overlapWidth);
  p.dwEnlarge = uint32_t(u.enlarge);
}

// Job, paper, quality and image settings.
void JobDefaults(const DevmodeModel& m, const UserDefaults& u, DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  const bool resident = HasFeature(m, kResidentFont);
  const bool booklet = p.dwFinishingMode == 1;
  p.wDizaling = uint16_t(u.dizaling);
  p.wDarkness = u.darkness;  // the block holds the key's value plus 128 already
  p.wEncoderSelector = 1;
  p.wColorBits = uint16_t(u.color);
  p.wContrast = u.contrast;
  p.wRet = 2;
  p.wZoomPreset = u.expand;
  p.wHbrMode = p.wHbrModeCopy = uint16_t(u.hbrMode);
  if (u.hbrMode < 0 || u.hbrMode > 4) p.wHbrMode = p.wHbrModeCopy = 1;
  p.wFlag448 = 1;
  p.wUserDefPaper = uint16_t(u.userDefPaper);
  p.wSelector454 = 1;
  p.wPrDensity = u.prDensity;
  const uint16_t media = uint16_t(MediaCodeAt(m.info, m.info.media.order) & 0xF);
  p.wMediaType = uint16_t(media | (media << 4));
  p.wStagingSelector = 1;
  p.wPaperKind = uint16_t(u.paperKind);
  p.wTonerSave = uint16_t(u.tonerSave);
  p.wWatermarkFlags = uint16_t(u.word438);
  p.wOffsetX = uint16_t(u.offsetX);
  p.wOffsetY = uint16_t(u.offsetY);
  p.wAutoTray = u.autoTray ? 1 : 0;
  p.wLandDirect = u.landDirect == 0 ? 1 : 0;
  p.wLandDirectByClass = 1;
  p.wPrintMode = resident ? uint16_t(u.printMode) : 1;
  p.wUsePrinterFont = HasFeature(m, kFontSubstitution) && u.usePrinterFont ? 1 : 0;
  p.wPrintModeKind = resident ? (p.wPrintMode == 1 ? 1 : 2) : 1;
  p.wBandArea = uint16_t(booklet ? u.bandAreaBookLet : u.bandAreaNup);
  p.wBandAreaNup = uint16_t(u.bandAreaNup);
  p.wBandAreaBookLet = HasFeature(m, kDuplexFeature) ? uint16_t(u.bandAreaBookLet) : 0;
  p.wBandWidth = uint16_t(booklet ? u.bandWidthBookLet : u.bandWidthNup);
  p.wBandWidthNup = uint16_t(u.bandWidthNup);
  p.wBandWidthBookLet = uint16_t(u.bandWidthBookLet);
  const int colorMode = HasFeature(m, kMonochrome) ? 2 : u.colorMode;
  p.wColorModeFlag = resident && colorMode != 2 ? 1 : 0;
  p.wBlackFinish = u.blackFinish == 2 ? 0 : 1;
  p.wFlag904 = 1;
  p.wHalftone = uint16_t(u.halftone);
  p.wColorAdjust = uint16_t(u.colorAdjust);
  p.wColorAdjustOpt = uint16_t(u.colorAdjustOpt);
  p.wColorDarkness = u.colorDarkness;
  p.wColorContrast = u.colorContrast;
  p.wJobType = uint16_t(u.jobType);
  p.wOutputBin = uint16_t(u.outputBin);
  p.wDeviceOptions = uint16_t((u.finisher ? 0x1 : 0) | (u.hdd ? 0x2 : 0) | (u.duplex ? 0x8 : 0));
  p.wSourceOptions = uint16_t(u.sourceOption);
  p.wColorModeKind = u.colorMode == 0 ? 3 : 0;
  p.dwJobTypeOption = 0x2u | (u.jobTypeOption ? 0x1u : 0u);
  p.wBlackFinishMode = u.blackFinish == 2 ? 3 : (u.blackFinish == 1 ? 0 : 1);
  p.wSendColorData = 1;
  p.wColorProcessMode = uint16_t(u.colorProcessMode);
  p.wImageThinOut = uint16_t(u.imageThinOut);
  p.wPortDirect = u.portDirect ? 1 : 0;
  p.wDetailFlags = DetailFlags(u);
  p.wBlackFinishFlags = BlackFinishFlags(m, u);
  p.wCopyUnit = 2;
  p.wOverPrint = uint16_t(u.overPrint);
}

// Cover, environment, favourites and the rest of the block.
void OtherDefaults(const DevmodeModel& m, const UserDefaults& u, DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  p.wCoverPrint = uint16_t(u.coverPrint);
  p.wCoverSource = uint16_t(u.sourceCover);
  p.wCoverMedia = uint16_t(u.coverPrintThick);
  p.wTransparencyInterleave = uint16_t(u.word310);
  p.wTransparencySource = uint16_t(u.word312);
  p.wMPFisManual = uint16_t(u.mpfIsManual);
  p.wEnvWarningDlg = uint16_t(u.envWarningDlg);
  const int16_t limits[6] = {u.freeHddGeneral, u.freeMemGeneral, u.freeGdiGeneral,
                             u.freeHddDtp,     u.freeMemDtp,     u.freeGdiDtp};
  for (int i = 0; i < 6; ++i) p.wEnvLimits[i] = uint16_t(limits[i]);
  p.wDriverSettingInfo = uint16_t(u.driverSettingPinfof);
  p.wEnableEnv = uint16_t(u.enableEnv);
  p.wPaperFlags = uint16_t((u.sizeCheck ? 0x1 : 0) | (u.longEdge && HasFeature(m, kA3Printer) ? 0x2 : 0) |
                           (u.intraySize ? 0x4 : 0));
  p.wFlateCompress = uint16_t(u.flateCompress & 0xFF);
  p.wFlateLevel = uint16_t(u.flateLevel);
  p.wDirectRaster = HasFeature(m, kDirectRaster) ? 2 : 0;
  p.wEnablePrTimeOut = (u.enablePrTimeOut >> 8) & 0x1;  // the second of the key's two bytes
  p.wPrTimeOut = uint16_t(u.prTimeOut);
  p.wDispType = uint16_t(u.dispType);
}

// The public members the defaults give (written after the private block).
void PublicDefaults(const DevmodeModel& m, const UserDefaults& u, DriverDevmode* dm) {
  DEVMODEW& d = dm->dm;
  d.dmOrientation = u.orientation;
  d.dmDefaultSource = short(DefaultSourceCode(m.info));
  d.dmCopies = u.copies;
  d.dmScale = u.scale;
  d.dmColor = (u.color & 0x1) ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
  d.dmDuplex = 0;
  if (HasFeature(m, kDuplexFeature)) d.dmDuplex = (u.dmDuplex >= 1 && u.dmDuplex <= 3) ? u.dmDuplex : DMDUP_SIMPLEX;
  d.dmTTOption = u.outOrBit == 0 ? DMTT_DOWNLOAD_OUTLINE : DMTT_DOWNLOAD;
}

// The paper and the custom size.
void PaperDefaults(const DevmodeModel& m, DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  int index = PaperIndexOfCode(m.info, dm->dm.dmPaperSize);
  if (index < 0 && !(index == -2 && dm->dm.dmPaperSize >= 276)) {
    index = 0;
    dm->dm.dmPaperSize = short(DefaultPaperCode(m));
  }
  int16_t limits[8];
  DevmodeSizeLimits(m, limits);
  if (!WithinLimits(limits, p.wCustomWidth, p.wCustomLength)) {
    int w, l;
    DefaultPaperSize(m, &w, &l);
    p.wCustomWidth = p.wFitPaperWidth = uint16_t(w);
    p.wCustomLength = p.wFitPaperLength = uint16_t(l);
  }
  const int code = dm->dm.dmPaperSize;
  UserPaperEntry e;
  if (IsCustomPaper(code)) {
    dm->dm.dmPaperWidth = short(p.wCustomWidth);
    dm->dm.dmPaperLength = short(p.wCustomLength);
    dm->dm.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  } else if (index == -2 && FindUserPaper(code, &e)) {
    dm->dm.dmPaperWidth = short(e.width);
    dm->dm.dmPaperLength = short(e.length);
    dm->dm.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    p.wDispType = e.unit ? 1 : 0;
  } else {
    int w, l;
    PaperSizeAt(m.info, index, &w, &l);
    dm->dm.dmPaperWidth = short(w);
    dm->dm.dmPaperLength = short(l);
  }
}

// Zoom. A scale from the data files outside 25..400 would later
// divide by it or overflow; 100 stands in for it.
void ZoomDefaults(const UserDefaults& u, DriverDevmode* dm) {
  const short modelScale = (u.scale >= 25 && u.scale <= 400) ? u.scale : 100;
  PrivateDevmode& p = dm->priv;
  if (p.wZoomPreset < -1 || p.wZoomPreset > kUserZoom) p.wZoomPreset = -1;
  if (p.wZoomPreset == -1) {
    dm->dm.dmScale = modelScale;
  } else {
    if (p.wZoomPreset != kUserZoom) dm->dm.dmScale = kZoomPercent[p.wZoomPreset];
    if (dm->dm.dmScale < 25 || dm->dm.dmScale > 400) {
      dm->dm.dmScale = modelScale;
      p.wZoomPreset = 0;
    }
  }
  if (u.scaleField)
    dm->dm.dmFields |= DM_SCALE;
  else
    dm->dm.dmFields &= ~DWORD(DM_SCALE);
}

}  // namespace

BOOL BuildDefaultDevmode(DriverDevmode* out, const WCHAR* deviceName, HANDLE printer) {
  std::u16string driver;
  if (!out || !ReadDriverName(printer, &driver)) return FALSE;
  DevmodeModel m;
  TakeDevmodeModel(driver.c_str(), false, &m);
  const UserDefaults& u = *m.ud;
  // The custom size limits follow the finisher the defaults install.
  if (u.finisher) m.info.finisherType |= kFinisherInstalled;

  DriverDevmode& dm = *out;
  std::memset(&dm, 0, sizeof(dm));
  CopyCut(dm.priv.szDriverName, kDevmodeNameChars, driver.c_str());
  CopyCut(dm.dm.dmDeviceName, CCHDEVICENAME, deviceName);
  dm.dm.dmSpecVersion = kDevmodeSpecVersion;
  dm.dm.dmDriverVersion = kDevmodeDriverVersion;
  dm.dm.dmSize = kDevmodePublicSize;
  dm.dm.dmDriverExtra = kDevmodePrivateSize;

  const int defaultQuality = DefaultQuality(m.record);
  dm.dm.dmPrintQuality = short(defaultQuality);
  dm.dm.dmPaperSize = short(DefaultPaperCode(m));
  LayoutDefaults(m, u, &dm);
  JobDefaults(m, u, &dm);
  OtherDefaults(m, u, &dm);
  PublicDefaults(m, u, &dm);

  dm.dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY |
                   DM_COLOR;
  const int collate = u.collate;
  ApplyCollateRule(printer, &collate, &dm);
  if (dm.priv.wDeviceOptions & 0x8) dm.dm.dmFields |= DM_DUPLEX;

  if (dm.dm.dmOrientation != DMORIENT_PORTRAIT && dm.dm.dmOrientation != DMORIENT_LANDSCAPE)
    dm.dm.dmOrientation = DMORIENT_PORTRAIT;
  const int q = dm.dm.dmPrintQuality;
  if (!(q >= 300 && q <= 1200) && !(q >= -4 && q <= -1)) dm.dm.dmPrintQuality = short(defaultQuality);

  int ui = DefaultUiQuality(m.record);
  dm.priv.wUiQuality = int16_t(ui);
  dm.priv.dwAvailMemory = MemoryEstimate(m.info, 0, QualityResolution(m.info, &ui));

  PaperDefaults(m, &dm);
  const int source = dm.dm.dmDefaultSource;
  if (SourceIndexOfCode(m.info, source) < 0 && PaperTypeIndexOfCode(m.info, source) < 0)
    dm.dm.dmDefaultSource = short(DefaultSourceCode(m.info));
  if (dm.dm.dmCopies < 1 || dm.dm.dmCopies > 999) dm.dm.dmCopies = 1;
  if (dm.priv.wEncoderSelector > 5) dm.priv.wEncoderSelector = 1;

  ZoomDefaults(u, &dm);

  // The remaining checks of the field table. The print density keeps the
  // model's value whatever it is, and the custom size the default paper's
  // size even where that lies outside the custom size limits.
  int resolutionCode = dm.dm.dmPrintQuality;
  const PrivateDevmode kept = dm.priv;
  ApplyDevmodeRanges(&dm, DevmodeRangeContext(m, QualityResolution(m.info, &resolutionCode)));
  dm.priv.wPrDensity = kept.wPrDensity;
  dm.priv.wCustomWidth = kept.wCustomWidth;
  dm.priv.wCustomLength = kept.wCustomLength;
  ApplyMultiPurposeTrayRule(m, &dm);
  NormaliseBlackFinish(&dm);
  TerminateDevmodeStrings(&dm);
  return TRUE;
}

}  // namespace kadu
