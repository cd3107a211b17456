#pragma once
#include "render/core/pdev.h"

// Fills the engine's GDIINFO for the PDEV: the caller's `cjCaps` bytes are
// read first, the members set, and at most min(cjCaps, sizeof(GDIINFO))
// bytes written back.
void FillGdiInfo(const PDEV* pdev, ULONG cjCaps, ULONG* caps);
// Computes the GDIINFO members into `gi` (the whole record).
void ComputeGdiInfo(const PDEV* pdev, GDIINFO* gi);
