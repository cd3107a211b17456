#include "render/core/device_page.h"

#include <string_view>

#include "render/core/escape_writer.h"
#include "render/core/format_string.h"
#include "render/core/page_commands.h"
#include "render/core/pdev.h"
#include "render/core/pjl_header.h"
#include "render/core/pjl_source_media.h"
#include "render/core/print_direction.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"
#include "render/vector/nup_page.h"
#include "render/vector/pcl_job.h"
#include "render/vector/pcl_palette.h"
#include "render/vector/pcl_pattern.h"

namespace {

const kadu::PrivateDevmode& Priv(const PDEV* p) { return p->devmode.priv; }

void Put(PDEV* p, const char* text) { WriteEscapeString(p, text, nullptr, nullptr); }
void Escape(PDEV* p, const char* prefix, char terminator, long value, BOOL final) {
  char buf[32];
  FormatString(buf, sizeof(buf), "%l", value);
  WriteEscape(p, prefix, terminator, buf, final);
}
void Tenths(PDEV* p, const char* prefix, char terminator, long tenths, BOOL final) {
  char buf[32];
  FormatTenths(LONG(tenths), buf, sizeof(buf));
  WriteEscape(p, prefix, terminator, buf, final);
}

// The PCL state of the device job header again, after the printer reset
// that ends a manual-duplex notification.
void RestoreJobState(PDEV* p) {
  if (Priv(p).wColorModeFlag != 1) Put(p, "\x1b&b1M");
  Put(p, "\x1b*r0F");
  // Soft fonts are gone with the reset.
  Put(p, "\x1b*c0F");
  GL2InitState(p);
  WriteOutputBinCommand(p);
  PclSetForeground(p, 1);
  PclMonochromeMode(p);
  WriteCopiesAndDuplex(p);
}

// Unit of measure and raster resolution of the device job header.
void UnitAndResolution(PDEV* p) {
  DWORD res = p->resolution, sub = p->subMode;
  Escape(p, "\x1b&u", 'd', long(res), TRUE);
  if (res < 1200) {
    Escape(p, "\x1b*t", 'r', long(res), TRUE);
    return;
  }
  const char* v = (sub & SUBMODE_600X2400) ? "2400" : (sub & SUBMODE_TRUE1200) ? "12001200" : "1200";
  WriteEscape(p, "\x1b/t", 'r', v, TRUE);
}

void PictureFrame(PDEV* p) {
  LONG width = p->pageSize.cx, height = p->pageSize.cy;
  long res = long(p->resolution ? p->resolution : 600);
  Tenths(p, "\x1b*c", 'x', long((int64_t(width) + 1) * 7200 / res), FALSE);
  Tenths(p, "\x1b*c", 'y', long(int64_t(height) * 7200 / res), TRUE);
}

void Gl2PageSetup(PDEV* p) {
  LONG res = LONG(p->resolution);
  GL2SetP1P2(p, 0, 0, 1016, 1016);
  GL2SetScale(p, res, res);
  bool colourOnly = p->vector.colorOutput && !(Priv(p).wDetailFlags & 0x2);
  if (!colourOnly) {
    LONG cell = LONG(p->halftoneCell);
    GL2AnchorCorner(p, 0, cell > 0 ? p->pageSize.cy % cell : 0);
  }
  SetGL2Context(p, FALSE);
}

bool IsTransparency(const PDEV* p) {
  SourceMedia m = MapSourceMedia(JobSource(p), JobMediaNibble(p), JobManualFeed(p), ModelHas(p, kadu::kEnvMode));
  return m.pclType && std::string_view(m.pclType) == "Transparency";
}

}  // namespace

BOOL WriteDevicePageHeader(PDEV* p) {
  if (WriteManualDuplexNotice(p, FALSE)) RestoreJobState(p);
  WritePageSource(p, FALSE);
  PclForgetTransparency(p);
  SetGL2Context(p, FALSE);
  WritePageMedia(p);
  bool manual = ManualDuplexInEffect(p);
  if (manual) UnitAndResolution(p);
  int direction = PrintDirection(p, p->pageCount + 1);
  p->page.cachedDirection = direction;
  Escape(p, "\x1b&l", 'o', direction, FALSE);
  if (p->flags & PDEV_PAPER_CHANGED) {
    Escape(p, "\x1b&l", 'a', PageSizeValue(p), FALSE);
    Escape(p, "\x1b&l", 's', (Priv(p).dwFinishingMode == 2 || manual) ? 0 : JobDuplexValue(p), FALSE);
    p->flags &= ~DWORD(PDEV_PAPER_CHANGED);
  }
  WriteEscape(p, "\x1b&l", 'd', "6", FALSE);
  WriteEscape(p, "\x1b&l", 'e', "1", FALSE);
  Escape(p, "\x1b&l", 'f', PageTextLength(p), TRUE);
  WriteEnvelopeOffset(p, direction);
  PictureFrame(p);
  PlaceNupPage(p, 1);
  GL2Rotate(p, 0);
  SetGL2Context(p, FALSE);
  Put(p, "\x1b*c0T");
  if (manual) UnitAndResolution(p);
  WriteDuplexSide(p);
  Gl2PageSetup(p);
  return (p->flags & PDEV_WRITE_ERROR) ? FALSE : TRUE;
}

BOOL EjectDeviceSheet(PDEV* p) {
  if (!FinishNupSheet(p)) return FALSE;
  if (!Priv(p).wTransparencyInterleave || !IsTransparency(p)) return (p->flags & PDEV_WRITE_ERROR) ? FALSE : TRUE;
  SourceMedia m = MapSourceMedia(Priv(p).wTransparencySource, 0, JobManualFeed(p), ModelHas(p, kadu::kEnvMode));
  bool env = IsEnvModePaper(p);
  SetGL2Context(p, FALSE);
  Escape(p, "\x1b&l", 'h', env ? 4 : m.pclSource, TRUE);
  p->page.cachedSource = env ? 4 : m.pclSource;
  if (env) Put(p, "\x1b&n1Wd");
  else PclMediaType(p, m.pclType);
  Put(p, " ");
  p->page.cachedMedia = -1;
  Put(p, "\f");  // the backing sheet carries no separators
  return (p->flags & PDEV_WRITE_ERROR) ? FALSE : TRUE;
}
