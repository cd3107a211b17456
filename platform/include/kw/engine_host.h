// The graphics engine's side of printing, as one reusable host for tests and
// programs: given a loaded printer graphics driver it makes the driver calls
// in the engine's order — DrvQueryDriverInfo, DrvEnableDriver; DrvEnablePDEV, DrvCompletePDEV,
// DrvEnableSurface; DrvStartDoc; per page DrvStartPage and then either the
// banding loop (DrvStartBanding, the engine draws the band, DrvNextBand, until
// the driver answers the origin (-1, -1)) or the page path (the engine draws
// the page, DrvSendPage); DrvEndDoc; DrvDisableSurface, DrvDisablePDEV; and
// DrvResetPDEV between pages when asked — and records every call.
//
// Band or page path ("Auto"): the engine bands a page when the driver's table
// has both DrvStartBanding and DrvNextBand and the surface the driver gave the
// engine either was marked with EngMarkBandingSurface or is smaller than the
// page the driver's GDIINFO describes (ulHorzRes × ulVertRes), so that the
// page cannot be drawn on it at once. Otherwise it takes the page path. The
// options can force either path. See docs/engine-host.md.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "win/winddi.h"

namespace kw {

struct EngineHost;

// The calls the host makes; Draw is the engine drawing a band (or the page).
enum class EngineCall : uint8_t {
  QueryDriverInfo,
  EnableDriver,
  EnablePDEV,
  CompletePDEV,
  EnableSurface,
  StartDoc,
  StartPage,
  StartBanding,
  Draw,
  NextBand,
  SendPage,
  EndDoc,
  ResetPDEV,
  DisableSurface,
  DisablePDEV,
  DisableDriver,
  Escape,
};
// The name the trace uses ("StartBanding").
const char* EngineCallName(EngineCall call);

struct EngineCallRecord {
  EngineCall call;
  BOOL result;    // the driver's answer (TRUE for calls that answer nothing,
                  // a handle or PDEV counts as TRUE when not null)
  ULONG page;     // page of the document, from 1; 0 outside pages
  POINTL origin;  // StartBanding, NextBand: the band origin the driver gave
  RECTL band;     // Draw: the band on the page
};

enum class EnginePagePath : uint8_t {
  Auto,      // as the engine decides (above)
  Banding,   // always band (fails the page when the driver cannot)
  SendPage,  // always the page path
};

struct EngineHostOptions {
  ULONG engineVersion = DDI_DRIVER_VERSION_NT5;
  EnginePagePath path = EnginePagePath::Auto;
  // A driver that never ends its page is stopped after this many bands.
  ULONG maxBandsPerPage = 65536;
};

// What the engine gives DrvEnablePDEV.
struct EnginePdevArgs {
  // Copied, as the engine copies the application's DEVMODE, and the copy is
  // given to the driver; `devmodeBytes` 0 means dmSize + dmDriverExtra.
  const DEVMODEW* devmode = nullptr;
  size_t devmodeBytes = 0;
  std::u16string deviceName;  // the printer's name; empty gives the driver null
  std::u16string logAddress;  // empty gives the driver null
  HANDLE printer = nullptr;   // the spooler's handle (hDriver)
  // The GDIINFO and DEVINFO buffers and the sizes the driver is told. Null
  // buffers: the host's own, of the sizes given.
  ULONG* gdiInfo = nullptr;
  ULONG cjCaps = sizeof(GDIINFO);
  DEVINFO* devInfo = nullptr;
  ULONG cjDevInfo = sizeof(DEVINFO);
  ULONG cPatterns = HS_DDI_MAX;
};

// A one-bit page picture: the top row first, the leftmost pixel in the most
// significant bit, 1 bits black. Pixel (x, y) is device pixel (x, y) of the
// page.
struct EnginePageImage {
  LONG width = 0;
  LONG height = 0;
  LONG stride = 0;  // bytes from one row to the next, at least (width + 7) / 8
  const BYTE* bits = nullptr;
};

// One band as the engine draws it.
struct EngineBand {
  SURFOBJ* surface;  // the surface the driver gave the engine (what its hooks get)
  SURFOBJ* bitmap;   // the engine bitmap holding the band's pixels, or nullptr
  RECTL rect;        // the band on the page; bitmap pixel (0, 0) is page pixel (rect.left, rect.top)
  ULONG page;        // from 1
};

// Draws the page's part inside a band; false fails the page.
using EngineDrawPage = std::function<bool(const EngineBand& band)>;

struct EnginePage {
  const EnginePageImage* image = nullptr;       // copied into every band first
  EngineDrawPage draw;                          // then called for every band
  const EnginePdevArgs* resetBefore = nullptr;  // the application's ResetDC before the page
};

struct EngineJob {
  EnginePdevArgs pdev;
  std::u16string document = u"Document";
  DWORD jobId = 1;
  // Called after DrvStartDoc and before the first page, where an
  // application's first StartPage lets the printer interface library hand
  // its job data over with escapes (EngineHostEscape).
  std::function<void(EngineHost*)> beforeFirstPage;
  std::vector<EnginePage> pages;
};

// DrvQueryDriverInfo (when the module exports it) and DrvEnableDriver of a
// loaded driver module. nullptr, last error set, when the driver says it does
// not run in user mode (ERROR_NOT_SUPPORTED), has no DrvEnableDriver,
// refuses, or lacks a function every driver must have (DrvEnablePDEV,
// DrvCompletePDEV, DrvDisablePDEV, DrvEnableSurface, DrvDisableSurface).
// One host is used by one thread at a time.
EngineHost* EngineHostOpen(HMODULE module, const EngineHostOptions& options = {});
// Ends what is still open (a started document is ended as aborted), then
// DrvDisableDriver. The module stays loaded: it is the caller's.
void EngineHostClose(EngineHost* host);

// DrvEnablePDEV, DrvCompletePDEV, DrvEnableSurface; the surface stays locked
// for the hooks while it is enabled. FALSE (and nothing left enabled) when a
// step fails.
BOOL EngineHostEnablePdev(EngineHost* host, const EnginePdevArgs& args);
BOOL EngineHostStartDoc(EngineHost* host, const std::u16string& document, DWORD jobId);
// ResetDC when the page asks, DrvStartPage, then bands or the page path.
BOOL EngineHostPrintPage(EngineHost* host, const EnginePage& page);
// ResetDC: DrvEnablePDEV and DrvCompletePDEV for the new settings,
// DrvResetPDEV(old, new), DrvDisableSurface and DrvDisablePDEV of the old,
// DrvEnableSurface of the new. When the new PDEV cannot be made or the driver
// refuses the reset, the new one is disabled and the old one stays.
BOOL EngineHostResetPdev(EngineHost* host, const EnginePdevArgs& args);
BOOL EngineHostEndDoc(EngineHost* host, bool aborted = false);
// DrvEscape on the current surface, as ExtEscape on the printer DC reaches
// it; 0 when the driver has no DrvEscape or no surface is enabled.
ULONG EngineHostEscape(EngineHost* host, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
// DrvDisableSurface and DrvDisablePDEV.
void EngineHostDisablePdev(EngineHost* host);

// A whole job: enable, start the document, every page, end the document
// (aborted when a page failed), disable. TRUE when every step succeeded.
BOOL EngineHostRunJob(EngineHost* host, const EngineJob& job);

// Copies the part of `image` inside the band into the band's engine bitmap,
// in the bitmap's format, orientation and row width. A one-bit bitmap gets
// the image's bits as they are (1 black); deeper bitmaps get black as 0 and
// white as all bits set. Pixels of the band outside the image are left as
// they are. false when the band has no engine bitmap.
bool EngineFillBand(const EngineBand& band, const EnginePageImage& image);

// Inspection.
const std::vector<EngineCallRecord>& EngineHostCalls(const EngineHost* host);
// The calls as one line: names separated by spaces, band origins as
// "NextBand(0,64)", drawn bands as "Draw[0,0,64,32]", a failed call with
// "=0" appended ("StartPage=0").
std::string EngineHostTrace(const EngineHost* host);
void EngineHostClearCalls(EngineHost* host);
const DRVENABLEDATA& EngineHostDriver(const EngineHost* host);
// Of the current PDEV: what the driver wrote (zero beyond the sizes given).
const GDIINFO& EngineHostGdiInfo(const EngineHost* host);
const DEVINFO& EngineHostDevInfo(const EngineHost* host);
// The pattern surfaces DrvEnablePDEV left (entries start as INVALID_HANDLE_VALUE).
const std::vector<HSURF>& EngineHostPatterns(const EngineHost* host);
DHPDEV EngineHostPdev(const EngineHost* host);
HDEV EngineHostDevice(const EngineHost* host);
HSURF EngineHostSurface(const EngineHost* host);
SURFOBJ* EngineHostSurfaceObject(const EngineHost* host);
// Whether pages of the current surface are banded (the rule above).
bool EngineHostBands(const EngineHost* host);

}  // namespace kw
