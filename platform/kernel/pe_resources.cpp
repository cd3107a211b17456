// Reader of the resource section of a PE file (PE/COFF format, file layout).
// The resource tree has three levels: type, name, language; its directory and
// name offsets count from the start of the resource directory, its data
// entries give RVAs that the section table maps to file offsets.
#include "kw/pe_resources.h"

#include <bit>
#include <cstring>

namespace kw {
namespace {

static_assert(std::endian::native == std::endian::little, "PE records are read in place as little-endian");

// ---- the records, as laid out in the file ----------------------------------------

struct PeFileHeader {  // COFF file header, after the "PE\0\0" signature
  uint16_t machine;
  uint16_t numberOfSections;
  uint32_t timeDateStamp;
  uint32_t pointerToSymbolTable;
  uint32_t numberOfSymbols;
  uint16_t sizeOfOptionalHeader;
  uint16_t characteristics;
};
static_assert(sizeof(PeFileHeader) == 20);
static_assert(offsetof(PeFileHeader, numberOfSections) == 2);
static_assert(offsetof(PeFileHeader, sizeOfOptionalHeader) == 16);

struct PeDataDirectory {
  uint32_t virtualAddress;
  uint32_t size;
};
static_assert(sizeof(PeDataDirectory) == 8);

struct PeSectionHeader {
  char name[8];
  uint32_t virtualSize;
  uint32_t virtualAddress;
  uint32_t sizeOfRawData;
  uint32_t pointerToRawData;
  uint32_t pointerToRelocations;
  uint32_t pointerToLinenumbers;
  uint16_t numberOfRelocations;
  uint16_t numberOfLinenumbers;
  uint32_t characteristics;
};
static_assert(sizeof(PeSectionHeader) == 40);
static_assert(offsetof(PeSectionHeader, virtualSize) == 8);
static_assert(offsetof(PeSectionHeader, virtualAddress) == 12);
static_assert(offsetof(PeSectionHeader, sizeOfRawData) == 16);
static_assert(offsetof(PeSectionHeader, pointerToRawData) == 20);

struct PeResourceDirectory {
  uint32_t characteristics;
  uint32_t timeDateStamp;
  uint16_t majorVersion;
  uint16_t minorVersion;
  uint16_t numberOfNamedEntries;
  uint16_t numberOfIdEntries;
};
static_assert(sizeof(PeResourceDirectory) == 16);
static_assert(offsetof(PeResourceDirectory, numberOfNamedEntries) == 12);
static_assert(offsetof(PeResourceDirectory, numberOfIdEntries) == 14);

struct PeResourceDirectoryEntry {
  uint32_t name;          // high bit: offset of a counted string; else the ID
  uint32_t offsetToData;  // high bit: offset of a subdirectory; else of a data entry
};
static_assert(sizeof(PeResourceDirectoryEntry) == 8);

struct PeResourceDataEntry {
  uint32_t offsetToData;  // an RVA
  uint32_t size;
  uint32_t codePage;
  uint32_t reserved;
};
static_assert(sizeof(PeResourceDataEntry) == 16);

constexpr size_t kDosLfanewOffset = 0x3C;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
// Where NumberOfRvaAndSizes and the data directories sit in each optional header.
constexpr size_t kRvaCountPe32 = 92, kDirsPe32 = 96;
constexpr size_t kRvaCountPe32Plus = 108, kDirsPe32Plus = 112;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kMaxVisits = 1u << 20;  // directory entries examined, whatever the file claims

// ---- bounded reading -----------------------------------------------------------

struct Bytes {
  const uint8_t* data;
  size_t size;

  bool Has(uint64_t offset, uint64_t length) const { return offset <= size && length <= size - offset; }

  template <class T>
  bool Read(uint64_t offset, T* out) const {
    if (!Has(offset, sizeof(T))) return false;
    std::memcpy(out, data + offset, sizeof(T));
    return true;
  }
};

struct Image {
  Bytes file;
  uint64_t sectionsAt;  // file offset of the section table, which the file holds
  size_t sectionCount;

  PeSectionHeader Section(size_t i) const {
    PeSectionHeader s{};
    file.Read(sectionsAt + i * sizeof s, &s);
    return s;
  }
};

// File offset of the bytes [rva, rva + length) when a section's raw data holds them.
bool RvaToOffset(const Image& img, uint32_t rva, uint32_t length, uint64_t* offset) {
  for (size_t i = 0; i < img.sectionCount; ++i) {
    PeSectionHeader s = img.Section(i);
    uint64_t start = s.virtualAddress;
    if (rva < start) continue;
    uint64_t into = rva - start;
    if (into + length > s.sizeOfRawData) continue;
    uint64_t at = uint64_t(s.pointerToRawData) + into;
    if (!img.file.Has(at, length)) continue;
    *offset = at;
    return true;
  }
  return false;
}

// The resource directory: from its start to the end of the raw data of the
// section that holds it.
bool ResourceArea(const Image& img, uint32_t rva, Bytes* area) {
  for (size_t i = 0; i < img.sectionCount; ++i) {
    PeSectionHeader s = img.Section(i);
    if (rva < s.virtualAddress || uint64_t(rva) - s.virtualAddress >= s.sizeOfRawData) continue;
    uint64_t at = uint64_t(s.pointerToRawData) + (rva - s.virtualAddress);
    uint64_t end = uint64_t(s.pointerToRawData) + s.sizeOfRawData;
    if (end > img.file.size) end = img.file.size;
    if (at >= end) return false;
    *area = Bytes{img.file.data + at, size_t(end - at)};
    return true;
  }
  return false;
}

// ---- the resource tree -------------------------------------------------------------

struct Walk {
  const Image& img;
  Bytes area;
  PeResourceTable* out;
  size_t visits = 0;
  PeResourceName path[2];  // type and name of the current branch
};

bool ReadName(const Walk& w, uint32_t field, PeResourceName* name) {
  if (!(field & kHighBit)) {
    name->isId = true;
    name->id = WORD(field & 0xFFFF);
    name->text.clear();
    return true;
  }
  uint64_t at = field & ~kHighBit;
  uint16_t length;
  if (!w.area.Read(at, &length) || !w.area.Has(at + 2, uint64_t(length) * 2)) return false;
  name->isId = false;
  name->id = 0;
  name->text.resize(length);
  std::memcpy(name->text.data(), w.area.data + at + 2, size_t(length) * 2);
  return true;
}

void AddLeaf(Walk& w, WORD language, uint32_t dataEntryOffset) {
  PeResourceDataEntry d;
  uint64_t offset;
  if (!w.area.Read(dataEntryOffset, &d) || !RvaToOffset(w.img, d.offsetToData, d.size, &offset)) return;
  w.out->items.push_back(PeResource{w.path[0], w.path[1], language, uint32_t(offset), d.size, d.codePage});
}

void ReadDirectory(Walk& w, uint64_t at, int level) {
  PeResourceDirectory dir;
  if (!w.area.Read(at, &dir)) return;
  uint64_t count = uint64_t(dir.numberOfNamedEntries) + dir.numberOfIdEntries;
  for (uint64_t i = 0; i < count; ++i) {
    if (++w.visits > kMaxVisits || w.out->items.size() >= kPeMaxResources) return;
    PeResourceDirectoryEntry e;
    if (!w.area.Read(at + sizeof dir + i * sizeof e, &e)) return;
    bool isDirectory = (e.offsetToData & kHighBit) != 0;
    uint32_t target = e.offsetToData & ~kHighBit;
    if (level < 2) {
      // Types and names lead to directories; a leaf this high is malformed.
      if (!isDirectory || !ReadName(w, e.name, &w.path[level])) continue;
      ReadDirectory(w, target, level + 1);
    } else if (!isDirectory && !(e.name & kHighBit)) {
      AddLeaf(w, WORD(e.name & 0xFFFF), target);
    }
  }
}

// ---- headers -------------------------------------------------------------------------

bool ReadHeaders(Bytes file, Image* img, PeDataDirectory* resources) {
  uint32_t lfanew;
  char sig[4];
  PeFileHeader fh;
  if (!file.Has(0, 64) || file.data[0] != 'M' || file.data[1] != 'Z') return false;
  if (!file.Read(kDosLfanewOffset, &lfanew) || !file.Read(lfanew, &sig) || std::memcmp(sig, "PE\0\0", 4) != 0)
    return false;
  uint64_t coff = uint64_t(lfanew) + 4;
  uint64_t opt = coff + sizeof fh;
  uint16_t magic;
  if (!file.Read(coff, &fh) || fh.sizeOfOptionalHeader < 2 || !file.Read(opt, &magic)) return false;
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) return false;
  uint64_t sectionsAt = opt + fh.sizeOfOptionalHeader;
  if (!file.Has(sectionsAt, uint64_t(fh.numberOfSections) * sizeof(PeSectionHeader))) return false;
  img->file = file;
  img->sectionsAt = sectionsAt;
  img->sectionCount = fh.numberOfSections;

  size_t countAt = magic == kMagicPe32 ? kRvaCountPe32 : kRvaCountPe32Plus;
  size_t dirsAt = magic == kMagicPe32 ? kDirsPe32 : kDirsPe32Plus;
  uint32_t rvaCount = 0;
  *resources = PeDataDirectory{0, 0};
  uint64_t dirOffset = dirsAt + uint64_t(kResourceDirectoryIndex) * sizeof(PeDataDirectory);
  // The directory must lie inside the optional header that the file declares.
  if (countAt + 4 <= fh.sizeOfOptionalHeader && file.Read(opt + countAt, &rvaCount) &&
      rvaCount > kResourceDirectoryIndex && dirOffset + sizeof(PeDataDirectory) <= fh.sizeOfOptionalHeader) {
    file.Read(opt + dirOffset, resources);
  }
  return true;
}

}  // namespace

bool PeReadResources(const uint8_t* file, size_t size, PeResourceTable* out, DWORD* error) {
  *out = PeResourceTable{};
  Image img{};
  PeDataDirectory resources;
  if (!file || size > kPeMaxFileSize || !ReadHeaders(Bytes{file, size}, &img, &resources)) {
    *error = ERROR_BAD_EXE_FORMAT;
    return false;
  }
  Bytes area{};
  if (resources.virtualAddress == 0 || !ResourceArea(img, resources.virtualAddress, &area)) return true;
  out->hasSection = true;
  Walk w{img, area, out, 0, {}};
  ReadDirectory(w, 0, 0);
  return true;
}

}  // namespace kw
