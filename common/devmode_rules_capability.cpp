// The capability rules that end the merge: what the chosen paper and media
// allow decides the source, the output bin, the finishing option, the
// long-edge feed and whether manual duplex stays on.
#include "common/devmode_rules.h"
#include "common/user_paper.h"

namespace kadu {
namespace {

constexpr uint32_t kManualDuplexCapable = 0x400;

struct Capability {
  uint32_t paper;  // PF: flags of the paper printed on
  uint32_t media;  // MF: source mask of the media type
};

uint32_t MediaMaskOfCode(const DevmodeModel& m, int code) {
  return MediaMaskAt(m.info, MediaIndexOfCode(m.info, code));
}

// A user-defined paper counts as the free size (264) when the list
// marks it, else as the custom size (256).
int PaperForCapability(DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  int t = (p.dwFitPage & 0x1) ? int(p.dwFitPaperSize) : dm->dm.dmPaperSize;
  if (t <= 275) return t;
  UserPaperEntry e;
  bool found = FindUserPaper(t, &e);
  bool marked = found && e.paperKind != 0;
  p.wUserDefPaper = marked ? 1 : 0;
  p.wDispType = (found && e.unit != 0) ? 1 : 0;
  return marked ? 264 : 256;
}

// The source must feed the paper, and the media come from the source.
Capability SourceAndMedia(const DevmodeModel& m, int paper, DriverDevmode* dm) {
  Capability cap{PaperFlagsAt(m.info, PaperIndexOfCode(m.info, paper)),
                 MediaMaskOfCode(m, dm->priv.wMediaType & 0xF)};
  uint32_t n = SourceCapabilityBit(dm->dm.dmDefaultSource);
  if (!(cap.paper & n)) {
    dm->dm.dmDefaultSource = 257;
    n = 0x04;
  }
  if (!(cap.media & n)) {
    dm->priv.wMediaType = 0;
    cap.media = MediaMaskOfCode(m, 0);
  }
  return cap;
}

uint32_t BinBit(int bin) {
  switch (bin) {
    case 0: return 0x20000;
    case 1: return 0x10000;
    case 17: return 0x40000;
    case 18: return 0x80000;
    default: return 0;
  }
}

bool Allows(const Capability& cap, uint32_t bit) { return bit && (cap.paper & bit) && (cap.media & bit); }

// The output bin must take the paper and the media.
void OutputBin(const Capability& cap, PrivateDevmode* p) {
  if (Allows(cap, BinBit(p->wOutputBin))) return;
  bool finisher = p->wDeviceOptions & 0x1;
  p->wOutputBin = !finisher ? 1 : (p->wOutputBin == 17 ? 0 : 17);
}

// The capability bit a finishing option needs in its output bin; 0 when
// the bin cannot finish.
uint32_t FinishingBit(int bin, uint32_t option) {
  if (bin == 17) {
    switch (option) {
      case 0x10000: return 0x2000000;
      case 0x20000: return 0x1000000;
      case 0x100000: case 0x1000000: return 0x8000000;
      case 0x200000: case 0x2000000: return 0x4000000;
      default: return 0;
    }
  }
  if (bin == 18) {
    switch (option) {
      case 1: case 0x10000: case 0x10001: case 0x100000: case 0x100001: case 0x1000000: case 0x1000001:
        return 0x10000000;
      default: return 0;
    }
  }
  return 0;
}

// A finishing option needs its bit in the paper and the media.
void FinishingOption(const Capability& cap, PrivateDevmode* p) {
  if (p->dwFinishingOption && !Allows(cap, FinishingBit(p->wOutputBin, p->dwFinishingOption)))
    p->dwFinishingOption = 0;
}

// Long-edge feed by hand for the papers and finishing that need it.
void LongEdgeFeed(const DevmodeModel& m, DriverDevmode* dm) {
  const int src = dm->dm.dmDefaultSource, paper = dm->dm.dmPaperSize;
  if (src != DMBIN_MANUAL && src != 257) return;
  PrivateDevmode& p = dm->priv;
  const bool envMode = HasFeature(m, kEnvMode);
  if (envMode) {
    p.wLongEdgeFeed = 0;
    bool longPaper = paper == 1 || paper == 9 || paper == 13 || paper == 256 || (paper >= 276 && paper <= 533);
    if ((p.wPaperFlags & 0x2) && longPaper && HasFeature(m, kA3Printer)) p.wLongEdgeFeed = 2;
  }
  if (paper != 1 && paper != 9 && paper != 13) return;
  if (p.wOutputBin == 18 || (p.dwFinishingOption & 0x1110000)) {
    p.wPaperFlags |= 0x2;
    if (envMode) p.wLongEdgeFeed |= 0x2;
  } else if (p.dwFinishingOption & 0x2220000) {
    p.wPaperFlags &= ~0x2;
    p.wLongEdgeFeed &= ~0x2;
  }
}

// Manual duplex only for one copy of a plain job the paper and media allow.
void ManualDuplex(const Capability& cap, DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  if (p.wManualDuplex != 1) return;
  const int src = dm->dm.dmDefaultSource;
  bool source = src == DMBIN_UPPER || src == DMBIN_MANUAL || src == 259 || src == 260;
  bool keep = source && dm->dm.dmDuplex != DMDUP_SIMPLEX && (cap.paper & kManualDuplexCapable) &&
              (cap.media & kManualDuplexCapable) && p.dwFinishingMode == 0 && p.dwMultipage == 0 &&
              dm->dm.dmCopies == 1;
  if (!keep) p.wManualDuplex = 0;
}

}  // namespace

void ApplyCapabilityRules(const DevmodeModel& m, DriverDevmode* dm) {
  int paper = PaperForCapability(dm);
  Capability cap = SourceAndMedia(m, paper, dm);
  OutputBin(cap, &dm->priv);
  FinishingOption(cap, &dm->priv);
  LongEdgeFeed(m, dm);
  ManualDuplex(cap, dm);
}

}  // namespace kadu
