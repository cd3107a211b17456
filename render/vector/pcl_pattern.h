// PCL pattern selection, transparency modes, pattern IDs and the download of
// one user-defined pattern (resolution-specified, format 20). Each operation
// leaves HP-GL/2 context first.
#pragma once
#include "windows.h"

struct PDEV;

// Bytes of the pattern header, and the most data bytes one "\e*c#W" carries
// so that the command stays within 32 767 bytes.
constexpr DWORD kPatternHeaderSize = 12;
constexpr DWORD kPatternPieceSize = 32755;

// "\e*v" n "T" (0 solid black, 1 solid white, 4 the current user pattern…),
// cached.
void PclSelectPattern(PDEV* pdev, LONG n);
// "\e*v#N" and "\e*v#O": 0 (transparent) when `mode` is 1, else 1 (opaque);
// cached on the requested mode.
void PclSourceTransparency(PDEV* pdev, DWORD mode);
void PclPatternTransparency(PDEV* pdev, DWORD mode);
// Both transparency modes become unknown, so the next requests are sent.
void PclForgetTransparency(PDEV* pdev);
// "\e*c" id "G", always; remembered as the current pattern ID.
void PclSetPatternId(PDEV* pdev, LONG id);
// "\e*c" (length + 12) "W", the header (format 20, the continuation flag, one
// bit per pixel, height, width, resolution) and `length` bytes of `bits`.
// The HP-GL/2 fill type cache is forgotten: FT must name the pattern again.
void PclDownloadPattern(PDEV* pdev, const BYTE* bits, WORD width, WORD height, DWORD length,
                        BOOL continuation);
// The resolution a pattern header states: the job resolution below 1200 dpi
// and in the true-1200 mode, 600 otherwise.
DWORD PatternResolution(const PDEV* pdev);
