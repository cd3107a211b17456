// The PCL commands that set up one physical page, shared by the raster and
// the device page headers: manual duplex notification, paper source, media
// and size, envelope offset, unit of measure, raster resolution and duplex
// side.
#pragma once
#include "windows.h"

struct PDEV;

// The notification that tells the printer which side of the paper comes
// next in a manual-duplex job, ending with a printer reset. TRUE when it was
// written. `resolutionLines` adds the resolution lines (raster pages).
BOOL WriteManualDuplexNotice(PDEV* pdev, BOOL resolutionLines);
// UEL, resolution lines, back to PCL and "\eE": a new resolution mid-job.
void WriteResolutionChange(PDEV* pdev);
// "\e&l#H" when the source differs from the one last sent (or manual duplex
// is in effect); `paperPath` adds the raster page's paper path command.
void WritePageSource(PDEV* pdev, BOOL paperPath);
// The media type when it differs from the one last sent (or manual duplex).
void WritePageMedia(PDEV* pdev);
// The page size value "\e&l#A" of the job's paper (101 for the envelopes
// that the envelope feature feeds as custom).
long PageSizeValue(const PDEV* pdev);
// The text length "\e&l#F" at 6 lines per inch.
long PageTextLength(const PDEV* pdev);
// "\e&l#Z": the top offset that keeps narrow envelopes in place when the
// page is turned (direction 1 or 2 on models with the envelope feature).
void WriteEnvelopeOffset(PDEV* pdev, int direction);
// "\e&u#D" and the raster resolution command of raster pages.
void WriteRasterUnitAndResolution(PDEV* pdev);
// "\e&a#G" when duplex is on without manual duplex.
void WriteDuplexSide(PDEV* pdev);
// Papers 272-274 on models with the envelope feature.
bool IsEnvModePaper(const PDEV* pdev);
