#include "render/vector/pcl_palette.h"

#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/vector/escape_value.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"
#include "render/vector/pcl_state.h"
#include "render/vector/vector_unknown.h"

void PclSetForeground(PDEV* pdev, LONG index) {
  SetGL2Context(pdev, FALSE);
  const DWORD* entry = PaletteEntryCache(pdev, index);
  DWORD color = entry ? *entry : kUnknownColor;
  PclState& s = pdev->pcl;
  if (color != kUnknownColor && color == s.foreground && !s.newSheet) return;
  s.foreground = color;
  WriteEscapeNumber(pdev, "\x1B*v", 's', index, TRUE);
}

void PclSetPaletteEntry(PDEV* pdev, COLORREF rgb, LONG index, BOOL maySkip) {
  SetGL2Context(pdev, FALSE);
  rgb &= 0xFFFFFF;
  DWORD* entry = PaletteEntryCache(pdev, index);
  if (maySkip && entry && *entry == rgb && !pdev->pcl.newSheet) return;
  if (entry) *entry = rgb;
  EscapeParam run[] = {{'a', LONG(rgb & 0xFF)}, {'b', LONG((rgb >> 8) & 0xFF)}, {'c', LONG((rgb >> 16) & 0xFF)},
                       {'i', index}};
  WriteEscapeRun(pdev, "\x1B*v", run, 4);
}

void PclSelectPalette(PDEV* pdev, LONG id) {
  SetGL2Context(pdev, FALSE);
  PclState& s = pdev->pcl;
  if (id == s.palette && !s.newSheet) return;
  WriteEscapeNumber(pdev, "\x1B&p", 's', id, TRUE);
  s.palette = id;
  PclSetPaletteEntry(pdev, 0xFFFFFF, 0, FALSE);
  PclSetPaletteEntry(pdev, 0x000000, 1, FALSE);
}

void SetPenPair(PDEV* pdev, COLORREF rgb, BOOL select) {
  GL2SetPenColor(pdev, 0xFFFFFF, 0);
  GL2SetPenColor(pdev, rgb, 1);
  if (select) PclSetForeground(pdev, 1);
}

void PclMonochromeMode(PDEV* pdev) {
  SetGL2Context(pdev, FALSE);
  WriteEscape(pdev, "\x1B&b", 'm', "1", TRUE);
}
