// Profile (INI file) functions with the Windows rules: sections and keys are
// found ignoring case, the first occurrence wins, values are trimmed and lose
// one enclosing pair of quotes. Files are ANSI, or UTF-16LE with a byte-order
// mark; a file name without a folder lives in the Windows folder.
#pragma once
#include "win/base.h"

KW_API DWORD WINAPI GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR out,
                                             DWORD outChars, LPCWSTR fileName);
KW_API DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out,
                                             DWORD outChars, LPCSTR fileName);
KW_API UINT WINAPI GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
KW_API UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
KW_API DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR section, LPWSTR out, DWORD outChars, LPCWSTR fileName);
KW_API DWORD WINAPI GetPrivateProfileSectionA(LPCSTR section, LPSTR out, DWORD outChars, LPCSTR fileName);
KW_API DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR out, DWORD outChars, LPCWSTR fileName);
KW_API DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR out, DWORD outChars, LPCSTR fileName);

// A null value deletes the key, a null key the whole section; all three null
// flush the system's cache of the file (and return FALSE, as on Windows).
KW_API BOOL WINAPI WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);
KW_API BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
// Replaces a section with "key=value" lines given as a double-zero list; a
// null list deletes the section.
KW_API BOOL WINAPI WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR lines, LPCWSTR fileName);
KW_API BOOL WINAPI WritePrivateProfileSectionA(LPCSTR section, LPCSTR lines, LPCSTR fileName);
