#include "tests/support/pe_builder.h"

#include <algorithm>

namespace kadu_test {

void PutLe16(std::vector<uint8_t>* b, size_t at, uint16_t v) {
  if (b->size() < at + 2) b->resize(at + 2);
  (*b)[at] = uint8_t(v);
  (*b)[at + 1] = uint8_t(v >> 8);
}

void PutLe32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  PutLe16(b, at, uint16_t(v));
  PutLe16(b, at + 2, uint16_t(v >> 16));
}

namespace {

bool SameKey(const PeKey& a, const PeKey& b) { return a.name == b.name && (!a.name.empty() || a.id == b.id); }

struct Dir {
  std::vector<PeKey> keys;            // entries, named first
  std::vector<int> children;          // directory index, or -1 - leaf index
  size_t offset = 0;
};

size_t Align(size_t v, size_t a) { return (v + a - 1) / a * a; }

// Orders entries named first, keeping the given order otherwise.
void NamedFirst(Dir* d) {
  std::vector<size_t> order(d->keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_partition(order.begin(), order.end(), [&](size_t i) { return !d->keys[i].name.empty(); });
  Dir sorted;
  for (size_t i : order) {
    sorted.keys.push_back(d->keys[i]);
    sorted.children.push_back(d->children[i]);
  }
  d->keys = sorted.keys;
  d->children = sorted.children;
}

int ChildFor(std::vector<Dir>* dirs, int parent, const PeKey& key) {
  Dir& p = (*dirs)[size_t(parent)];
  for (size_t i = 0; i < p.keys.size(); ++i) {
    if (SameKey(p.keys[i], key)) return p.children[i];
  }
  dirs->push_back(Dir{});
  int index = int(dirs->size() - 1);
  (*dirs)[size_t(parent)].keys.push_back(key);
  (*dirs)[size_t(parent)].children.push_back(index);
  return index;
}

}  // namespace

std::vector<uint8_t> BuildResourceSection(const std::vector<PeResourceSpec>& items) {
  std::vector<Dir> dirs(1);
  for (size_t i = 0; i < items.size(); ++i) {
    int typeDir = ChildFor(&dirs, 0, items[i].type);
    int nameDir = ChildFor(&dirs, typeDir, items[i].name);
    dirs[size_t(nameDir)].keys.push_back(PeKey{items[i].language, {}});
    dirs[size_t(nameDir)].children.push_back(-1 - int(i));
  }
  size_t at = 0;
  for (Dir& d : dirs) {
    NamedFirst(&d);
    d.offset = at;
    at += 16 + 8 * d.keys.size();
  }
  std::vector<uint8_t> out(at);
  size_t dataEntries = at;
  // Strings after the data entries, data after the strings.
  size_t strings = dataEntries + 16 * items.size();
  size_t stringEnd = strings;
  for (const Dir& d : dirs) {
    for (const PeKey& k : d.keys) stringEnd += k.name.empty() ? 0 : 2 + 2 * k.name.size();
  }
  size_t data = Align(stringEnd, 8);
  for (const Dir& d : dirs) {
    uint16_t named = uint16_t(std::count_if(d.keys.begin(), d.keys.end(), [](const PeKey& k) { return !k.name.empty(); }));
    PutLe16(&out, d.offset + 12, named);
    PutLe16(&out, d.offset + 14, uint16_t(d.keys.size() - named));
    for (size_t i = 0; i < d.keys.size(); ++i) {
      size_t e = d.offset + 16 + 8 * i;
      const PeKey& k = d.keys[i];
      if (k.name.empty()) {
        PutLe32(&out, e, k.id);
      } else {
        PutLe32(&out, e, 0x80000000u | uint32_t(strings));
        PutLe16(&out, strings, uint16_t(k.name.size()));
        for (size_t c = 0; c < k.name.size(); ++c) PutLe16(&out, strings + 2 + 2 * c, k.name[c]);
        strings += 2 + 2 * k.name.size();
      }
      int child = d.children[i];
      if (child >= 0) {
        PutLe32(&out, e + 4, 0x80000000u | uint32_t(dirs[size_t(child)].offset));
        continue;
      }
      size_t leaf = size_t(-1 - child);
      size_t entry = dataEntries + 16 * leaf;
      PutLe32(&out, e + 4, uint32_t(entry));
      PutLe32(&out, entry, uint32_t(kPeBuilderRsrcRva + data));
      PutLe32(&out, entry + 4, uint32_t(items[leaf].data.size()));
      PutLe32(&out, entry + 8, 1252);
      if (out.size() < data + items[leaf].data.size()) out.resize(data + items[leaf].data.size());
      std::copy(items[leaf].data.begin(), items[leaf].data.end(), out.begin() + long(data));
      data = Align(data + items[leaf].data.size(), 8);
    }
  }
  out.resize(std::max(out.size(), data));
  return out;
}

std::vector<uint8_t> BuildPeFile(const std::vector<uint8_t>& rsrc, bool pe32plus) {
  std::vector<uint8_t> f(kPeBuilderRsrcFileOffset, 0);
  f[0] = 'M';
  f[1] = 'Z';
  const size_t pe = 0x40;
  PutLe32(&f, 0x3C, pe);
  f[pe] = 'P';
  f[pe + 1] = 'E';
  size_t coff = pe + 4;
  uint16_t optSize = pe32plus ? 240 : 224;
  PutLe16(&f, coff, pe32plus ? 0x8664 : 0x14C);  // machine
  PutLe16(&f, coff + 2, 1);                       // one section
  PutLe16(&f, coff + 16, optSize);
  PutLe16(&f, coff + 18, 0x2102);                 // executable image, DLL
  size_t opt = coff + 20;
  PutLe16(&f, opt, pe32plus ? 0x20B : 0x10B);
  PutLe32(&f, opt + 32, 0x1000);  // section and file alignment: same place in both layouts
  PutLe32(&f, opt + 36, 0x200);
  size_t rvaCount = pe32plus ? 108 : 92;
  PutLe32(&f, opt + rvaCount, 16);
  size_t dirs = rvaCount + 4;
  PutLe32(&f, opt + dirs + 2 * 8, kPeBuilderRsrcRva);
  PutLe32(&f, opt + dirs + 2 * 8 + 4, uint32_t(rsrc.size()));
  size_t sec = opt + optSize;
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  std::copy(name, name + 8, f.begin() + long(sec));
  uint32_t raw = uint32_t(Align(rsrc.size(), 0x200));
  PutLe32(&f, sec + 8, uint32_t(rsrc.size()));  // virtual size
  PutLe32(&f, sec + 12, kPeBuilderRsrcRva);
  PutLe32(&f, sec + 16, raw);
  PutLe32(&f, sec + 20, kPeBuilderRsrcFileOffset);
  PutLe32(&f, sec + 36, 0x40000040);            // initialised data, readable
  f.resize(kPeBuilderRsrcFileOffset + raw, 0);
  std::copy(rsrc.begin(), rsrc.end(), f.begin() + kPeBuilderRsrcFileOffset);
  return f;
}

}  // namespace kadu_test
