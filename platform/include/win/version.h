// Version and locale information of the system: the OS version, the user's
// and the system's locale and UI language, locale data, and the version
// resources of files. What the world's system answers is set per test through
// kw/hooks_version.h (default: Windows 6.1 build 7601, English (United States)).
#pragma once
#include "win/base.h"

typedef UINT* PUINT;

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
#define VER_NT_WORKSTATION 0x0000001
#define VER_NT_DOMAIN_CONTROLLER 0x0000002
#define VER_NT_SERVER 0x0000003

typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

typedef struct _OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
} OSVERSIONINFOW, *POSVERSIONINFOW, *LPOSVERSIONINFOW;

typedef struct _OSVERSIONINFOEXA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
} OSVERSIONINFOEXA, *POSVERSIONINFOEXA, *LPOSVERSIONINFOEXA;

typedef struct _OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
} OSVERSIONINFOEXW, *POSVERSIONINFOEXW, *LPOSVERSIONINFOEXW;

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA");
static_assert(sizeof(OSVERSIONINFOW) == 276, "OSVERSIONINFOW");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "OSVERSIONINFOEXA");
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "OSVERSIONINFOEXW");
static_assert(offsetof(OSVERSIONINFOEXW, wServicePackMajor) == 276, "OSVERSIONINFOEXW");
static_assert(offsetof(OSVERSIONINFOEXW, wProductType) == 282, "OSVERSIONINFOEXW");

// dwOSVersionInfoSize must be the size of one of the records; the EX fields
// are filled only for the EX sizes.
KW_API BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info);
KW_API BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);
// Low word: major version in the low byte, minor in the high byte; high word:
// the build number (NT family: high bit clear).
KW_API DWORD WINAPI GetVersion(void);

// Locales.
// Language identifiers (the resource area declares the same).
#ifndef MAKELANGID
#define MAKELANGID(p, s) ((WORD)((((WORD)(s)) << 10) | (WORD)(p)))
#define PRIMARYLANGID(l) ((WORD)(l) & 0x3ff)
#define SUBLANGID(l) ((WORD)(l) >> 10)
#endif
#ifndef LANG_NEUTRAL
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_ENGLISH_US 0x01
#endif
#ifndef LANG_JAPANESE
#define LANG_JAPANESE 0x11
#endif
#define MAKELCID(lgid, srtid) ((DWORD)((((DWORD)((WORD)(srtid))) << 16) | ((DWORD)((WORD)(lgid)))))
#define LANGIDFROMLCID(lcid) ((WORD)(lcid))
#define SORT_DEFAULT 0x0
#define LOCALE_NEUTRAL 0x0000
#define LOCALE_INVARIANT 0x007F
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800

#define LOCALE_NOUSEROVERRIDE 0x80000000
#define LOCALE_USE_CP_ACP 0x40000000
#define LOCALE_RETURN_NUMBER 0x20000000
#define LOCALE_ILANGUAGE 0x00000001
#define LOCALE_SLANGUAGE 0x00000002
#define LOCALE_SABBREVLANGNAME 0x00000003
#define LOCALE_ICOUNTRY 0x00000005
#define LOCALE_SCOUNTRY 0x00000006
#define LOCALE_SABBREVCTRYNAME 0x00000007
#define LOCALE_IDEFAULTLANGUAGE 0x00000009
#define LOCALE_IDEFAULTCOUNTRY 0x0000000A
#define LOCALE_IDEFAULTCODEPAGE 0x0000000B
#define LOCALE_SLIST 0x0000000C
#define LOCALE_IMEASURE 0x0000000D
#define LOCALE_SDECIMAL 0x0000000E
#define LOCALE_STHOUSAND 0x0000000F
#define LOCALE_SENGLANGUAGE 0x00001001
#define LOCALE_SENGCOUNTRY 0x00001002
#define LOCALE_IDEFAULTANSICODEPAGE 0x00001004
#define LOCALE_SISO639LANGNAME 0x00000059
#define LOCALE_SISO3166CTRYNAME 0x0000005A
#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004L
#endif

KW_API LANGID WINAPI GetUserDefaultUILanguage(void);
KW_API LANGID WINAPI GetSystemDefaultUILanguage(void);
KW_API LCID WINAPI GetUserDefaultLCID(void);
KW_API LCID WINAPI GetSystemDefaultLCID(void);
KW_API LANGID WINAPI GetUserDefaultLangID(void);
KW_API LANGID WINAPI GetSystemDefaultLangID(void);
KW_API LCID WINAPI GetThreadLocale(void);
KW_API BOOL WINAPI IsValidLocale(LCID locale, DWORD flags);

// Returns the characters written including the terminating zero (with
// LOCALE_RETURN_NUMBER: 2, the number in the buffer as a DWORD); with
// outChars 0, the size needed. 0 on failure: ERROR_INVALID_PARAMETER for an
// unknown locale, ERROR_INVALID_FLAGS for an unknown item,
// ERROR_INSUFFICIENT_BUFFER for a short buffer.
KW_API int WINAPI GetLocaleInfoW(LCID locale, DWORD type, LPWSTR out, int outChars);
KW_API int WINAPI GetLocaleInfoA(LCID locale, DWORD type, LPSTR out, int outChars);

// File version resources (VS_VERSIONINFO). The system's own files (USER.EXE,
// KERNEL32.DLL, … in the system folder) answer from the world's settings:
// their translation is the system UI language with the ANSI code page.
typedef struct tagVS_FIXEDFILEINFO {
  DWORD dwSignature;  // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;
static_assert(sizeof(VS_FIXEDFILEINFO) == 52, "VS_FIXEDFILEINFO");

KW_API DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle);
KW_API BOOL WINAPI GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD size, LPVOID data);
// subBlock: "\" (VS_FIXEDFILEINFO), "\VarFileInfo\Translation" (pairs of
// language and code page) or "\StringFileInfo\<lang><cp>\<name>" (text).
KW_API BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* value, PUINT valueLen);
