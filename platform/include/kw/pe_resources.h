// The layer's reader of PE resource sections, written from the PE/COFF
// format. Input is untrusted: every offset and size is checked against the
// file before it is used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "win/base.h"

namespace kw {

// A resource directory name: an integer ID or a string.
struct PeResourceName {
  bool isId = true;
  WORD id = 0;
  std::u16string text;  // when !isId, as stored in the file
};

struct PeResource {
  PeResourceName type;
  PeResourceName name;
  WORD language;
  uint32_t fileOffset;  // of the data, inside the file
  uint32_t size;
  uint32_t codePage;
};

struct PeResourceTable {
  bool hasSection = false;        // the file has a resource directory
  std::vector<PeResource> items;  // directory order: type, then name, then language
};

// Upper limits the reader keeps to whatever the file says.
constexpr size_t kPeMaxResources = 65536;
constexpr size_t kPeMaxFileSize = 256u << 20;

// Reads a PE file held in memory (file layout, 32-bit or 64-bit). Returns
// false with *error = ERROR_BAD_EXE_FORMAT when the headers are not those of
// a PE file. Directory entries, names or data that lie outside the file, and
// anything past kPeMaxResources, are left out; a resource directory that
// cannot be read at all leaves the table empty (hasSection false).
bool PeReadResources(const uint8_t* file, size_t size, PeResourceTable* out, DWORD* error);

}  // namespace kw
