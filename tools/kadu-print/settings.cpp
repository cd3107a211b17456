#include "tools/kadu-print/settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include "common/devmode.h"
#include "common/devmode_ranges.h"

namespace kadu_print {
namespace {

// Public fields the range table leaves to other merge steps, and the
// dmFields bit that makes the merge take each public field.
struct PublicField {
  const char* name;
  uint16_t offset;
  uint8_t width;
  bool isSigned;
  DWORD bit;
};

#define KP_PUB(f, bit) {#f, uint16_t(offsetof(DEVMODEW, f)), uint8_t(sizeof(DEVMODEW::f)), std::is_signed_v<decltype(DEVMODEW::f)>, bit}
const PublicField kPublic[] = {
    KP_PUB(dmOrientation, DM_ORIENTATION), KP_PUB(dmPaperSize, DM_PAPERSIZE),
    KP_PUB(dmPaperLength, DM_PAPERLENGTH), KP_PUB(dmPaperWidth, DM_PAPERWIDTH),
    KP_PUB(dmScale, DM_SCALE),             KP_PUB(dmCopies, DM_COPIES),
    KP_PUB(dmDefaultSource, DM_DEFAULTSOURCE), KP_PUB(dmPrintQuality, DM_PRINTQUALITY),
    KP_PUB(dmColor, DM_COLOR),             KP_PUB(dmDuplex, DM_DUPLEX),
    KP_PUB(dmYResolution, DM_YRESOLUTION), KP_PUB(dmTTOption, DM_TTOPTION),
    KP_PUB(dmCollate, DM_COLLATE),         KP_PUB(dmMediaType, DM_MEDIATYPE),
};
#define KP_PRV(f)                                                                              \
  {#f, uint16_t(offsetof(kadu::DriverDevmode, priv) + offsetof(kadu::PrivateDevmode, f)),        \
   uint8_t(sizeof(kadu::PrivateDevmode::f)), std::is_signed_v<decltype(kadu::PrivateDevmode::f)>, 0}
// Private fields the interface library sets without a range check.
const PublicField kPrivate[] = {
    KP_PRV(dwPageCount),   KP_PRV(wFirstPageBack),          KP_PRV(wCoverPrint),
    KP_PRV(wCoverSource),  KP_PRV(wMediaType),              KP_PRV(wTransparencyInterleave),
    KP_PRV(wTransparencySource), KP_PRV(wMPFisManual),      KP_PRV(wLongEdgeFeed),
    KP_PRV(wPaperFlags),   KP_PRV(wPrintMargin),            KP_PRV(dwJobPin),
};
#undef KP_PUB
#undef KP_PRV

const PublicField* FindPublic(const std::string& name) {
  for (const PublicField& f : kPublic)
    if (name == f.name) return &f;
  for (const PublicField& f : kPrivate)
    if (name == f.name) return &f;
  return nullptr;
}

// The field as a range row (public fields not in the table get a plain one).
bool FieldOf(const std::string& name, kadu::FieldRange* row, DWORD* bit) {
  *bit = 0;
  if (const PublicField* p = FindPublic(name)) {
    *bit = p->bit;
    if (const kadu::FieldRange* r = kadu::DevmodeFieldRange(name.c_str())) {
      *row = *r;
      return true;
    }
    *row = kadu::FieldRange{p->name, p->offset, p->width, p->isSigned, false, kadu::RangeKind::Rule, 0, 0, 0,
                            kadu::RangeFallback::Value, kadu::RangeRule::None, 0, {}, false};
    return true;
  }
  if (const kadu::FieldRange* r = kadu::DevmodeFieldRange(name.c_str())) {
    *row = *r;
    return true;
  }
  return false;
}

bool ParseNumber(const std::string& text, int64_t* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 0);
  if (*end || errno) return false;
  *out = v;
  return true;
}

bool Fits(const kadu::FieldRange& f, int64_t v) {
  int bits = f.width * 8;
  if (f.isSigned) return v >= -(int64_t(1) << (bits - 1)) && v < (int64_t(1) << (bits - 1));
  return v >= 0 && v < (int64_t(1) << bits);
}

std::string Accepted(const kadu::FieldRange& f) {
  char buf[160];
  switch (f.kind) {
    case kadu::RangeKind::Range:
      std::snprintf(buf, sizeof buf, "%lld..%lld", (long long)f.lo, (long long)f.hi);
      return buf;
    case kadu::RangeKind::Clamp:
      std::snprintf(buf, sizeof buf, "%lld..%lld (clamped)", (long long)f.lo, (long long)f.hi);
      return buf;
    case kadu::RangeKind::Set: {
      std::string s = "one of";
      for (int i = 0; i < f.setCount; ++i) s += " " + std::to_string(f.set[i]);
      return s;
    }
    case kadu::RangeKind::Bits:
      std::snprintf(buf, sizeof buf, "bits of 0x%llX", (unsigned long long)f.lo);
      return buf;
    case kadu::RangeKind::Mask:
      std::snprintf(buf, sizeof buf, "masked to 0x%llX", (unsigned long long)f.lo);
      return buf;
    case kadu::RangeKind::Forced:
      return "always " + std::to_string(f.fallback);
    case kadu::RangeKind::Rule:
      return "checked by the model";
  }
  return "";
}

}  // namespace

bool BuildJobDevmode(HANDLE printer, const std::u16string& printerName,
                     const std::vector<std::pair<std::string, std::string>>& settings, kadu::DriverDevmode* out,
                     std::string* error) {
  if (!kadu::BuildDefaultDevmode(out, printerName.c_str(), printer)) {
    *error = "the driver gives no default settings for this printer";
    return false;
  }
  // All settings go in at once, as the property sheets hand the driver one
  // DEVMODE: fields that derive from each other are merged together.
  kadu::DriverDevmode incoming = *out;
  std::vector<std::pair<kadu::FieldRange, int64_t>> wanted;
  for (const auto& [name, text] : settings) {
    kadu::FieldRange f;
    DWORD bit = 0;
    if (!FieldOf(name, &f, &bit)) {
      *error = "unknown setting \"" + name + "\" (see --list-settings)";
      return false;
    }
    int64_t v = 0;
    if (!ParseNumber(text, &v) || !Fits(f, v)) {
      *error = "bad value \"" + text + "\" for " + name + ": " + Accepted(f);
      return false;
    }
    kadu::DevmodeWriteField(&incoming, f, v);
    incoming.dm.dmFields |= bit;
    wanted.emplace_back(f, v);
  }
  if (wanted.empty()) return true;
  if (!kadu::MergeDevmode(out, &incoming.dm, printer)) {
    *error = "the driver refused the settings";
    return false;
  }
  for (const auto& [f, v] : wanted) {
    int64_t kept = kadu::DevmodeReadField(*out, f);
    // Fields the model checks by a rule of its own may be kept in another
    // form (a dpi value becomes a quality level): say so, do not refuse.
    if (kept != v && f.kind == kadu::RangeKind::Rule) {
      std::fprintf(stderr, "kadu-print: %s=%lld is kept as %lld\n", f.name, (long long)v, (long long)kept);
      continue;
    }
    if (kept != v) {
      *error = std::string("the model does not accept ") + f.name + "=" + std::to_string(v) +
               " (accepted: " + Accepted(f) + "; kept " + std::to_string(kept) + ")";
      return false;
    }
  }
  return true;
}

void ListSettings(const kadu::DriverDevmode& dm, FILE* out) {
  std::fprintf(out, "%-28s %12s  %s\n", "FIELD", "VALUE", "ACCEPTED");
  for (const PublicField& p : kPublic) {
    kadu::FieldRange f;
    DWORD bit;
    FieldOf(p.name, &f, &bit);
    std::fprintf(out, "%-28s %12lld  %s\n", p.name, (long long)kadu::DevmodeReadField(dm, f), Accepted(f).c_str());
  }
  for (const PublicField& p : kPrivate) {
    kadu::FieldRange f;
    DWORD bit;
    FieldOf(p.name, &f, &bit);
    std::fprintf(out, "%-28s %12lld  %s\n", p.name, (long long)kadu::DevmodeReadField(dm, f), "any");
  }
  size_t count = 0;
  const kadu::FieldRange* rows = kadu::DevmodeFieldRanges(&count);
  for (size_t i = 0; i < count; ++i) {
    if (FindPublic(rows[i].name)) continue;
    std::fprintf(out, "%-28s %12lld  %s\n", rows[i].name, (long long)kadu::DevmodeReadField(dm, rows[i]),
                 Accepted(rows[i]).c_str());
  }
}

}  // namespace kadu_print
