// The word that announces the working resolution in "@PJL SET QELRESOLUTION=".
#pragma once
#include "windows.h"

// Resolution sub-mode bits.
enum : DWORD {
  RES_SUB_Y1200 = 0x01,
  RES_SUB_Y2400 = 0x02,
  RES_SUB_FAST1200 = 0x20,
  RES_SUB_FAST1200X2400 = 0x40,
  RES_SUB_TRUE1200 = 0x80,
};

const char* PjlResolutionWord(DWORD resolution, DWORD subMode);
