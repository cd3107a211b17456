// The system's folders: the Windows and system folders and the shell's
// special folders, all folders of the world (see kw/world.h). A special folder
// is made on first request, as it exists on any installed Windows; its place
// follows the system version (user profiles under "C:\Users" from version 6
// on, under "C:\Documents and Settings" before).
#pragma once
#include "win/base.h"

// Characters copied without the terminator; when the buffer is too short, the
// size needed including it (nothing copied).
KW_API UINT WINAPI GetSystemDirectoryW(LPWSTR out, UINT outChars);
KW_API UINT WINAPI GetSystemDirectoryA(LPSTR out, UINT outChars);
KW_API UINT WINAPI GetWindowsDirectoryW(LPWSTR out, UINT outChars);
KW_API UINT WINAPI GetWindowsDirectoryA(LPSTR out, UINT outChars);
KW_API UINT WINAPI GetSystemWindowsDirectoryW(LPWSTR out, UINT outChars);

#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_FONTS 0x0014
#define CSIDL_APPDATA 0x001A
#define CSIDL_LOCAL_APPDATA 0x001C
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_PROFILE 0x0028
#define CSIDL_COMMON_DOCUMENTS 0x002E
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_DONT_VERIFY 0x4000
#define CSIDL_FLAG_MASK 0xFF00

#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1
#ifndef S_OK
#define S_OK ((HRESULT)0L)
#endif
#ifndef E_FAIL
#define E_FAIL ((HRESULT)0x80004005L)
#endif
#ifndef E_INVALIDARG
#define E_INVALIDARG ((HRESULT)0x80070057L)
#endif

// path: a buffer of MAX_PATH characters. FALSE for a folder the world does
// not know (or a null buffer).
KW_API BOOL WINAPI SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);
KW_API BOOL WINAPI SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);
KW_API HRESULT WINAPI SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, LPWSTR path);
