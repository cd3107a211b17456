#include "common/devmode_model.h"

#include <algorithm>
#include <cstring>

#include "common/devmode_rules.h"
#include "common/model_store.h"

namespace kadu {

void TakeDevmodeModel(const WCHAR* driverName, bool finisherInstalled, DevmodeModel* m) {
  const ModelRecord* rec = FindModelRecord(driverName);
  const ModelInfo* info = rec ? FindModelInfo(driverName) : nullptr;
  if (!rec || !info) {
    rec = &BuiltinModelRecord();
    info = &rec->info;
  }
  m->record = rec;
  m->ud = &rec->defaults;
  std::memcpy(&m->info, info, sizeof(ModelInfo));
  m->info.finisherType = uint16_t((m->info.finisherType & ~kFinisherInstalled) |
                                  (finisherInstalled ? kFinisherInstalled : 0));
}

int DefaultPaperCode(const DevmodeModel& m) { return PaperCodeAt(m.info, DefaultPaperIndex(m.info)); }

void DefaultPaperSize(const DevmodeModel& m, int* width, int* length) {
  PaperSizeAt(m.info, DefaultPaperIndex(m.info), width, length);
}

bool PaperListHas(const DevmodeModel& m, int code) { return PaperIndexOfCode(m.info, code) >= 0; }

bool IsCustomPaper(int code) { return code == 256 || code == 263 || code == 264; }

void DevmodeSizeLimits(const DevmodeModel& m, int16_t limits[8]) { CustomSizeLimits(m.info, limits); }

namespace {
int ClampTo(int v, int lo, int hi) {
  lo = std::max(lo, 1);
  return std::clamp(v, lo, std::max(lo, hi));
}
}  // namespace

int ClampWidth(const int16_t limits[8], int width) { return ClampTo(width, limits[kMinWidth], limits[kMaxWidth]); }
int ClampLength(const int16_t limits[8], int length) {
  return ClampTo(length, limits[kMinLength], limits[kMaxLength]);
}
bool WithinLimits(const int16_t limits[8], int width, int length) {
  return width > 0 && length > 0 && width >= limits[kMinWidth] && width <= limits[kMaxWidth] &&
         length >= limits[kMinLength] && length <= limits[kMaxLength];
}

uint32_t SourceCapabilityBit(int source) {
  switch (source) {
    case DMBIN_UPPER: return 0x01;
    case 259: return 0x02;
    case DMBIN_MANUAL:
    case 257: return 0x04;
    case 260: return 0x10;
    case 261: return 0x20;
    case 262: return 0x40;
    default: return 0x80;
  }
}

RangeContext DevmodeRangeContext(const DevmodeModel& m, int resolution) {
  RangeContext ctx;
  ctx.features = m.info.features;
  ctx.paperList264 = PaperListHas(m, 264);
  ctx.resolution = resolution;
  DevmodeSizeLimits(m, ctx.limits);
  DefaultPaperSize(m, &ctx.defaultWidth, &ctx.defaultLength);
  return ctx;
}

const FieldRange* FirstFieldOutOfRange(const DriverDevmode& dm) {
  DevmodeModel m;
  WCHAR name[kDevmodeNameChars];
  std::memcpy(name, dm.priv.szDriverName, sizeof(name));
  name[kDevmodeNameChars - 1] = 0;
  TakeDevmodeModel(name, dm.priv.wDeviceOptions & 0x1, &m);
  int quality = dm.dm.dmPrintQuality;
  const RangeContext ctx = DevmodeRangeContext(m, QualityResolution(m.info, &quality));
  size_t n = 0;
  const FieldRange* rows = DevmodeFieldRanges(&n);
  for (size_t i = 0; i < n; ++i)
    if (!DevmodeFieldAccepts(rows[i], DevmodeReadField(dm, rows[i]), ctx)) return &rows[i];
  return nullptr;
}

void TerminateDevmodeStrings(DriverDevmode* dm) {
  auto end = [](WCHAR* s, size_t n) { s[n - 1] = 0; };
  end(dm->dm.dmDeviceName, CCHDEVICENAME);
  end(dm->dm.dmFormName, CCHFORMNAME);
  PrivateDevmode& p = dm->priv;
  end(p.szWatermarkId, std::size(p.szWatermarkId));
  end(p.szWatermarkText, std::size(p.szWatermarkText));
  end(p.szWatermarkFace, std::size(p.szWatermarkFace));
  end(p.szWatermarkReserved, std::size(p.szWatermarkReserved));
  end(p.szDriverName, std::size(p.szDriverName));
  end(p.szJobName, std::size(p.szJobName));
  end(p.szJobNameSaved, std::size(p.szJobNameSaved));
  end(p.szFavoriteName, std::size(p.szFavoriteName));
}

}  // namespace kadu
