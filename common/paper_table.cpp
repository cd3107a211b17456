#include "common/paper_table.h"

#include <cstring>

#include "common/value_syntax.h"

namespace kadu {
namespace {

// Paper code to display string and short string; the last four rows repeat
// earlier codes and are never reached, as in the shipped table.
const PaperKindRow kPaperKinds[] = {
    {9, 300, 9000},   {11, 301, 9001},  {70, 302, 9002},  {13, 303, 9003},  {263, 304, 9004}, {1, 305, 9005},
    {6, 340, 9040},   {5, 306, 9006},   {14, 307, 9007},  {7, 308, 9008},   {43, 309, 9009},  {82, 310, 9010},
    {73, 311, 9011},  {74, 312, 9012},  {91, 313, 9013},  {264, 314, 9014}, {27, 315, 9015},  {28, 316, 9016},
    {31, 341, 9041},  {20, 317, 9017},  {37, 321, 9021},  {256, 320, 9020}, {19, 322, 9022},  {30, 323, 9023},
    {266, 324, 9024}, {8, 318, 9018},   {12, 319, 9019},  {267, 327, 9027}, {268, 328, 9028}, {3, 329, 9029},
    {269, 330, 9030}, {270, 331, 9031}, {271, 332, 9032}, {30, 323, 9023},  {256, 320, 9020}, {8, 318, 9018},
    {12, 319, 9019},
};
static_assert(sizeof(kPaperKinds) / sizeof(kPaperKinds[0]) == 37);

std::u16string Read(const std::u16string& file, const char16_t* section, const std::u16string& key) {
  WCHAR buf[kMaxValueChars + 1];
  DWORD n = GetPrivateProfileStringW(section, key.c_str(), u"", buf, kMaxValueChars + 1, file.c_str());
  return std::u16string(buf, n);
}

void ReadArea(const std::u16string& text, uint16_t* words) {
  int32_t v[6] = {};
  if (!text.empty()) ParseNumberList(text, false, v, 6);
  for (int i = 0; i < 6; ++i) words[i] = uint16_t(v[i]);
}

}  // namespace

const PaperKindRow& PaperKindOf(uint16_t code) {
  for (const auto& r : kPaperKinds)
    if (r.code == code) return r;
  return kPaperKinds[0];
}

int ReadPaperTable(const std::u16string& file, PaperRecord* rows) {
  std::memset(rows, 0, sizeof(PaperRecord) * kPaperTableCapacity);
  int n = 0;
  for (; n < int(kPaperTableCapacity); ++n) {
    std::u16string key = DecimalText(n + 1);
    std::u16string all = Read(file, u"AllPaper", key);
    if (all.empty()) break;
    PaperRecord& r = rows[n];
    ListCursor cur(all);
    r.code = uint16_t(cur.Number(false));
    std::u16string name = cur.String(63);
    std::char_traits<char16_t>::copy(r.name, name.data(), name.size());
    r.nameFormat = uint16_t(cur.Number(false));
    r.paperClass = uint32_t(cur.Number(false));
    r.widthDots = uint16_t(cur.Number(false));
    r.lengthDots = uint16_t(cur.Number(false));
    const PaperKindRow& kind = PaperKindOf(r.code);
    r.displayString = kind.displayString;
    r.shortString = kind.shortString;
    ReadArea(Read(file, u"AllPaper_port", key), r.portrait);
    ReadArea(Read(file, u"AllPaper_land", key), r.landscape);
    std::u16string mm = Read(file, u"AllPaper_mmSize", key);
    if (!mm.empty()) {
      int32_t v[2] = {};
      ParseNumberList(mm, false, v, 2);
      r.widthTenths = uint16_t(v[0]);
      r.lengthTenths = uint16_t(v[1]);
    }
  }
  return n;
}

int CountPaperRecords(const PaperRecord* rows) {
  int n = 0;
  while (n < int(kPaperTableCapacity) && rows[n].displayString != 0) ++n;
  return n;
}

void PaperSizeTenths(const PaperRecord& r, int* width, int* length) {
  if (r.widthTenths == 0 && r.lengthTenths == 0) {
    *width = (r.widthDots * 2540 + 1500) / 3000;
    *length = (r.lengthDots * 2540 + 1500) / 3000;
  } else {
    *width = r.widthTenths;
    *length = r.lengthTenths;
  }
}

}  // namespace kadu
