// Resolution pairing: dmPrintQuality (a DMRES level or a dpi value) and
// wUiQuality (the level the pages show) are chosen together from what the
// model offers. The model offers up to four levels, DMRES -4 (high) to -1
// (draft), each naming an entry of the quality table.
#include "common/builtin_tables.h"
#include "common/devmode_rules.h"

namespace kadu {
namespace {

bool IsLevel(int c) { return c >= -4 && c <= -1; }

bool LevelOffered(const ModelInfo& info, int c) { return IsLevel(c) && QualityCodeOfLevel(info, c) >= 0; }

// Only for offered levels.
int LevelDpi(const ModelInfo& info, int c) { return kQualityTable[info.qualityType[c + 4]].dpi; }

int Resolution(const ModelInfo& info, int c) { return QualityResolution(info, &c); }

// offered(c): a level the model has, or a dpi that one of its levels gives.
bool Offered(const ModelInfo& info, int c) {
  if (IsLevel(c)) return LevelOffered(info, c);
  for (int s = -4; s <= -1; ++s)
    if (LevelOffered(info, s) && LevelDpi(info, s) == c) return true;
  return false;
}

// The first level whose resolution is `dpi`; -1 when none is.
int LevelForDpi(const ModelInfo& info, int dpi) {
  for (int s = -4; s <= -1; ++s)
    if (Resolution(info, s) == dpi) return s;
  return -1;
}

// From a requested level downwards (towards -4) to the first offered one.
int WalkDown(const ModelInfo& info, int q) {
  int s = q;
  while (s > -4 && !LevelOffered(info, s)) --s;
  return s;
}

// The requested quality when the print mode allows DMRES codes only.
int RestrictToLevels(const ModelInfo& info, int q) {
  int lowest = LevelOffered(info, -1) ? -1 : -2;
  return (q >= -4 && q <= lowest) ? q : -3;
}

void Pair(const DevmodeModel& m, int q, int* quality, int* ui, int current) {
  const ModelInfo& info = m.info;
  const int d = DefaultQuality(m.record), u = DefaultUiQuality(m.record);
  if (IsLevel(q)) {
    int s = WalkDown(info, q);
    *quality = d < 0 ? s : Resolution(info, s);
    *ui = s;
    return;
  }
  if (q < -4) {
    *quality = d < 0 ? d : Resolution(info, LevelForDpi(info, d));
    *ui = d < 0 ? d : u;
    return;
  }
  bool offered = Offered(info, q);
  int v = offered ? current : (d < 0 ? d : u);
  // wUiQuality names a level; a dpi value there (from a hostile record) is not one.
  if (!LevelOffered(info, v)) v = u;
  if (d < 0) {
    int c = offered ? LevelForDpi(info, q) : d;
    int pick = Resolution(info, c) == Resolution(info, v) ? v : (q == Resolution(info, d) ? d : c);
    *quality = *ui = pick;
    return;
  }
  int c = offered ? q : d;
  *quality = c;
  *ui = c == Resolution(info, v) ? v : (c == d ? u : LevelForDpi(info, c));
}

}  // namespace

int QualityResolution(const ModelInfo& info, int* quality) {
  const int c = *quality;
  if (c < -4) return 600;
  if (IsLevel(c)) {
    for (int s = c; s >= -4; --s) {
      if (LevelOffered(info, s)) {
        *quality = s;
        return LevelDpi(info, s);
      }
    }
    // No level at or below it: the code stays, and the resolution is the
    // one of a code below -4.
    return 600;
  }
  if (c == 300 || c == 600 || c == 1200) {
    for (int s = -4; s <= -1 && LevelOffered(info, s); ++s)
      if (LevelDpi(info, s) == c) return c;
  }
  return 600;
}

void PairResolution(const DevmodeModel& m, int requested, DriverDevmode* dm) {
  if (dm->priv.wPrintModeKind & 0x1) requested = RestrictToLevels(m.info, requested);
  int quality = 0, ui = 0;
  Pair(m, requested, &quality, &ui, dm->priv.wUiQuality);
  dm->dm.dmPrintQuality = short(quality);
  dm->priv.wUiQuality = int16_t(ui);
}

}  // namespace kadu
