// The hook table handed to the engine by DrvEnableDriver.
#pragma once
#include "windows.h"

constexpr ULONG kHookCount = 30;
extern const DRVFN kHookTable[kHookCount];
