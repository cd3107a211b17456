// Memory blocks: process heap, global and local blocks (fixed and movable).
// Every block the layer hands out is zero-filled.
#pragma once
#include "win/base.h"

#define HEAP_NO_SERIALIZE 0x00000001
#define HEAP_GENERATE_EXCEPTIONS 0x00000004
#define HEAP_ZERO_MEMORY 0x00000008
#define HEAP_REALLOC_IN_PLACE_ONLY 0x00000010

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000
#define GMEM_SHARE 0x2000
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)

KW_API HANDLE WINAPI GetProcessHeap(void);
KW_API LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
KW_API LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID mem, SIZE_T bytes);
KW_API BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID mem);
KW_API SIZE_T WINAPI HeapSize(HANDLE heap, DWORD flags, LPCVOID mem);

KW_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
KW_API HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);
KW_API HGLOBAL WINAPI GlobalFree(HGLOBAL mem);
KW_API LPVOID WINAPI GlobalLock(HGLOBAL mem);
KW_API BOOL WINAPI GlobalUnlock(HGLOBAL mem);
KW_API SIZE_T WINAPI GlobalSize(HGLOBAL mem);
KW_API HGLOBAL WINAPI GlobalHandle(LPCVOID mem);

KW_API HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes);
KW_API HLOCAL WINAPI LocalReAlloc(HLOCAL mem, SIZE_T bytes, UINT flags);
KW_API HLOCAL WINAPI LocalFree(HLOCAL mem);
KW_API LPVOID WINAPI LocalLock(HLOCAL mem);
KW_API BOOL WINAPI LocalUnlock(HLOCAL mem);
KW_API SIZE_T WINAPI LocalSize(HLOCAL mem);
