// The PDEV: the rendering library's record for one printer device context.
// Members are added by the subsystems that own them; the two signatures
// bracket the record so that a stray or freed pointer is recognised.
#pragma once
#include "common/devmode_record.h"
#include "common/model_record.h"
#include "render/core/spool_stream.h"
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

// Bounds of the job data that the printer interface library hands over.
constexpr size_t kStoredJobNameSize = 256;   // zero-terminated ANSI
constexpr size_t kJobHeaderBlockSize = 1024; // raw PJL lines

struct PDEV {
  DWORD signature1;
  HANDLE hPrinter;      // the spooler's handle: target of WritePrinter
  DWORD flags;          // PDEV_* state flags
  DWORD yResolution;    // current vertical rendering resolution in dpi
  SpoolStream stream;
  char lastEscapePrefix[4];  // first bytes of the prefix of the last WriteEscape
  DWORD lastEscapeFinal;     // nonzero when that escape closed its group

  // job framing
  kadu::DriverDevmode devmode;     // the merged job settings
  const kadu::ModelRecord* model;  // the printer's model description
  DWORD resolution;                // working resolution in dpi: 300, 600 or 1200
  DWORD resolutionSubMode;         // sub-mode bits of the working resolution
  DWORD copyCount;                 // count of the copy-count escape; 0: dmCopies
  DWORD directRasterRows;          // nonzero: DirectRaster, no print margin line
  DWORD pagesSent;                 // pages sent so far in this job
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
