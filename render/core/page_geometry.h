// The paper geometry of a PDEV: which paper records apply, whether the page
// is rendered rotated or collected N-up, and the page sizes in pixels.
#pragma once
#include "render/core/pdev.h"

// Driver paper codes whose size comes from the job.
constexpr int kPaperCustomMm = 263;
constexpr int kPaperCustomInch = 264;

// The layout settings a PDEV works with: a poster prints fit to its own
// paper on a 1 x 1 grid (device pages scaled by the driver); a booklet prints
// long-edge duplex on a grid of 2 rows (2 x 2 with four pages a side) in the
// booklet's page order, without borders.
void ApplyLayoutSettings(PDEV* pdev);

// The paper record of `code` from the model's list; a custom-size record
// takes its size from `widthTenths` x `lengthTenths` less its margins. FALSE
// when the model does not know the code or the size leaves no printable area.
BOOL ResolvePaperRecord(const kadu::ModelInfo& info, int code, LONG widthTenths, LONG lengthTenths,
                        kadu::PaperRecord* out);
// Exchanges width and length and the two orientations' printable words, so
// that `portrait` describes the sheet as rendered.
void TurnPaperRecord(kadu::PaperRecord* rec);
// The N-up grid of the DEVMODE with each count kept within 1..kNupMaxCells.
constexpr DWORD kNupMaxCells = 16;
void NupGridOf(const kadu::PrivateDevmode& p, DWORD* columns, DWORD* rows);

// ComputePaperGeometry (pdev_seams.h) fills pdev->paper, pdev->pageSize and
// pdev->layout; page_geometry.cpp holds it.
