// Modules. Code modules are the process's shared objects: LoadLibraryW opens
// them with the system's loader and calls their exported DllMain; an HMODULE
// is the module's real base address. Resource-only modules (PE files) load
// with LOAD_LIBRARY_AS_DATAFILE / _EXCLUSIVE / LOAD_LIBRARY_AS_IMAGE_RESOURCE
// and are read by the layer; their HMODULE is the address of the file's
// image in memory with bit 0 (data file) or bit 1 (image resource) set.
//
// A module name without a folder is looked for, ignoring case, in
//   1. the modules already loaded in the process (its use count grows);
//   2. the folders of the modules loaded through LoadLibrary, latest first;
//   3. the folder of the program;
//   4. the folders added with kw::ModuleAddSearchFolder, then those in
//      $KADU_MODULE_PATH (separated by ':'), then the build's library folders;
//   5. the world's C:\Windows\System32.
// In each folder the names tried are, in order: the name itself; with ".dll"
// added when it has no extension; and for a name "X.dll" or "X", "X.so" and
// "libX.so". A name with a folder is a Windows path (Z:\ is the host's root)
// and only the names of that folder are tried. ELF files load as code, PE
// files only as data; anything else fails with ERROR_BAD_EXE_FORMAT.
// Module paths are reported as Windows paths (see kw/world.h).
#pragma once
#include "win/base.h"

// Any exported function; callers cast it to the function's own type. (The
// return type is void here so that such casts compile without warnings.)
typedef void(WINAPI* FARPROC)(void);

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// LoadLibraryExW flags; the search-path flags (0x100 and up) are accepted
// and make no difference here.
#define DONT_RESOLVE_DLL_REFERENCES 0x00000001  // load without calling DllMain
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008
#define LOAD_IGNORE_CODE_AUTHZ_LEVEL 0x00000010
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#define LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE 0x00000040
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#define LOAD_LIBRARY_SEARCH_APPLICATION_DIR 0x00000200
#define LOAD_LIBRARY_SEARCH_USER_DIRS 0x00000400
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000

typedef struct _MODULEINFO {
  LPVOID lpBaseOfDll;  // lowest address of the loaded image
  DWORD SizeOfImage;   // span of its loaded segments
  LPVOID EntryPoint;   // DllMain when exported, else the program entry, else null
} MODULEINFO, *LPMODULEINFO;
static_assert(sizeof(MODULEINFO) == 24, "MODULEINFO natural 64-bit size");
static_assert(offsetof(MODULEINFO, SizeOfImage) == 8);
static_assert(offsetof(MODULEINFO, EntryPoint) == 16);

KW_API HMODULE WINAPI LoadLibraryW(LPCWSTR name);
KW_API HMODULE WINAPI LoadLibraryA(LPCSTR name);
// file must be null.
KW_API HMODULE WINAPI LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags);
KW_API HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags);
// DllMain(DLL_PROCESS_DETACH) runs when the last use ends.
KW_API BOOL WINAPI FreeLibrary(HMODULE module);
// Exports of that module itself (not of the modules it uses); no ordinals.
// A null module stands for the program.
KW_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
// Does not change the use count. A null name gives the program.
KW_API HMODULE WINAPI GetModuleHandleW(LPCWSTR name);
KW_API HMODULE WINAPI GetModuleHandleA(LPCSTR name);
// Full path; a null module is the program. When the buffer is too small the
// path is cut, terminated, nSize returned and ERROR_INSUFFICIENT_BUFFER set.
KW_API DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD nSize);
KW_API DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD nSize);

// The pseudo handle of the calling process.
KW_API HANDLE WINAPI GetCurrentProcess(void);
// Process status: the code modules of the process, the program first.
KW_API BOOL WINAPI EnumProcessModules(HANDLE process, HMODULE* modules, DWORD cb, LPDWORD cbNeeded);
KW_API BOOL WINAPI GetModuleInformation(HANDLE process, HMODULE module, LPMODULEINFO info, DWORD cb);
