// The paper rows of the job header: what the printer is told about each
// DEVMODE paper code.
#pragma once

struct PjlPaperRow {
  int paperCode;         // DEVMODE paper code
  int pclSize;           // value of the page size command "\e&l#A"
  int textLength;        // value of the text length command "\e&l#F" at 4 lines per inch
  const char* pjlName;   // PJL paper name
  const char* longEdgeName;  // PJL name when the paper is fed long edge first
};

// The first row for `paperCode`; row 0 (A4) when none matches.
const PjlPaperRow& PjlPaperRowOf(int paperCode);
// True for the driver's custom paper codes (256, 263, 264, user papers from 276).
bool PjlIsCustomPaper(int paperCode);
