// Where a model's data files are: the driver folder, the code table
// KADU.DAT that names the files of each model, the data stamps, the cache
// folder and the user's settings folder.
#pragma once
#include <cstdint>
#include <string>

#include "windows.h"

namespace kadu {

// The driver's own module, set by each driver library when it is attached;
// its folder is the driver folder.
void SetDriverModule(HMODULE module);
// The driver folder, ending in a backslash: the folder of the driver module,
// or the system folder when the module's name cannot be read.
std::u16string DriverFolder();
// Puts the driver folder elsewhere (hosts and tests); empty undoes it.
void SetDriverFolder(const std::u16string& folder);

// Reads `key` of `section` from KADU.DAT (at most 520 characters); the result
// is the driver folder (when asked) followed by the value. False when the key
// has no value.
bool GetDataFilePath(const WCHAR* section, const WCHAR* key, bool withFolder, std::u16string* out);
// The KADU.DAT setting of a code, from `section`, else from "General";
// empty for an unknown code. Cut to outChars - 1 characters; returns the
// characters copied.
DWORD ReadDriverSetting(int code, const WCHAR* section, WCHAR* out, DWORD outChars);

// The data files of a model (full paths; a missing key gives the bare folder).
struct ModelFiles {
  std::u16string ditherModule;  // InitDataFile1
  std::u16string paperFile;     // InitDataFile2
  std::u16string watermarkFile; // InitDataFile3
  std::u16string defaultFile;
  std::u16string customFile;
};
ModelFiles FindModelFiles(const WCHAR* driverName);
// "Ver" of the section "VERSION" of InitDataFile2, InitDataFile3, DefaultFile
// and CustomFile (0 when missing).
void ReadDataStamps(const ModelFiles& files, uint16_t stamps[4]);

// CSIDL_COMMON_APPDATA\KADU: the caches.
std::u16string SharedDataFolder();
// CSIDL_APPDATA\KADU: the user's KADU.INI and settings files.
std::u16string UserSettingsFolder();
// The cache files: the base name (up to its first ".") of InitDataFile1 or of
// DefaultFile, plus ".cah", in the shared data folder.
std::u16string CommonCachePath(const ModelFiles& files);
std::u16string ModelCachePath(const ModelFiles& files);

// The user's country uses Letter: LOCALE_ICOUNTRY is 1, 2, 51, 52, 54, 56,
// 57, 58, 501-507, 591, 593, 595 or 598.
bool IsLetterCountry();

// Copy of a name cut to `chars` characters and terminated.
void CopyName(WCHAR* out, size_t chars, const WCHAR* in);
// Driver names compare with the letters a-z folded, to the first difference.
bool SameDriverName(const WCHAR* a, const WCHAR* b);

}  // namespace kadu
