// Paper and source rules: which paper a record names and its size, the
// papers booklet and duplex printing can use, the source a paper may come
// from, and the source actually sent.
#include "common/devmode_rules.h"
#include "common/user_paper.h"

namespace kadu {
namespace {

constexpr int kFirstUserPaper = 276;
constexpr uint32_t kPrintedReduced = 0x200;

void SetPaper(DriverDevmode* dm, int code, int width, int length) {
  dm->dm.dmPaperSize = short(code);
  dm->dm.dmPaperWidth = short(width);
  dm->dm.dmPaperLength = short(length);
}

void SetDefaultPaper(const DevmodeModel& m, DriverDevmode* dm) {
  int w, l;
  DefaultPaperSize(m, &w, &l);
  SetPaper(dm, DefaultPaperCode(m), w, l);
}

// A user-defined paper of the list with a size; false when it has none.
bool SetUserPaper(int code, DriverDevmode* dm) {
  UserPaperEntry e;
  if (!FindUserPaper(code, &e) || e.width == 0 || e.length == 0) return false;
  SetPaper(dm, code, e.width, e.length);
  return true;
}

bool InModelSources(const DevmodeModel& m, int source) {
  return SourceIndexOfCode(m.info, source) >= 0 || PaperTypeIndexOfCode(m.info, source) >= 0;
}

bool MultiPurposeTrayModel(int modelId) {
  switch (modelId) {
    case 38: case 39: case 40: case 42: case 43: case 45: case 46: case 47: case 48: case 49: case 50: case 51:
      return true;
    default: return false;
  }
}

}  // namespace

void ApplyPaperRule(const DevmodeModel& m, int paper, int width, int length, DriverDevmode* dm) {
  const int i = PaperIndexOfCode(m.info, paper);
  if (i >= 0) {
    if (IsCustomPaper(paper)) {
      // Every custom size is kept inside the limits: its dimensions divide
      // later, and the printer takes nothing else.
      int16_t limits[8];
      DevmodeSizeLimits(m, limits);
      width = ClampWidth(limits, width);
      length = ClampLength(limits, length);
      dm->priv.wCustomWidth = uint16_t(width);
      dm->priv.wCustomLength = uint16_t(length);
    } else {
      PaperSizeAt(m.info, i, &width, &length);
    }
    SetPaper(dm, paper, width, length);
    if (!HasFeature(m, kA3Printer) && !(dm->priv.dwFitPage & 0x1) && (PaperFlagsAt(m.info, i) & kPrintedReduced))
      dm->priv.dwFitPage |= 0x1;
    return;
  }
  if (i == -2 && paper >= kFirstUserPaper && SetUserPaper(paper, dm)) return;
  SetDefaultPaper(m, dm);
}

void ApplyBookletOrDuplexPaperRule(const DevmodeModel& m, DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  if (p.dwFinishingMode == 1) {
    if (!(p.dwFitPage & 0x1) && DuplexPaperOfCode(m.info, dm->dm.dmPaperSize, false) != dm->dm.dmPaperSize)
      p.dwFitPage |= 0x1;
    if (p.dwFitPage & 0x1) {
      int fit = DuplexPaperOfCode(m.info, int(p.dwFitPaperSize), false);
      if (uint32_t(fit) != p.dwFitPaperSize) {
        p.dwFitPage &= ~0x10u;
        p.dwFitPaperSize = uint32_t(fit);
      }
    }
    return;
  }
  if (dm->dm.dmDuplex == DMDUP_SIMPLEX || p.wManualDuplex > 1) return;
  int code = (p.dwFitPage & 0x1) ? int(p.dwFitPaperSize) : dm->dm.dmPaperSize;
  if (code > kFirstUserPaper) code = DMPAPER_USER;
  if (DuplexPaperOfCode(m.info, code, p.wManualDuplex == 1) != code) dm->dm.dmDuplex = DMDUP_SIMPLEX;
}

void ApplyDefaultSourceRule(const DevmodeModel& m, int source, DriverDevmode* dm) {
  int chosen;
  if (InModelSources(m, source))
    chosen = source;
  else if (source == DMBIN_MANUAL && SourceIndexOfCode(m.info, 257) >= 0)
    chosen = 257;
  else
    chosen = DefaultSourceCode(m.info);
  // Tray 1 and tray 2 feed papers only from a least size; smaller ones go
  // through the manual feed.
  int threshold = 0;
  if (source == DMBIN_UPPER && !HasFeature(m, k1stLarge)) threshold = 1000;
  if (source == 259 || (source == DMBIN_UPPER && HasFeature(m, k1stLarge))) threshold = 1480;
  if (threshold && (dm->dm.dmPaperWidth + 5 < threshold || dm->dm.dmPaperLength + 5 < 2100)) chosen = DMBIN_MANUAL;
  dm->dm.dmDefaultSource = short(chosen);
}

void ApplyMultiPurposeTrayRule(const DevmodeModel& m, DriverDevmode* dm) {
  bool mpt = MultiPurposeTrayModel(m.info.modelId) && dm->dm.dmDefaultSource == DMBIN_MANUAL &&
             dm->priv.wMPFisManual == 0;
  dm->priv.wEffectiveSource = uint16_t(mpt ? 257 : dm->dm.dmDefaultSource);
}

}  // namespace kadu
