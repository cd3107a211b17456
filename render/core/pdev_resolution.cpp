#include "render/core/pdev_resolution.h"

#include "common/builtin_tables.h"
#include "common/devmode_rules.h"

namespace {

constexpr DWORD kSubModeBits = SUBMODE_600X1200 | SUBMODE_600X2400 | SUBMODE_FAST1200 | SUBMODE_FAST1200X2400 |
                               SUBMODE_TRUE1200;

bool LevelOffered(const kadu::ModelInfo& info, int level) {
  int row = info.qualityType[level + 4];
  return row >= 0 && size_t(row) < kadu::kQualityTableSize;
}

// The sub-mode of the first offered level giving `dpi` (a DMRES level is
// looked up directly).
DWORD SubModeFor(const kadu::ModelInfo& info, int quality, DWORD dpi) {
  for (int level = -4; level <= -1; ++level) {
    if (!LevelOffered(info, level)) continue;
    const kadu::QualityRow& row = kadu::kQualityTable[info.qualityType[level + 4]];
    if ((quality < 0 && level == quality) || (quality >= 0 && row.dpi == dpi)) return row.code & kSubModeBits;
  }
  return 0;
}

}  // namespace

void ChooseResolution(PDEV* pdev) {
  const kadu::ModelInfo& info = pdev->model->info;
  int quality = pdev->devmode.dm.dmPrintQuality;
  int dpi = kadu::QualityResolution(info, &quality);
  pdev->resolution = (dpi == 300 || dpi == 600 || dpi == 1200) ? DWORD(dpi) : 600;
  pdev->subMode = SubModeFor(info, quality, pdev->resolution);
  if (pdev->resolution == 1200 && (pdev->model->info.features & kadu::kTrue1200)) pdev->subMode |= SUBMODE_TRUE1200;
}

DWORD WorkingResolution(const PDEV* pdev) {
  if (pdev->rasterMode && pdev->resolution == 600 && (pdev->subMode & SUBMODE_600X1200)) return 1200;
  return pdev->resolution;
}
