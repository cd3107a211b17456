// The job header: Universal Exit Language, the PJL job announcement, the
// switch to PCL and the PCL state the pages rely on.
#pragma once
#include "windows.h"

struct PDEV;

// Raster graphics mode: also sets source, media, page size and duplex,
// because raster pages send no page setup of their own.
BOOL WriteRasterJobHeader(PDEV* pdev);
// Device mode: prepares HP-GL/2 and leaves paper to each page's setup.
BOOL WriteDeviceJobHeader(PDEV* pdev);
// Device mode, a job continued after a reset that changed the resolution.
BOOL WriteContinuationHeader(PDEV* pdev);

// The copy count the header announces: the copy-count escape's value
// (1..99) when one came, else dmCopies.
int JobCopyCount(const PDEV* pdev);

// Pieces the page setup repeats after a mid-job printer reset.
int JobPaperCode(const PDEV* pdev);      // dmPaperSize; 263/264 follow wUserDefPaper
int JobDuplexValue(const PDEV* pdev);    // "\e&l#S": 0 for poster and manual duplex
void WriteResolutionLines(PDEV* pdev);   // QELRESOLUTION and QELAUTOEJECT lines
void WriteOutputBinCommand(PDEV* pdev);  // the paper path "\e/l#O" of the output bin
void WriteCopiesAndDuplex(PDEV* pdev);   // copy count (when the printer copies) and duplex
// After writing a UEL or "\eE" anywhere: the printer holds no paper, source,
// media or HP-GL/2 state the driver told it.
void NotePrinterResetWritten(PDEV* pdev);
