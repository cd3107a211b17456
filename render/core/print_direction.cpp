#include "render/core/print_direction.h"

#include "common/model_accessors.h"
#include "common/paper_table.h"
#include "render/core/pdev.h"
#include "render/core/pjl_source_media.h"
#include "render/core/poster_geometry.h"

namespace {

const kadu::PrivateDevmode& Priv(const PDEV* p) { return p->devmode.priv; }
const DEVMODEW& Pub(const PDEV* p) { return p->devmode.dm; }

bool TraySourceForManualDuplex(int source) { return source == 1 || source == 259 || source == 260; }

int Turned(int d) { return (d + 2) & 3; }

int OnePageDirection(const PDEV* p) {
  if (p->layout.rotated) return Priv(p).wLandDirect ? 1 : 3;
  return Priv(p).wPortDirect ? 2 : 0;
}

bool PaperTurnsOnEnvRotate(const PDEV* p) {
  if (!ModelHas(p, kadu::kEnvRotate) || !p->model) return false;
  int index = kadu::PaperIndexOfCode(p->model->info, Pub(p).dmPaperSize);
  const kadu::PaperRecord* rec = index >= 0 ? kadu::PaperRecordAt(p->model->info, index) : nullptr;
  return rec && (rec->paperClass & 0x2);
}

// The page's source after the media mapping: media-type sources are automatic.
int PageSource(const PDEV* p, DWORD n) {
  int s = (n == 1 && Priv(p).wCoverPrint) ? Priv(p).wCoverSource : Pub(p).dmDefaultSource;
  if (s >= 512 && s <= 520) return 7;
  if ((s == 521 || s == 522) && ModelHas(p, kadu::kEnvMode)) return 7;
  return s;
}

}  // namespace

bool ManualDuplexInEffect(const PDEV* p) { return Priv(p).wManualDuplex && Priv(p).dwPageCount >= 2; }

bool ManualFeedHalfRule(const PDEV* p) {
  static const unsigned kModels[] = {38, 39, 40, 42, 43, 45, 46, 47, 48, 49, 50, 51};
  if (!p->model || Priv(p).wMPFisManual) return false;
  for (unsigned id : kModels)
    if (p->model->info.modelId == id) return true;
  return false;
}

int PrintDirection(const PDEV* p, DWORD n) {
  const DWORD h = Priv(p).dwPageCount / 2;
  const int one = OnePageDirection(p);
  const bool manual = ManualDuplexInEffect(p);
  if (manual && TraySourceForManualDuplex(Pub(p).dmDefaultSource) && Pub(p).dmDuplex == DMDUP_HORIZONTAL)
    return n <= h ? Turned(one) : one;
  if (manual && Pub(p).dmDefaultSource == DMBIN_MANUAL && Pub(p).dmDuplex == DMDUP_VERTICAL) {
    if (ManualFeedHalfRule(p)) {
      bool firstHalfTurned = !p->rasterMode;
      return (n <= h) == firstHalfTurned ? Turned(one) : one;
    }
    // An odd last page goes with the even pages.
    bool even = (n % 2 == 0) || n == Priv(p).dwPageCount;
    bool turned = p->rasterMode ? even : !even;
    return turned ? Turned(one) : one;
  }
  if (Priv(p).dwFinishingMode == 1) {
    DWORD t = n + (Priv(p).wFirstPageBack & 1);
    bool rightToLeft = (Priv(p).dwLayoutFlags & 0x2) != 0;
    if (t % 2) return p->layout.rotated ? 3 : (rightToLeft ? 2 : 0);
    return p->layout.rotated ? 1 : (rightToLeft ? 0 : 2);
  }
  if (Priv(p).dwFinishingMode == 2) {
    if (bool(p->layout.rotated) != bool(PosterTurnOf(Priv(p).dwPosterSheets, Priv(p).dwPosterFlags,
                                                       Pub(p).dmOrientation == DMORIENT_LANDSCAPE))) return Priv(p).wLandDirect ? 1 : 3;
    return Priv(p).wPortDirect ? 2 : 0;
  }
  return PaperTurnsOnEnvRotate(p) ? Turned(one) : one;
}

int WalkFlipCount(const PDEV* p, DWORD n, bool endOfDocument) {
  int flips = 0;
  const DWORD h = Priv(p).dwPageCount / 2;
  const bool manual = ManualDuplexInEffect(p);
  if (!endOfDocument) {
    if (Priv(p).dwFinishingMode == 1 && (n % 2)) ++flips;
    int s = PageSource(p, n);
    if (manual && TraySourceForManualDuplex(s) && Pub(p).dmDuplex == DMDUP_HORIZONTAL && n <= h) ++flips;
    if (manual && s == DMBIN_MANUAL && Pub(p).dmDuplex == DMDUP_VERTICAL) {
      if (ManualFeedHalfRule(p) ? n <= h : ((n % 2) && n != Priv(p).dwPageCount)) ++flips;
    }
  }
  if (Pub(p).dmDuplex == DMDUP_VERTICAL && !manual && (Priv(p).wDeviceOptions & 0x8) && n % 2 == 0) ++flips;
  return flips;
}
