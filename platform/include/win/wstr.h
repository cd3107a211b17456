// String functions of the Windows API over WCHAR (char16_t) and bytes, and the
// code-page conversions. Wide strings never go through wchar_t functions.
#pragma once
#include "win/base.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_NO_BEST_FIT_CHARS 0x00000400

KW_API int WINAPI lstrlenW(LPCWSTR s);
KW_API LPWSTR WINAPI lstrcpyW(LPWSTR dst, LPCWSTR src);
KW_API LPWSTR WINAPI lstrcpynW(LPWSTR dst, LPCWSTR src, int max);
KW_API LPWSTR WINAPI lstrcatW(LPWSTR dst, LPCWSTR src);
KW_API int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b);
KW_API int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b);
KW_API int WINAPI lstrlenA(LPCSTR s);
KW_API LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src);
KW_API LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int max);
KW_API LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src);
KW_API int WINAPI lstrcmpA(LPCSTR a, LPCSTR b);
KW_API int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);

KW_API int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen);
KW_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                                      LPCSTR defaultChar, LPBOOL usedDefault);
KW_API UINT WINAPI GetACP(void);
KW_API BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE b);

KW_API int WINAPI MulDiv(int number, int numerator, int denominator);
