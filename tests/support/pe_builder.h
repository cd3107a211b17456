// Builds small PE files with a resource section, written from the PE/COFF
// format independently of the layer's reader, for tests that need exact or
// deliberately broken layouts (and PE32+ files, which the MinGW tools
// installed here do not make).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kadu_test {

// A resource directory key: an ID, or a name when `name` is not empty.
struct PeKey {
  uint16_t id = 0;
  std::u16string name;
};

struct PeResourceSpec {
  PeKey type;
  PeKey name;
  uint16_t language;
  std::vector<uint8_t> data;
};

constexpr uint32_t kPeBuilderRsrcRva = 0x1000;
constexpr uint32_t kPeBuilderRsrcFileOffset = 0x200;

// The bytes of a resource section placed at kPeBuilderRsrcRva. Items are
// grouped by type, then name, in the order given; within each directory the
// named entries come first, as the format asks.
std::vector<uint8_t> BuildResourceSection(const std::vector<PeResourceSpec>& items);

// A PE file (PE32, or PE32+ when `pe32plus`) whose one section ".rsrc" holds
// `rsrc` at kPeBuilderRsrcRva, file offset kPeBuilderRsrcFileOffset.
std::vector<uint8_t> BuildPeFile(const std::vector<uint8_t>& rsrc, bool pe32plus);

// Little-endian stores into a byte vector (grows it as needed).
void PutLe16(std::vector<uint8_t>* bytes, size_t at, uint16_t v);
void PutLe32(std::vector<uint8_t>* bytes, size_t at, uint32_t v);

}  // namespace kadu_test
