// HP-GL/2 pen colours. The pens are the entries of the current PCL palette,
// so the cache is the PCL palette cache.
#include "render/core/gl2_writer.h"
#include "render/core/pdev.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/pcl_state.h"
#include "render/vector/vector_unknown.h"

BOOL GL2SetPenColor(PDEV* pdev, COLORREF rgb, LONG pen) {
  rgb &= 0xFFFFFF;
  // Monochrome output: pen 0 is white already and stays so.
  if (!pdev->vector.colorOutput && pen == 0 && rgb == 0xFFFFFF) return TRUE;
  DWORD* cached = PaletteEntryCache(pdev, pen);
  if (cached && *cached == rgb && !pdev->pcl.newSheet) return TRUE;
  if (cached) *cached = rgb;
  WriteGL2(pdev, "PC%d,%d,%d,%d", pen, LONG(rgb & 0xFF), LONG((rgb >> 8) & 0xFF), LONG((rgb >> 16) & 0xFF));
  return TRUE;
}
