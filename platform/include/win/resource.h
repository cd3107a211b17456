// Resources of modules: resource-only PE modules loaded as data files (see
// win/module.h), and code modules built with an embedded resource image.
//
// Names and types are integer IDs (MAKEINTRESOURCEW) or strings, compared
// ignoring case; a string "#123" stands for the ID 123. FindResourceW (and
// FindResourceExW with language 0) takes the first language present of:
// the preferred UI language (en-US unless set), its primary language with
// SUBLANG_NEUTRAL, neutral (0), 0x0400, 0x0800, en-US, English with
// SUBLANG_NEUTRAL, then the first language the module has. FindResourceExW
// with another language takes exactly that language.
// Missing pieces fail with ERROR_RESOURCE_DATA_NOT_FOUND (no resources in
// the module), _TYPE_, _NAME_ or _LANG_NOT_FOUND.
#pragma once
#include "win/base.h"

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_FONTDIR MAKEINTRESOURCEW(7)
#define RT_FONT MAKEINTRESOURCEW(8)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEW(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_DLGINCLUDE MAKEINTRESOURCEW(17)
#define RT_PLUGPLAY MAKEINTRESOURCEW(19)
#define RT_VXD MAKEINTRESOURCEW(20)
#define RT_ANICURSOR MAKEINTRESOURCEW(21)
#define RT_ANIICON MAKEINTRESOURCEW(22)
#define RT_HTML MAKEINTRESOURCEW(23)
#define RT_MANIFEST MAKEINTRESOURCEW(24)

// Language identifiers, spelled exactly as the locale area spells them.
#ifndef MAKELANGID
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define PRIMARYLANGID(lgid) ((WORD)(lgid) & 0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)
#endif
#ifndef LANG_NEUTRAL
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#endif
#ifndef SUBLANG_ENGLISH_US
#define SUBLANG_ENGLISH_US 0x01
#endif

// The callback returned FALSE and stopped an enumeration.
#define ERROR_RESOURCE_ENUM_USER_STOP 15106L

typedef BOOL(CALLBACK* ENUMRESTYPEPROCW)(HMODULE module, LPWSTR type, LONG_PTR param);
typedef BOOL(CALLBACK* ENUMRESNAMEPROCW)(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param);
typedef BOOL(CALLBACK* ENUMRESLANGPROCW)(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param);

// A null module is the program.
KW_API HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
KW_API HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
// The data stays where it is until the module's last FreeLibrary; LoadResource
// gives its address (LockResource returns it unchanged).
KW_API HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
KW_API LPVOID WINAPI LockResource(HGLOBAL data);
KW_API DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
// Nothing to release: returns FALSE, as on Windows.
KW_API BOOL WINAPI FreeResource(HGLOBAL data);
// String id lives in string table block id / 16 + 1, entry id % 16. Copies
// at most max - 1 characters and a terminator and returns the count; with
// max 0, stores a read-only pointer to the (unterminated) string in *buffer
// and returns its length. 0 when the string is missing or empty.
KW_API int WINAPI LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int max);
KW_API int WINAPI LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int max);
// Names passed to the callbacks are integer resources or strings valid
// during the call.
KW_API BOOL WINAPI EnumResourceTypesW(HMODULE module, ENUMRESTYPEPROCW proc, LONG_PTR param);
KW_API BOOL WINAPI EnumResourceNamesW(HMODULE module, LPCWSTR type, ENUMRESNAMEPROCW proc, LONG_PTR param);
KW_API BOOL WINAPI EnumResourceLanguagesW(HMODULE module, LPCWSTR type, LPCWSTR name, ENUMRESLANGPROCW proc,
                                          LONG_PTR param);
