// The driver's tuning values kept in the printer's data store, read once
// when a PDEV is enabled.
#pragma once
#include "windows.h"

struct PDEV;

void ReadDriverSettings(PDEV* pdev);
