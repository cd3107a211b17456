#include "render/core/pjl_source_media.h"

#include "common/model_accessors.h"
#include "render/core/pdev.h"

namespace {

constexpr int kAutoSource = 7;

int PclSourceOf(int source, bool manualFeed) {
  switch (source) {
    case 1: return 1;
    case DMBIN_MANUAL: return manualFeed ? 2 : 4;
    case 257: return 4;
    case 258: return 6;
    case 259: return 5;
    case 260: return 20;
    case 261: return 21;
    case 262: return 22;
    default: return kAutoSource;
  }
}

// PCL media type names of the media-type sources 512..520.
const char* const kSourceMediaNames[] = {"Plain",     "Letterhead", "Transparency", "Labels", "Bond",
                                         "Recycled",  "Card Stock", "Rough",        "Glossy"};

bool IsTraySource(int s) { return s == 1 || s == DMBIN_MANUAL || (s >= 257 && s <= 262); }

struct NibbleRow {
  const char* weight;
  const char* pjlType;  // null: kept (weights) or none (see `replaces`)
  const char* pclType;
  bool replaces;        // sets both types, even to none
};

// Indexed by the media nibble 0..19.
const NibbleRow kNibbles[20] = {
    {nullptr, nullptr, "", true},          {"LIGHT", nullptr, nullptr, false},
    {"MEDIUMLIGHT", nullptr, nullptr, false}, {"MEDIUM", nullptr, nullptr, false},
    {"MEDIUMHEAVY", nullptr, nullptr, false}, {"HEAVY", nullptr, nullptr, false},
    {nullptr, "TRANSPARENCY", "Transparency", true}, {"ULTRAHEAVY", nullptr, nullptr, false},
    {nullptr, nullptr, "", true},          {nullptr, "LABELS", "Labels", true},
    {nullptr, "LABELS", "Labels", true},   {nullptr, "GLOSSY", "Glossy", true},
    {nullptr, "USERTYPE1", "", true},      {nullptr, "USERTYPE2", "", true},
    {nullptr, "USERTYPE3", "", true},      {nullptr, "USERTYPE4", "", true},
    {nullptr, nullptr, "", true},          {nullptr, nullptr, "", true},
    {nullptr, nullptr, "", true},          {nullptr, "USERTYPE5", "", true},
};

}  // namespace

SourceMedia MapSourceMedia(int source, int nibble, bool manualFeed, bool envMode) {
  SourceMedia m{kAutoSource, nullptr, nullptr, ""};
  if (source >= 512 && source <= 520) {
    m.pclType = kSourceMediaNames[source - 512];
    source = kAutoSource;
  } else if ((source == 521 || source == 522) && envMode) {
    source = kAutoSource;
  }
  m.pclSource = PclSourceOf(source, manualFeed);
  bool tray = IsTraySource(source);
  if (tray) {
    m.pjlType = "PLAIN";
    m.pclType = "Plain";
  }
  if (nibble < 0 || nibble >= 20) return m;
  const NibbleRow& row = kNibbles[nibble];
  m.weight = row.weight;
  // A media-type source named its PCL media itself; only a nibble that names
  // another media replaces it.
  if (row.replaces && (tray || row.pjlType)) {
    m.pjlType = row.pjlType;
    m.pclType = row.pclType;
  }
  return m;
}

bool ModelHas(const PDEV* pdev, unsigned feature) {
  return pdev->model && (pdev->model->info.features & feature) != 0;
}

int JobSource(const PDEV* pdev) {
  const kadu::DriverDevmode& d = pdev->devmode;
  if (d.priv.wCoverPrint) return d.priv.wCoverSource;
  if (!(d.dm.dmFields & DM_DEFAULTSOURCE)) return 7;
  return d.dm.dmDefaultSource;
}

int JobMediaNibble(const PDEV* pdev) {
  const kadu::DriverDevmode& d = pdev->devmode;
  unsigned media = (d.priv.wCoverPrint ? d.priv.wCoverMedia : d.priv.wMediaType) & 0xFF;
  uint32_t flags = 0;
  if (pdev->model) {
    int index = kadu::PaperIndexOfCode(pdev->model->info, d.dm.dmPaperSize);
    const kadu::PaperRecord* paper = index >= 0 ? kadu::PaperRecordAt(pdev->model->info, index) : nullptr;
    if (paper) flags = paper->paperClass;
  }
  // Papers of classes 0x2 and 0x4 keep their media in the next nibble.
  return (flags & 0x6) ? int(media >> 4) : int(media & 0x0F);
}

bool JobManualFeed(const PDEV* pdev) {
  return !(ModelHas(pdev, kadu::kMPT) && pdev->devmode.priv.wMPFisManual == 0);
}
