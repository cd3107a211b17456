#include "render/vector/pcl_state.h"

#include <cstring>

#include "render/core/pdev.h"
#include "render/vector/vector_unknown.h"

void PclStateResetPage(PDEV* pdev) {
  PclState& s = pdev->pcl;
  s.cursor = POINTL{kUnknownValue, kUnknownValue};
  s.rasterHeight = s.rasterWidth = -1;
  s.rasterDestHeight = s.rasterDestWidth = -1;
  s.selectedPattern = -1;
  s.sourceTransparency = s.patternTransparency = 0xFFFFFFFFu;
  s.patternId = 0xFFFFFF;
  s.hatchIndex = kNoHatch;
  s.hatchClass = 0;
  s.hatchTransparent = FALSE;
  s.fontId = -1;
  s.palette = -1;
  std::memset(s.paletteColors, 0xFF, sizeof(s.paletteColors));
  s.foreground = kUnknownColor;
  s.printDirection = 0;
}

void PclStateInit(PDEV* pdev) {
  std::memset(&pdev->pcl, 0, sizeof(pdev->pcl));
  PclStateResetPage(pdev);
}

void PclStateCarry(PDEV* to, const PDEV* from) {
  BYTE* row = to->pcl.row;
  DWORD rowSize = to->pcl.rowSize;
  DWORD rowLength = to->pcl.rowLength;
  to->pcl = from->pcl;
  to->pcl.row = row;
  to->pcl.rowSize = rowSize;
  to->pcl.rowLength = rowLength;
}

DWORD* PaletteEntryCache(PDEV* pdev, LONG index) {
  LONG palette = pdev->pcl.palette == -1 ? 0 : pdev->pcl.palette;
  if (palette < 0 || palette >= kPclPalettes || index < 0 || index >= kPclPaletteEntries) return nullptr;
  return &pdev->pcl.paletteColors[palette][index];
}
