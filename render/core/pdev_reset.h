#pragma once
#include "render/core/pdev.h"

// The steps of a reset, each moving what it carries from old to new.
void CarryJob(PDEV* oldPdev, PDEV* newPdev);
void CarryBuffers(PDEV* oldPdev, PDEV* newPdev);
// The band bitmap memory becomes the new PDEV's; the old one keeps using it
// until its surface is disabled but no longer frees it.
void HandOverBandMemory(PDEV* oldPdev, PDEV* newPdev);
