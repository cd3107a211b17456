#pragma once
#include "render/core/pdev.h"

// Frees everything the PDEV owns and the PDEV block, in release order: font
// data, halftone tables, resource module, palette, then the other buffers.
void ReleasePdev(PDEV* pdev);
