// The user-defined paper list (the user paper cache): one movable global
// block read from the user's KADU.INI, and the requests the driver answers
// from it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/model_record.h"
#include "windows.h"

namespace kadu {

struct UserPaperHeader {
  int16_t highestCode;  // starts at 276, raised to every larger entry code
  uint16_t count;
  uint16_t updateNumber;  // "UpdateNo" when the block was read
};
static_assert(sizeof(UserPaperHeader) == 6);

struct UserPaperEntry {
  uint16_t code;
  WCHAR name[40];      // up to 39 characters
  uint16_t width;      // 0.1 mm
  uint16_t length;
  uint16_t paperKind;  // the first word after the length
  uint16_t unit;       // the second: 0 millimetres, 1 inches (display only)
};
static_assert(sizeof(UserPaperEntry) == 90);
static_assert(offsetof(UserPaperEntry, width) == 82);
static_assert(offsetof(UserPaperEntry, unit) == 88);

// The process-wide block (null when there is none).
HGLOBAL UserPaperCacheHandle();
void SetUserPaperCacheHandle(HGLOBAL block);
// Reads the list from section "UserDefPaper" of the user's KADU.INI unless
// the block's update number equals "UpdateNo" (under the store lock).
bool RefreshUserPaperCache(const std::u16string& iniPath);
// Frees the block.
void FreeUserPaperCache();

// The entry of a code; false when it is not in the list or the list cannot be
// locked within ten attempts.
bool FindUserPaper(int code, UserPaperEntry* out);

// Request kinds (low byte) and filter bits.
enum UserPaperRequest : DWORD {
  kUpCount = 1, kUpCode = 2, kUpText = 3, kUpCodeText = 4, kUpSize = 5, kUpCodeSize = 6, kUpEntry = 7,
  kUpCodeEntry = 8, kUpKind = 9, kUpCodeKind = 10, kUpHighestCode = 11, kUpSize32 = 12, kUpCodeSize32 = 13,
  kUpShortName = 14, kUpFilteredCount = 15, kUpUnit = 16,
  kUpIncludeOutside = 0x100,  // also entries outside the custom size limits
  kUpOnlyOutside = 0x200,     // only those
};
// Characters of a display text element (name, size and unit with its zero).
inline constexpr size_t kUserPaperTextChars = 64;
// Bytes one entry takes in the output of a request (0 for requests that only
// return a number).
size_t UserPaperElementSize(DWORD request);
// Answers a request (see docs/model-data.md). With code 0, every entry that
// passes the filter is written to `out` (when not null, as far as outBytes
// allows) and the result is their number (kinds 1, 11 and 15: the number
// asked for). With a paper code, only that entry is written and the result
// is the code of the next entry (0 after the last), plus 0x8000 when the
// entry lies outside the limits; -1 when the code is not in the list or the
// list cannot be locked.
LONG UserPaperQuery(const ModelInfo& info, DWORD request, int code, void* out, size_t outBytes);

// "%s %s x %smm" or, for an entry in inches, "%s %s x %sin".
std::u16string UserPaperDisplayText(const UserPaperEntry& e);

}  // namespace kadu
