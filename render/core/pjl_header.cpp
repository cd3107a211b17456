#include "render/core/pjl_header.h"

#include <cstring>
#include <utility>

#include "render/core/escape_writer.h"
#include "render/core/format_string.h"
#include "render/core/pdev.h"
#include "render/core/pjl_paper.h"
#include "render/core/pjl_resolution.h"
#include "render/core/pjl_source_media.h"
#include "render/core/pjl_text.h"
#include "render/core/spool_stream.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"

namespace {

enum class Mode { Raster, Device };

void Put(PDEV* pdev, const char* text) { WriteEscapeString(pdev, text, nullptr, nullptr); }
// A PJL line: fixed start, value, line end.
void Line(PDEV* pdev, const char* start, const char* value) { WriteEscapeString(pdev, start, "\n", value); }
void LineNumber(PDEV* pdev, const char* start, long value) {
  char buf[32];
  FormatString(buf, sizeof(buf), "%l", value);
  Line(pdev, start, buf);
}
void Escape(PDEV* pdev, const char* prefix, char terminator, long value, BOOL final) {
  char buf[32];
  FormatString(buf, sizeof(buf), "%l", value);
  WriteEscape(pdev, prefix, terminator, buf, final);
}

const kadu::PrivateDevmode& Priv(const PDEV* pdev) { return pdev->devmode.priv; }
const DEVMODEW& Pub(const PDEV* pdev) { return pdev->devmode.dm; }
bool EnvMode(const PDEV* pdev) { return ModelHas(pdev, kadu::kEnvMode); }
bool IsEnvelope(int code) { return code == 73 || code == 74 || code == 91 || (code >= 271 && code <= 274); }
bool IsEnvelope5to6(int code) { return code >= 272 && code <= 274; }

}  // namespace

int JobPaperCode(const PDEV* pdev) {
  int code = Pub(pdev).dmPaperSize;
  if (code == 263 || code == 264) code = Priv(pdev).wUserDefPaper ? 264 : 263;
  return code;
}

namespace {

// Media-type sources and the envelope sources of envelope models are automatic.
int TraySource(const PDEV* pdev, int source) {
  if (source >= 512 && source <= 520) return 7;
  if ((source == 521 || source == 522) && EnvMode(pdev)) return 7;
  return source;
}

// Tray number of the media lines; 0 for none.
int MediaTray(int source) {
  switch (source) {
    case DMBIN_MANUAL: case 257: return 1;
    case 1: return 2;
    case 259: return 3;
    case 258: return 4;
    case 260: return 5;
    case 261: return 6;
    case 262: return 7;
    default: return 0;
  }
}

void StoredJobAndName(PDEV* pdev) {
  const kadu::PrivateDevmode& p = Priv(pdev);
  bool stored = p.wJobType == 1 || p.wJobType == 2;
  if (stored) {
    char text[64];
    FormatString(text, sizeof(text), "%4d PERMANENT=%s", int(p.dwJobPin), (p.dwJobTypeOption & 0x4) ? "ON" : "ONCE");
    Line(pdev, p.wJobType == 1 ? "@PJL QELPROOF PASSWORD=" : "@PJL QELSECURE PASSWORD=", text);
  }
  char name[kPjlTextLimit + 1];
  if (stored) PjlSafeText(pdev->storedJobName, sizeof(pdev->storedJobName), name);
  else std::strcpy(name, "WindowsNT");
  WriteEscapeString(pdev, "@PJL JOB NAME = \"", "\"\n", name);
  // Raw PJL by design; only its size is bounded.
  DWORD n = pdev->jobHeaderBlockSize < kJobHeaderBlockSize ? pdev->jobHeaderBlockSize : DWORD(kJobHeaderBlockSize);
  DWORD written = 0;
  if (n) SpoolWrite(pdev, pdev->jobHeaderBlock, INT(n), &written);
}

void Comments(PDEV* pdev) {
  const OSVERSIONINFOA& os = pdev->osVersion;
  char csd[kPjlTextLimit + 1];
  PjlSafeText(os.szCSDVersion, sizeof(os.szCSDVersion), csd);
  char text[kCommandBufferSize];
  FormatString(text, sizeof(text), "Windows NT %d.%d Build %d %s", int(os.dwMajorVersion), int(os.dwMinorVersion),
               int(os.dwBuildNumber), csd);
  Line(pdev, "@PJL COMMENT OS Version   : ", text);
  Put(pdev, "@PJL COMMENT Product Name : QEL PCL5e Printer Driver\n");
  const WCHAR* driver = Priv(pdev).szDriverName;
  char name[kPjlTextLimit + 1];
  PjlSafeWideText(driver, sizeof(Priv(pdev).szDriverName) / sizeof(WCHAR), name);
  Line(pdev, "@PJL COMMENT Device Name  : ", name);
  Put(pdev, "@PJL COMMENT Version      : 1.3.1\n");
  Put(pdev, "@PJL COMMENT Build Date   : 2011/01/28 (Fri) 14:20:22\n");
}

void PaperSizeCheck(PDEV* pdev, int nibble) {
  int code = Pub(pdev).dmPaperSize;
  bool enable = (Priv(pdev).wPaperFlags & 0x1) && !(nibble == 11 && !ModelHas(pdev, kadu::kJapan));
  if (EnvMode(pdev) && IsEnvelope(code)) enable = false;
  Put(pdev, enable ? "@PJL SET QELPAPERSIZECHECK=ENABLE\n" : "@PJL SET QELPAPERSIZECHECK=DISABLE\n");
}

void ManualFeed(PDEV* pdev, Mode mode) {
  if (mode == Mode::Raster && !(Pub(pdev).dmFields & DM_DEFAULTSOURCE)) {
    Put(pdev, "@PJL SET MANUALFEED=OFF\n");
    Put(pdev, "@PJL SET QELPAPERFEED=TRAY1\n");
  } else if (mode == Mode::Raster && JobSource(pdev) == DMBIN_MANUAL) {
    Put(pdev, "@PJL SET MANUALFEED=ON\n");
  } else {
    Put(pdev, "@PJL SET MANUALFEED=OFF\n");
  }
}

void InchLine(PDEV* pdev, const char* start, long tenthsMm) {
  long inchTenths = ((tenthsMm * 1000 + 1270) / 2540 + 5) / 10;
  char buf[16];
  FormatTenths(LONG(inchTenths), buf, sizeof(buf));
  Line(pdev, start, buf);
}

void Dimensions(PDEV* pdev, int code, int nibble) {
  const DEVMODEW& dm = Pub(pdev);
  long x = dm.dmOrientation == DMORIENT_LANDSCAPE ? dm.dmPaperLength : dm.dmPaperWidth;
  long y = dm.dmOrientation == DMORIENT_LANDSCAPE ? dm.dmPaperWidth : dm.dmPaperLength;
  if (!PjlIsCustomPaper(code)) {
    bool square = code == 274 || ((code == 73 || code == 74 || code == 91 || code == 271) && nibble >= 13 &&
                                  nibble <= 15);
    if (EnvMode(pdev) && square) y = x;
    LineNumber(pdev, "@PJL SET QELXDIMENSIONMILLIMETER=", (x + 9) / 10);
    LineNumber(pdev, "@PJL SET QELYDIMENSIONMILLIMETER=", (y + 9) / 10);
    return;
  }
  bool wide = dm.dmPaperWidth > dm.dmPaperLength;
  bool longEdge = (Priv(pdev).wLongEdgeFeed & 0x2) != 0;
  if (EnvMode(pdev) && wide != longEdge) std::swap(x, y);
  if (Priv(pdev).wDispType == 0) {
    Put(pdev, "@PJL SET QELUNITOFMEASURE=MILLIMETER\n");
    LineNumber(pdev, "@PJL SET QELXDIMENSIONMILLIMETER=", (x + 9) / 10);
    LineNumber(pdev, "@PJL SET QELYDIMENSIONMILLIMETER=", (y + 9) / 10);
  } else {
    Put(pdev, "@PJL SET QELUNITOFMEASURE=INCH\n");
    InchLine(pdev, "@PJL SET QELXDIMENSIONINCH=", x);
    InchLine(pdev, "@PJL SET QELYDIMENSIONINCH=", y);
  }
}

void TrayPaperSize(PDEV* pdev, Mode mode, int source, const PjlPaperRow& row) {
  if (!(Pub(pdev).dmFields & DM_DEFAULTSOURCE) || !(Priv(pdev).wPaperFlags & 0x4)) return;
  if (mode == Mode::Device && EnvMode(pdev)) return;
  switch (source) {
    case DMBIN_MANUAL: case 257: Line(pdev, "@PJL SET INTRAY1SIZE=", row.pjlName); break;
    case 258:
      Line(pdev, "@PJL SET INTRAY4SIZE=", row.pjlName);
      if (row.paperCode == 70 && (Pub(pdev).dmDuplex == DMDUP_VERTICAL || Pub(pdev).dmDuplex == DMDUP_HORIZONTAL))
        Line(pdev, "@PJL SET INTRAY1SIZE=", row.pjlName);
      break;
    case 1: Line(pdev, "@PJL SET INTRAY2SIZE=", row.pjlName); break;
    case 259: Line(pdev, "@PJL SET INTRAY3SIZE=", row.pjlName); break;
    case 260: Line(pdev, "@PJL SET INTRAY5SIZE=", row.pjlName); break;
    default: break;
  }
}

void TrayLine(PDEV* pdev, const char* start, int tray, const char* word) {
  char text[64];
  FormatString(text, sizeof(text), "%s%d=", start, tray);
  Line(pdev, text, word);
}

void MediaLines(PDEV* pdev, int code, int source, const SourceMedia& m) {
  int tray = MediaTray(source);
  bool env56 = EnvMode(pdev) && IsEnvelope5to6(code);
  if (m.weight && !env56) {
    if (tray) TrayLine(pdev, "@PJL SET QELMEDIAINTRAY", tray, m.weight);
    else if (source == 7 && !EnvMode(pdev))
      for (int t = 1; t <= 4; ++t) TrayLine(pdev, "@PJL SET QELMEDIAINTRAY", t, m.weight);
  }
  if (env56) Put(pdev, "@PJL SET QELMEDIATYPEINTRAY1=USERTYPE2\n");
  else if (m.pjlType && tray) TrayLine(pdev, "@PJL SET QELMEDIATYPEINTRAY", tray, m.pjlType);
}

void PrintSettings(PDEV* pdev, Mode mode) {
  const kadu::PrivateDevmode& p = Priv(pdev);
  Put(pdev, "@PJL SET MEDIASRCINTRAY1=4\n@PJL SET MEDIASRCINTRAY2=1\n@PJL SET MEDIASRCINTRAY3=5\n");
  Put(pdev, "@PJL SET LPARM:PCL DIRECTREVERSE=OFF\n");
  LineNumber(pdev, "@PJL SET COPIES=", JobCopyCount(pdev));
  if (mode == Mode::Raster) Put(pdev, "@PJL SET ORIENTATION=PORTRAIT\n");
  Line(pdev, "@PJL SET QELRESOLUTION=", PjlResolutionWord(pdev->resolution, pdev->subMode));
  if (mode == Mode::Device || pdev->directRasterRows == 0)
    Put(pdev, mode == Mode::Raster && p.wPrintMargin == 1 ? "@PJL SET LPARM:PCL QELPRINTMARGIN=INCH1D4\n"
                                                           : "@PJL SET LPARM:PCL QELPRINTMARGIN=INCH1D6\n");
  static const char* const kDensity[] = {"-2", "-1", "0", "1", "2"};
  if (p.wPrDensity > 0) Line(pdev, "@PJL SET DENSITY=", kDensity[p.wPrDensity >= 5 ? 4 : p.wPrDensity - 1]);
  if (p.wColorProcessMode == 1) Put(pdev, "@PJL SET QELCOLORPROCESSMODE=TYPE1\n");
  if (p.wColorProcessMode == 2) Put(pdev, "@PJL SET QELCOLORPROCESSMODE=TYPE2\n");
  unsigned modelId = pdev->model ? pdev->model->info.modelId : 0;
  if (modelId <= 1) Line(pdev, "@PJL SET QELTONERSAVEMODE=", p.wTonerSave == 1 ? "ON" : "OFF");
  else Line(pdev, "@PJL SET ECONOMODE=", p.wTonerSave == 1 ? "ON" : p.wTonerSave == 2 ? "LIGHT" : "OFF");
  Put(pdev, p.wAutoTray ? "@PJL SET QELAUTOTRAYSWITCH=ON\n" : "@PJL SET QELAUTOTRAYSWITCH=OFF\n");
}

void AutoEject(PDEV* pdev) {
  const kadu::PrivateDevmode& p = Priv(pdev);
  if (p.wEnablePrTimeOut && (p.wDetailFlags & 0x100)) {
    LineNumber(pdev, "@PJL SET QELAUTOEJECT=", p.wPrTimeOut);
    return;
  }
  if (!pdev->model) return;
  int index = p.wUiQuality == DMRES_HIGH ? 0 : p.wUiQuality == DMRES_MEDIUM ? 1 : p.wUiQuality == DMRES_LOW ? 2 : 3;
  int t = pdev->model->info.timeOut[index];
  if (t == 0 || (t >= 5 && t <= 300)) LineNumber(pdev, "@PJL SET QELAUTOEJECT=", t);
}

void JobOptions(PDEV* pdev) {
  const kadu::PrivateDevmode& p = Priv(pdev);
  if (p.wFlateCompress == 1 && p.wFlateLevel != 0)
    LineNumber(pdev, "@PJL COMMENT COMPRESSION:FLATE LEVEL:", p.wFlateLevel);
  if (p.wManualDuplex && p.dwPageCount >= 2 && pdev->pageCount == 0)
    Put(pdev, "@PJL SET QELMANUALDUPLEX=ON\n@PJL SET QELNOTIFYPAPERSIDE=OFF\n");
}

}  // namespace

void WriteOutputBinCommand(PDEV* pdev) {
  DWORD f = Priv(pdev).dwFinishingOption;
  if ((f & 0x1) || (f & 0x01110000)) Put(pdev, "\x1b/l2O");
  else if (f & 0x02220000) Put(pdev, "\x1b/l1O");
  else if (Priv(pdev).wOutputBin == 18) Put(pdev, "\x1b/l2O");
}

namespace {

void ResolutionCommands(PDEV* pdev, Mode mode) {
  DWORD res = pdev->resolution, sub = pdev->subMode;
  Escape(pdev, "\x1b&u", 'd', long(res), TRUE);
  if (mode == Mode::Raster) {
    Escape(pdev, "\x1b*t", 'r', (res == 1200 && (sub & RES_SUB_Y2400)) ? 2400 : long(res), TRUE);
  } else if (res < 1200) {
    Escape(pdev, "\x1b*t", 'r', long(res), TRUE);
  } else {
    const char* v = (sub & RES_SUB_Y2400) ? "2400" : (sub & RES_SUB_TRUE1200) ? "12001200" : "1200";
    WriteEscape(pdev, "\x1b/t", 'r', v, TRUE);
  }
}

// Opens the "\e&l" group with the copy count unless the printer must not
// make the copies; the caller closes it.
void CopiesOpen(PDEV* pdev) {
  if (Priv(pdev).wJobType == 1 || Priv(pdev).wDriverCollate == 1) return;
  Escape(pdev, "\x1b&l", 'x', JobCopyCount(pdev), FALSE);
}

void Duplex(PDEV* pdev) { Escape(pdev, "\x1b&l", 's', JobDuplexValue(pdev), TRUE); }

void RasterPage(PDEV* pdev, const SourceMedia& m, const PjlPaperRow& row) {
  WriteEscape(pdev, "\x1b&l", 'o', "0", FALSE);
  Escape(pdev, "\x1b&l", 'h', m.pclSource, TRUE);
  char media[64];
  FormatString(media, sizeof(media), "%dWd%s", int(std::strlen(m.pclType) + 1), m.pclType);
  WriteEscapeString(pdev, "\x1b&n", nullptr, media);
  WORD margin = Priv(pdev).wPrintMargin;
  long textLength = margin == 0 ? row.textLength * 6 / 4 : row.textLength;
  Escape(pdev, "\x1b&l", 'a', row.pclSize, FALSE);
  WriteEscape(pdev, "\x1b&l", 'd', margin == 1 ? "4" : "6", FALSE);
  WriteEscape(pdev, "\x1b&l", 'e', "1", FALSE);
  Escape(pdev, "\x1b&l", 'f', textLength, TRUE);
}

// The printer was reset: nothing it was told about paper, source, media or
// HP-GL/2 holds any more.
void PrinterReset(PDEV* pdev) {
  NotePrinterReset(pdev);
  pdev->flags &= ~DWORD(PDEV_PRINTER_HAS_SETUP);
  pdev->page.cachedSource = -1;
  pdev->page.cachedMedia = -1;
}

void Uel(PDEV* pdev) {
  Put(pdev, "\x1b%-12345X@PJL\r\n");
  PrinterReset(pdev);
}

void ResetPrinter(PDEV* pdev) {
  Put(pdev, "\x1b" "E");
  PrinterReset(pdev);
}

BOOL WriteJobHeader(PDEV* pdev, Mode mode) {
  ResetEscapeCombining(pdev);
  Uel(pdev);
  StoredJobAndName(pdev);
  Put(pdev, "@PJL RDYMSG DISPLAY = \"\"\n");
  Comments(pdev);
  int nibble = JobMediaNibble(pdev);
  PaperSizeCheck(pdev, nibble);
  int code = JobPaperCode(pdev);
  const PjlPaperRow& row = PjlPaperRowOf(code);
  ManualFeed(pdev, mode);
  Dimensions(pdev, code, nibble);
  if (EnvMode(pdev) && (IsEnvelope(code) || code == 263)) Put(pdev, "@PJL SET INTRAY1SIZE=CUSTOM\n");
  int source = TraySource(pdev, JobSource(pdev));
  SourceMedia m = MapSourceMedia(JobSource(pdev), nibble, JobManualFeed(pdev), EnvMode(pdev));
  TrayPaperSize(pdev, mode, source, row);
  MediaLines(pdev, code, source, m);
  PrintSettings(pdev, mode);
  if (mode == Mode::Raster) AutoEject(pdev);
  JobOptions(pdev);
  Put(pdev, "@PJL ENTER LANGUAGE=PCL\n");
  ResetPrinter(pdev);
  if (Priv(pdev).wColorModeFlag != 1) Put(pdev, "\x1b&b1M");
  Put(pdev, "\x1b*r0F");
  if (mode == Mode::Device) GL2InitState(pdev);
  WriteOutputBinCommand(pdev);
  if (mode == Mode::Device) Put(pdev, "\x1b&b1M");
  ResolutionCommands(pdev, mode);
  CopiesOpen(pdev);
  if (mode == Mode::Raster) RasterPage(pdev, m, row);
  Duplex(pdev);
  // Raster pages rely on the paper, source and duplex the header just set.
  if (mode == Mode::Raster) pdev->flags |= PDEV_PRINTER_HAS_SETUP;
  return TRUE;
}

}  // namespace

int JobDuplexValue(const PDEV* pdev) {
  if (Priv(pdev).dwFinishingMode == 2 || Priv(pdev).wManualDuplex) return 0;
  if (Pub(pdev).dmDuplex == DMDUP_VERTICAL) return 1;
  if (Pub(pdev).dmDuplex == DMDUP_HORIZONTAL) return 2;
  return 0;
}

void WriteResolutionLines(PDEV* pdev) {
  Line(pdev, "@PJL SET QELRESOLUTION=", PjlResolutionWord(pdev->resolution, pdev->subMode));
  AutoEject(pdev);
}

void WriteCopiesAndDuplex(PDEV* pdev) {
  CopiesOpen(pdev);
  Duplex(pdev);
}

void NotePrinterResetWritten(PDEV* pdev) { PrinterReset(pdev); }

int JobCopyCount(const PDEV* pdev) {
  if (pdev->copyCount) return pdev->copyCount > 99 ? 99 : int(pdev->copyCount);
  return Pub(pdev).dmCopies;
}

BOOL WriteRasterJobHeader(PDEV* pdev) { return WriteJobHeader(pdev, Mode::Raster); }
BOOL WriteDeviceJobHeader(PDEV* pdev) { return WriteJobHeader(pdev, Mode::Device); }

BOOL WriteContinuationHeader(PDEV* pdev) {
  ResetEscapeCombining(pdev);
  Uel(pdev);
  Line(pdev, "@PJL SET QELRESOLUTION=", PjlResolutionWord(pdev->resolution, pdev->subMode));
  Put(pdev, "@PJL ENTER LANGUAGE=PCL\n");
  if (Priv(pdev).wColorModeFlag != 1) Put(pdev, "\x1b&b1M");
  ResetPrinter(pdev);
  Put(pdev, "\x1b*r0F");
  GL2InitState(pdev);
  int code = JobPaperCode(pdev);
  SourceMedia m = MapSourceMedia(JobSource(pdev), JobMediaNibble(pdev), JobManualFeed(pdev), EnvMode(pdev));
  Escape(pdev, "\x1b&l", 'h', EnvMode(pdev) && IsEnvelope5to6(code) ? 4 : m.pclSource, TRUE);
  Escape(pdev, "\x1b&u", 'd', long(pdev->resolution), TRUE);
  Escape(pdev, "\x1b*t", 'r', long(pdev->resolution), TRUE);
  CopiesOpen(pdev);
  Duplex(pdev);
  return TRUE;
}
