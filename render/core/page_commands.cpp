#include "render/core/page_commands.h"

#include <cstring>

#include "render/core/escape_writer.h"
#include "render/core/format_string.h"
#include "render/core/pdev.h"
#include "render/core/pjl_header.h"
#include "render/core/pjl_paper.h"
#include "render/core/pjl_source_media.h"
#include "render/core/print_direction.h"
#include "render/vector/gl2_context.h"
#include "render/vector/pcl_job.h"

namespace {

const kadu::PrivateDevmode& Priv(const PDEV* p) { return p->devmode.priv; }
const DEVMODEW& Pub(const PDEV* p) { return p->devmode.dm; }
bool EnvMode(const PDEV* p) { return ModelHas(p, kadu::kEnvMode); }
bool IsSquareEnvelope(int code) { return code == 73 || code == 74 || code == 91 || code == 271; }

void Put(PDEV* p, const char* text) { WriteEscapeString(p, text, nullptr, nullptr); }
void Escape(PDEV* p, const char* prefix, char terminator, long value, BOOL final) {
  char buf[32];
  FormatString(buf, sizeof(buf), "%l", value);
  WriteEscape(p, prefix, terminator, buf, final);
}

void NoticeSequence(PDEV* p, BOOL resolutionLines, const char* side) {
  Put(p, "\x1b%-12345X@PJL\r\n");
  NotePrinterResetWritten(p);
  if (resolutionLines) WriteResolutionLines(p);
  if (side) {
    Put(p, "@PJL SET QELNOTIFYPAPERSIDE=");
    Put(p, side);
    Put(p, "\n");
  }
  Put(p, "@PJL ENTER LANGUAGE=PCL\n");
  Put(p, "\x1b" "E");
  NotePrinterResetWritten(p);
}

bool LongEdgeFed(const PDEV* p) {
  return EnvMode(p) ? (Priv(p).wLongEdgeFeed & 0x2) != 0 : (Priv(p).wPaperFlags & 0x2) != 0;
}

void PaperPath(PDEV* p, int source) {
  DWORD f = Priv(p).dwFinishingOption;
  if ((f & 0x1) || (f & 0x03330000) || Priv(p).wOutputBin == 18) return;
  if (!(Pub(p).dmFields & DM_DEFAULTSOURCE) || !p->model || p->model->info.modelId != 1) return;
  long value = 0;
  bool laterCoverPage = p->pageCount > 0 && Priv(p).wCoverPrint &&
                        (Priv(p).dwFinishingMode == 1 || Priv(p).dwFinishingMode == 2);
  if (!laterCoverPage && (source == 257 || source == DMBIN_MANUAL)) value = LongEdgeFed(p) ? 2 : 1;
  Escape(p, "\x1b/l", 'o', value, TRUE);
}

}  // namespace

bool IsEnvModePaper(const PDEV* p) {
  int code = Pub(p).dmPaperSize;
  return EnvMode(p) && code >= 272 && code <= 274;
}

BOOL WriteManualDuplexNotice(PDEV* p, BOOL resolutionLines) {
  if (!ManualDuplexInEffect(p)) return FALSE;
  int source = Pub(p).dmDefaultSource;
  bool half = source == 1 || source == 259 || source == 260 || (source == DMBIN_MANUAL && ManualFeedHalfRule(p));
  DWORD count = p->pageCount;
  if (half) {
    if (count != (Priv(p).dwPageCount + 1) / 2) return FALSE;
    NoticeSequence(p, resolutionLines, "ON");
    return TRUE;
  }
  if (source != DMBIN_MANUAL) return FALSE;
  if (count % 2) NoticeSequence(p, resolutionLines, "ON");
  else if (count >= 2) NoticeSequence(p, resolutionLines, "OFF");
  else return FALSE;
  return TRUE;
}

void WriteResolutionChange(PDEV* p) { NoticeSequence(p, TRUE, nullptr); }

void WritePageSource(PDEV* p, BOOL paperPath) {
  int source = JobSource(p);
  SourceMedia m = MapSourceMedia(source, JobMediaNibble(p), JobManualFeed(p), EnvMode(p));
  long value = IsEnvModePaper(p) ? 4 : m.pclSource;
  if (value == p->page.cachedSource && !ManualDuplexInEffect(p)) return;
  SetGL2Context(p, FALSE);
  Escape(p, "\x1b&l", 'h', value, TRUE);
  p->page.cachedSource = value;
  p->flags |= PDEV_PAPER_CHANGED;
  if (paperPath) PaperPath(p, source);
}

void WritePageMedia(PDEV* p) {
  int nibble = JobMediaNibble(p);
  if (nibble == p->page.cachedMedia && !ManualDuplexInEffect(p)) return;
  if (IsEnvModePaper(p)) {
    SetGL2Context(p, FALSE);
    Put(p, "\x1b&n1Wd");
  } else {
    SourceMedia m = MapSourceMedia(JobSource(p), nibble, JobManualFeed(p), EnvMode(p));
    PclMediaType(p, m.pclType);
  }
  p->page.cachedMedia = nibble;
}

long PageSizeValue(const PDEV* p) {
  int code = JobPaperCode(p);
  if (EnvMode(p) && IsSquareEnvelope(code)) return 101;
  return PjlPaperRowOf(code).pclSize;
}

long PageTextLength(const PDEV* p) { return PjlPaperRowOf(JobPaperCode(p)).textLength * 6 / 4; }

void WriteEnvelopeOffset(PDEV* p, int direction) {
  if (!EnvMode(p) || (direction != 1 && direction != 2)) return;
  int code = Pub(p).dmPaperSize;
  long offset = 0;
  if (IsSquareEnvelope(code)) {
    int nibble = JobMediaNibble(p);
    LONG width = p->layout.sheetPaper.widthDots;
    if (nibble >= 13 && nibble <= 15 && width < 1500) offset = -((1500 - width) * 72 / 30);
  } else if (code == 263 && (Priv(p).wLongEdgeFeed & 0x2) && Pub(p).dmPaperWidth <= Pub(p).dmPaperLength) {
    long res = long(p->resolution);
    long fiveInches = 5 * res;
    long extent = direction == 1 ? p->paper.physWidth : p->paper.physHeight;
    extent = extent * res / 300;
    if (extent < fiveInches && res >= 10) offset = -((fiveInches - extent) * 72 / (res / 10));
  } else if (code == 274) {
    offset = -226;
  }
  if (offset) {
    SetGL2Context(p, FALSE);
    Escape(p, "\x1b&l", 'z', offset, TRUE);
  }
}

void WriteRasterUnitAndResolution(PDEV* p) {
  DWORD res = p->resolution, sub = p->subMode;
  long unit = 600;
  if ((Pub(p).dmFields & DM_PRINTQUALITY) && res == 300) unit = 300;
  if (res == 1200 && (sub & SUBMODE_TRUE1200)) unit = 1200;
  Escape(p, "\x1b&u", 'd', unit, TRUE);
  if (res < 1200 && sub != SUBMODE_600X1200) {
    Escape(p, "\x1b*t", 'r', unit, TRUE);
    return;
  }
  const char* v = res != 1200 ? "1200" : (sub & SUBMODE_600X2400) ? "2400" : (sub & SUBMODE_TRUE1200) ? "12001200" : "1200";
  WriteEscape(p, "\x1b/t", 'r', v, TRUE);
}

void WriteDuplexSide(PDEV* p) {
  DWORD duplex = Pub(p).dmDuplex;
  if ((duplex != DMDUP_VERTICAL && duplex != DMDUP_HORIZONTAL) || Priv(p).wManualDuplex) return;
  long side = 0;
  if (p->pageCount == 0) side = (Priv(p).wFirstPageBack & 1) ? 2 : 1;
  SetGL2Context(p, FALSE);
  Escape(p, "\x1b&a", 'g', side, TRUE);
}
