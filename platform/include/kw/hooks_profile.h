// Test hooks for the profile functions: a log of what was read, the number of
// times files were parsed, and failing writes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kw::hooks {

// One read through the profile functions. `file` is the name as the caller
// passed it; an empty `section` with `allSections` lists sections, an empty
// `key` with `allKeys` lists a section's keys or reads the whole section.
struct ProfileRead {
  std::u16string file;
  std::u16string section;
  std::u16string key;
  bool allSections = false;
  bool allKeys = false;
};

// Starts (clearing) or stops recording reads; ProfileReads returns them.
void ProfileRecordReads(bool on);
std::vector<ProfileRead> ProfileReads();

// Number of times a file's text was read from disk and parsed; the layer
// keeps parsed files until they change on disk or are flushed.
uint64_t ProfileParseCount();

// Makes the n-th profile write from now (1 = the next) fail with
// ERROR_DISK_FULL, and every later one when `sticky`; 0 turns it off.
void ProfileFailWritesAt(uint64_t n, bool sticky = false);

}  // namespace kw::hooks
