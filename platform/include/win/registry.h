// The registry: keys and typed values under the predefined roots, kept in
// memory and persisted in the world folder. Names of keys and values are
// compared ignoring case.
#pragma once
#include "win/base.h"

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11
#define REG_QWORD_LITTLE_ENDIAN 11

#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_OPTION_VOLATILE 0x00000001
#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002


#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x00020019
#define KEY_EXECUTE KEY_READ
#define KEY_WRITE 0x00020006
#define KEY_ALL_ACCESS 0x000F003F

#ifndef ERROR_BAD_PATHNAME
#define ERROR_BAD_PATHNAME 161L
#endif
#ifndef ERROR_BADKEY
#define ERROR_BADKEY 1010L
#endif

typedef DWORD REGSAM;
typedef LONG LSTATUS;

KW_API LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM sam, PHKEY result);
KW_API LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY result);
KW_API LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                                      REGSAM sam, LPSECURITY_ATTRIBUTES security, PHKEY result,
                                      LPDWORD disposition);
KW_API LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                      REGSAM sam, LPSECURITY_ATTRIBUTES security, PHKEY result,
                                      LPDWORD disposition);
KW_API LSTATUS WINAPI RegCloseKey(HKEY key);
KW_API LSTATUS WINAPI RegFlushKey(HKEY key);

KW_API LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                       LPDWORD dataSize);
KW_API LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                       LPDWORD dataSize);
KW_API LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                     DWORD dataSize);
KW_API LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                     DWORD dataSize);
KW_API LSTATUS WINAPI RegDeleteValueW(HKEY key, LPCWSTR valueName);
KW_API LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName);
KW_API LSTATUS WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey);
KW_API LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey);

KW_API LSTATUS WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved,
                                    LPWSTR keyClass, LPDWORD classChars, PFILETIME lastWrite);
KW_API LSTATUS WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved,
                                    LPSTR keyClass, LPDWORD classChars, PFILETIME lastWrite);
KW_API LSTATUS WINAPI RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved,
                                    LPDWORD type, LPBYTE data, LPDWORD dataSize);
KW_API LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved,
                                    LPDWORD type, LPBYTE data, LPDWORD dataSize);
KW_API LSTATUS WINAPI RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classChars, LPDWORD reserved,
                                       LPDWORD subKeys, LPDWORD maxSubKeyChars, LPDWORD maxClassChars,
                                       LPDWORD values, LPDWORD maxValueNameChars, LPDWORD maxValueBytes,
                                       LPDWORD securityDescriptorBytes, PFILETIME lastWrite);
