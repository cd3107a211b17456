// The PDEV: the rendering library's record for one printer device context.
// Members are added by the subsystems that own them; the two signatures
// bracket the record so that a stray or freed pointer is recognised.
#pragma once
#include "common/devmode_record.h"
#include "common/model_record.h"
#include "render/core/band_state.h"
#include "render/core/page_layout.h"
#include "render/core/page_state.h"
#include "render/core/spool_stream.h"
#include "render/text/escape_stores.h"
#include "render/vector/gl2_state.h"
#include "render/vector/pcl_state.h"
#include "render/vector/vector_device.h"
#include "windows.h"

// "QLDD" packed with 'Q' in the most significant byte.
constexpr DWORD kPdevSignature = (DWORD('Q') << 24) | (DWORD('L') << 16) | (DWORD('D') << 8) | DWORD('D');

// State flags, shared by the job, page, band and stream code.
enum : DWORD {
  PDEV_DOC_STARTED = 0x00000001,
  PDEV_WRITE_ERROR = 0x00000002,
  PDEV_HEADER_SENT = 0x00000004,
  PDEV_CONTINUES_JOB = 0x00000008,
  PDEV_HEADER_PENDING = 0x00000020,
  PDEV_STAGING = 0x00000040,
  PDEV_BAND_MEMORY_HANDED_OVER = 0x00000100,
  PDEV_PAPER_CHANGED = 0x00000800,
  PDEV_RESOLUTION_CHANGED = 0x00001000,
  PDEV_PAGE_OPEN = 0x00002000,
  PDEV_FIRST_PAGE = 0x00200000,
  PDEV_PRINTER_HAS_SETUP = 0x00800000,
  PDEV_RESOLUTION_FALLBACK = 0x01000000,
  PDEV_RASTER_PAGE_CARRIED = 0x02000000,
};

// Model feature switches copied into the PDEV at enable.
enum : DWORD {
  PDEV_MODEL_TRUE1200 = 0x1,
  PDEV_MODEL_JAPAN = 0x2,
  PDEV_MODEL_A3 = 0x4,
  PDEV_MODEL_ENVMODE = 0x8,
};

// Resolution sub-mode bits.
enum : DWORD {
  SUBMODE_600X1200 = 0x01,
  SUBMODE_600X2400 = 0x02,
  SUBMODE_FAST1200 = 0x20,
  SUBMODE_FAST1200X2400 = 0x40,
  SUBMODE_TRUE1200 = 0x80,
};

// The current paper in 1/300-inch units, and its size in 0.01 mm.
struct PaperMetrics {
  LONG physWidth, physHeight;
  LONG printWidth, printHeight;
  LONG offsetX, offsetY;
  LONG widthHundredths, heightHundredths;
  BOOL printableIsWidth;  // logical pixels are computed over the printable width
};

// The band bitmap of raster graphics mode; memory owned by one PDEV at a time.
struct BandBitmap {
  BYTE* bits;
  size_t bytes;
  SIZEL size;       // band width and rows
  ULONG count;      // bands per page
  HSURF bitmap;     // engine bitmap over `bits`
  SURFOBJ* locked;  // its SURFOBJ while the surface is enabled
};

// Bounds of the job data that the printer interface library hands over.
constexpr size_t kStoredJobNameSize = 256;   // zero-terminated ANSI
constexpr size_t kJobHeaderBlockSize = 1024; // raw PJL lines

struct PDEV {
  DWORD signature1;
  HANDLE hPrinter;      // the spooler's handle: target of WritePrinter
  HDEV hdev;
  HSURF surface;        // what the engine was given
  HSURF rasterDevice;   // raster graphics mode: the device surface
  HMODULE resourceModule;
  WCHAR driverPath[MAX_PATH];  // this library's own path; per PDEV, never shared
  kadu::DriverDevmode devmode;
  const kadu::ModelRecord* model;
  BOOL rasterMode;
  DWORD resolution;     // validated dpi
  DWORD subMode;        // SUBMODE_* bits
  DWORD modelFlags;     // PDEV_MODEL_* bits
  DWORD scaleFactor;    // layout scaling, per mille
  DWORD copies;
  DWORD pageCount;
  DWORD halftoneCell;   // pixels of the halftone cell
  PaperMetrics paper;
  PageLayout layout;    // logical page, sheet, N-up and poster geometry
  SIZEL pageSize;       // logical printable area, device pixels
  BandBitmap band;
  BandState bandState;  // row layout, document buffers, band walk and fall-back
  BOOL bandReceived;     // the band memory came from the previous PDEV of a reset
  HPALETTE palette;
  WCHAR* jobName;
  BYTE* jobData;        // job buffer given by the escapes
  size_t jobDataBytes;
  BYTE* fontTables;     // downloaded-font tables
  DWORD fontCount;
  void* workBlock;
  DWORD flags;          // PDEV_* state flags
  DWORD yResolution;    // current vertical rendering resolution in dpi
  SpoolStream stream;
  char lastEscapePrefix[4];  // first bytes of the prefix of the last WriteEscape
  DWORD lastEscapeFinal;     // nonzero when that escape closed its group
  Gl2State gl2;              // HP-GL/2 context and instruction caches
  PclState pcl;              // PCL command caches and page placement
  VectorDevice vector;       // resolution, page height and drawing switches
  PageState page;            // page sequencing and driver settings
  EscapeStores escapes;      // job data handed over by private escapes

  // job framing
  DWORD copyCount;                 // count of the copy-count escape; 0: dmCopies
  DWORD directRasterRows;          // nonzero: DirectRaster, no print margin line
  BOOL gl2InputWindow;             // an HP-GL/2 input window is in effect
  char storedJobName[kStoredJobNameSize];  // proof and secure jobs; empty when none
  BYTE jobHeaderBlock[kJobHeaderBlockSize];
  DWORD jobHeaderBlockSize;        // bytes of jobHeaderBlock in use
  OSVERSIONINFOA osVersion;        // all zero when none was handed over
  DWORD signature2;
};

// TRUE when `pdev` is not null and both signatures hold.
BOOL PdevIsValid(const PDEV* pdev);
// The valid PDEV of a surface handed to a hook, or nullptr.
PDEV* PdevFromSurface(const SURFOBJ* pso);
// The current vertical rendering resolution (dpi) that the stream's page
// staging compares with 600.
inline DWORD PdevYResolution(const PDEV* pdev) { return pdev->yResolution; }
