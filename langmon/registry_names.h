// Registry roots, types and access rights the monitor names (from the
// layer's registry declarations once they are present).
#pragma once
#include "windows.h"

#if !__has_include("win/registry.h")
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4
#define KEY_READ 0x00020019
#define KEY_ALL_ACCESS 0x000F003F
#endif
