// MergeDevmode as tables of incoming record -> resulting fields, grouped by
// rule. Incoming records are built as bytes: the printer's own default
// record with fields changed, public-only records, records of other drivers
// or versions, short and hostile ones. Every result is also checked against
// the range table.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "common/devmode_model.h"
#include "tests/devmode/devmode_fixture.h"

namespace {

using namespace kadu_test;
using Bytes = std::vector<uint8_t>;
using Fields = std::vector<std::pair<std::string, int64_t>>;

void Put(Bytes* b, const Fields& fields) {
  for (const auto& [name, value] : fields) PutDevmodeField(b, name, value);
}

// A public-only record of the current version.
Bytes Public(const Fields& fields) {
  Bytes b(220, 0);
  Put(&b, {{"dmSpecVersion", 0x0401}, {"dmDriverVersion", 0x0500}, {"dmSize", 220}, {"dmDriverExtra", 0}});
  Put(&b, fields);
  return b;
}

// A record of the current shape that names another driver.
Bytes Foreign(const Fields& fields, const std::u16string& driver = u"Another Driver") {
  Bytes b(220 + 700, 0x5C);
  Put(&b, {{"dmSpecVersion", 0x0401}, {"dmDriverVersion", 0x0500}, {"dmSize", 220}, {"dmDriverExtra", 700}});
  PutDevmodeText(&b, 816, driver);
  Put(&b, {{"dmFields", 0}});
  Put(&b, fields);
  return b;
}

struct Case {
  const char* what;
  const char16_t* printer;
  std::function<Bytes()> incoming;
  Fields expect;
};

class Merge : public DevmodeWorld {
 protected:
  // The printer's own default record with fields changed.
  Bytes Own(const char16_t* printer, const Fields& fields) {
    kadu::DriverDevmode dm = Default(printer);
    Bytes b(reinterpret_cast<const uint8_t*>(&dm), reinterpret_cast<const uint8_t*>(&dm) + sizeof(dm));
    Put(&b, fields);
    return b;
  }
  void Run(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      kadu::DriverDevmode dm = Merged(c.printer, c.incoming());
      DecodedDevmode d = Decode(dm);
      for (const auto& [name, value] : c.expect) EXPECT_EQ(d[name], value) << c.what << ": " << name;
      const kadu::FieldRange* bad = kadu::FirstFieldOutOfRange(dm);
      EXPECT_EQ(bad, nullptr) << c.what << ": " << (bad ? bad->name : "");
    }
  }
};

constexpr int64_t kF = 0;  // no dmFields bits

TEST_F(Merge, OwnershipDecidesWhetherThePrivateBlockIsTaken) {
  Run({
      {"own record", kDesk, [&] { return Own(kDesk, {{"wTonerSave", 1}, {"wOffsetX", 40}}); },
       {{"wTonerSave", 1}, {"wOffsetX", 40}}},
      {"own, driver name in other letter case", kDesk,
       [&] {
         Bytes b = Own(kDesk, {{"wTonerSave", 1}});
         PutDevmodeText(&b, 816, u"HALVORN kadu 2630DN");
         return b;
       },
       {{"wTonerSave", 1}}},
      {"another driver's record", kDesk, [&] { return Foreign({{"wTonerSave", 1}}); }, {{"wTonerSave", 0}}},
      {"other model of the same driver", kDesk,
       [&] {
         Bytes b = Own(kOffice, {{"wTonerSave", 1}});
         return b;
       },
       {{"wTonerSave", 0}}},
      {"other dmSpecVersion", kDesk,
       [&] { return Own(kDesk, {{"wTonerSave", 1}, {"dmSpecVersion", 0x0400}}); }, {{"wTonerSave", 0}}},
      {"other driver version", kDesk, [&] { return Own(kDesk, {{"wTonerSave", 1}, {"dmDriverVersion", 0x0400}}); },
       {{"wTonerSave", 0}}},
      {"private block below 660 bytes", kDesk,
       [&] {
         Bytes b = Own(kDesk, {{"wTonerSave", 1}, {"dmDriverExtra", 659}});
         b.resize(220 + 659);
         return b;
       },
       {{"wTonerSave", 0}}},
      {"older private block of 700 bytes: the rest keeps the current values", kDesk,
       [&] {
         Bytes b = Own(kDesk, {{"wTonerSave", 1}, {"dmDriverExtra", 700}, {"wPrTimeOut", 17}});
         b.resize(220 + 700);
         return b;
       },
       {{"wTonerSave", 1}, {"wPrTimeOut", 300}}},
      {"3.51 record: public members only", kDesk,
       [&] {
         Bytes b = Own(kDesk, {{"dmSize", 188}, {"dmSpecVersion", 0x0320}, {"dmFields", 0x1}, {"dmOrientation", 2}});
         Put(&b, {{"wTonerSave", 1}});
         return b;
       },
       {{"dmOrientation", 2}, {"wTonerSave", 0}}},
  });
}

// Records whose bytes end early: nothing beyond the bytes given is read.
TEST_F(Merge, ShortRecordsReadAsZeroBeyondTheirBytes) {
  kadu::DriverDevmode base = Default(kDesk);
  struct Short {
    const char* what;
    size_t available;
    int64_t tonerSave, orientation;
  } cases[] = {
      {"header promises 1816, 900 given: own, first 680 private bytes", 900, 1, 2},
      {"header promises 1816, 600 given: not own", 600, 0, 2},
      {"only the public part", 220, 0, 2},
      {"cut inside the public part", 90, 0, 2},
      {"cut before dmFields", 70, 0, 1},
      {"nothing", 0, 0, 1},
  };
  for (const Short& c : cases) {
    Bytes b = Own(kDesk, {{"wTonerSave", 1}, {"dmFields", 0x1}, {"dmOrientation", 2}, {"wPrTimeOut", 77}});
    kadu::DriverDevmode dm = base;
    std::vector<uint8_t> heap(b.begin(), b.begin() + c.available);  // exactly the bytes given
    HANDLE h = Open(kDesk);
    EXPECT_TRUE(kadu::MergeDevmodeBytes(&dm, heap.data(), heap.size(), h));
    ClosePrinter(h);
    DecodedDevmode d = Decode(dm);
    EXPECT_EQ(d["wTonerSave"], c.tonerSave) << c.what;
    EXPECT_EQ(d["dmOrientation"], c.orientation) << c.what;
    EXPECT_EQ(d["wPrTimeOut"], 300) << c.what;  // beyond every given byte
    EXPECT_EQ(kadu::FirstFieldOutOfRange(dm), nullptr) << c.what;
  }
  kadu::DriverDevmode dm = base;
  EXPECT_TRUE(kadu::MergeDevmode(&dm, nullptr, nullptr));
  EXPECT_EQ(Decode(dm)["dmScale"], 100);

  // The pointer form reads a public-only record only as far as its sizes
  // say: no stamps, no copy-count word beyond its 220 bytes.
  Bytes pub = Public({{"dmFields", DM_COPIES}, {"dmCopies", 3}});
  std::unique_ptr<uint8_t[]> exact(new uint8_t[pub.size()]);
  std::memcpy(exact.get(), pub.data(), pub.size());
  dm = base;
  EXPECT_TRUE(kadu::MergeDevmode(&dm, reinterpret_cast<const DEVMODEW*>(exact.get()), nullptr));
  EXPECT_EQ(Decode(dm)["dmCopies"], 3);
}

TEST_F(Merge, Copies) {
  static constexpr int64_t kCopies = DM_COPIES;
  Run({
      {"0 becomes 1", kDesk, [] { return Public({{"dmFields", kCopies}, {"dmCopies", 0}}); }, {{"dmCopies", 1}}},
      {"5000 becomes 999", kDesk, [] { return Public({{"dmFields", kCopies}, {"dmCopies", 5000}}); },
       {{"dmCopies", 999}}},
      {"-3 becomes 1", kDesk, [] { return Public({{"dmFields", kCopies}, {"dmCopies", -3}}); }, {{"dmCopies", 1}}},
      {"7 is taken", kDesk, [] { return Public({{"dmFields", kCopies}, {"dmCopies", 7}}); }, {{"dmCopies", 7}}},
      {"without DM_COPIES", kDesk, [] { return Public({{"dmFields", kF}, {"dmCopies", 7}}); }, {{"dmCopies", 1}}},
      {"own record in manual duplex: not taken", kDesk,
       [&] { return Own(kDesk, {{"dmFields", kCopies}, {"dmCopies", 7}, {"wManualDuplex", 1}}); },
       {{"dmCopies", 1}}},
      // The word at 412 of a record that is not the driver's own means nothing.
      {"foreign record with a nonzero word at 412", kDesk,
       [] { return Foreign({{"dmFields", kCopies}, {"dmCopies", 7}, {"wManualDuplex", 0x5C5C}}); },
       {{"dmCopies", 7}}},
  });
}

TEST_F(Merge, ScaleAndZoomPresets) {
  static constexpr int64_t kScale = DM_SCALE;
  Run({
      {"10 becomes 25", kDesk, [] { return Public({{"dmFields", kScale}, {"dmScale", 10}}); },
       {{"dmScale", 25}, {"wZoomPreset", 6}, {"dmFields", 0x1F13}}},
      {"1000 becomes 400", kDesk, [] { return Public({{"dmFields", kScale}, {"dmScale", 1000}}); },
       {{"dmScale", 400}, {"wZoomPreset", 6}}},
      {"0 keeps the current scale", kDesk, [] { return Public({{"dmFields", kScale}, {"dmScale", 0}}); },
       {{"dmScale", 100}, {"wZoomPreset", 0}}},
      {"141 is preset 1", kDesk, [] { return Public({{"dmFields", kScale}, {"dmScale", 141}}); },
       {{"dmScale", 141}, {"wZoomPreset", 1}}},
      {"150 is a user percentage", kDesk, [] { return Public({{"dmFields", kScale}, {"dmScale", 150}}); },
       {{"dmScale", 150}, {"wZoomPreset", 6}}},
      {"without DM_SCALE: 100, preset kept", kDesk,
       [&] { return Own(kDesk, {{"dmFields", kF}, {"dmScale", 150}, {"wZoomPreset", 2}}); },
       {{"dmScale", 100}, {"wZoomPreset", 2}, {"dmFields", 0x1F03}}},
      {"a preset outside the table", kDesk, [&] { return Own(kDesk, {{"dmFields", kF}, {"wZoomPreset", 40}}); },
       {{"wZoomPreset", -1}}},
  });
}

TEST_F(Merge, OrientationColourTrueTypeAndYResolution) {
  Run({
      {"landscape", kDesk, [] { return Public({{"dmFields", DM_ORIENTATION}, {"dmOrientation", 2}}); },
       {{"dmOrientation", 2}}},
      {"unknown orientation", kDesk, [] { return Public({{"dmFields", DM_ORIENTATION}, {"dmOrientation", 7}}); },
       {{"dmOrientation", 1}}},
      {"orientation without its bit", kDesk, [] { return Public({{"dmFields", kF}, {"dmOrientation", 2}}); },
       {{"dmOrientation", 1}}},
      {"monochrome", kDesk, [] { return Public({{"dmFields", DM_COLOR}, {"dmColor", 1}}); }, {{"dmColor", 1}}},
      {"unknown colour keeps the current", kDesk, [] { return Public({{"dmFields", DM_COLOR}, {"dmColor", 3}}); },
       {{"dmColor", 2}}},
      {"TrueType as bitmaps", kDesk, [] { return Public({{"dmFields", kF}, {"dmTTOption", 1}}); },
       {{"dmTTOption", 1}}},
      {"TrueType option 0", kDesk, [] { return Public({{"dmFields", kF}, {"dmTTOption", 0}}); },
       {{"dmTTOption", 2}}},
      {"y resolution", kDesk, [] { return Public({{"dmFields", DM_YRESOLUTION}, {"dmYResolution", 300}}); },
       {{"dmYResolution", 300}}},
      {"display members copied from any record", kDesk,
       [] { return Foreign({{"dmLogPixels", 96}, {"dmBitsPerPel", 24}, {"dmPelsWidth", 800}, {"dmPelsHeight", 600},
                            {"dmDisplayFlags", 3}, {"dmDisplayFrequency", 60}}); },
       {{"dmLogPixels", 96}, {"dmBitsPerPel", 24}, {"dmPelsWidth", 800}, {"dmPelsHeight", 600},
        {"dmDisplayFlags", 3}, {"dmDisplayFrequency", 60}}},
  });
}

// Desk: default 600 dpi, levels -3 and -2 at 600, -1 at 300, no -4, UI -2.
// Office: default -3, levels -4 at 1200, -3 and -2 at 600, -1 at 300, UI -3.
TEST_F(Merge, ResolutionPairing) {
  auto q = [](int quality) {
    return [quality] { return Public({{"dmFields", DM_PRINTQUALITY}, {"dmPrintQuality", quality}}); };
  };
  Run({
      {"desk 1200: not offered, the model default", kDesk, q(1200), {{"dmPrintQuality", 600}, {"wUiQuality", -2}}},
      {"desk 300", kDesk, q(300), {{"dmPrintQuality", 300}, {"wUiQuality", -1}}},
      {"desk -1", kDesk, q(-1), {{"dmPrintQuality", 300}, {"wUiQuality", -1}}},
      {"desk -3", kDesk, q(-3), {{"dmPrintQuality", 600}, {"wUiQuality", -3}}},
      {"desk -5", kDesk, q(-5), {{"dmPrintQuality", 600}, {"wUiQuality", -2}}},
      {"office -5: the default code in both", kOffice, q(-5), {{"dmPrintQuality", -3}, {"wUiQuality", -3}}},
      {"office -4", kOffice, q(-4), {{"dmPrintQuality", -4}, {"wUiQuality", -4}}},
      {"office 1200", kOffice, q(1200), {{"dmPrintQuality", -4}, {"wUiQuality", -4}}},
      {"office 600", kOffice, q(600), {{"dmPrintQuality", -3}, {"wUiQuality", -3}}},
      {"office 300", kOffice, q(300), {{"dmPrintQuality", -1}, {"wUiQuality", -1}}},
      {"office 450: not offered", kOffice, q(450), {{"dmPrintQuality", -3}, {"wUiQuality", -3}}},
      {"desk, DMRES codes only: 600 becomes -3", kDesk,
       [&] { return Own(kDesk, {{"dmFields", DM_PRINTQUALITY}, {"dmPrintQuality", 600}, {"wPrintModeKind", 1}}); },
       {{"dmPrintQuality", 600}, {"wUiQuality", -3}}},
      {"office, a dpi value in wUiQuality is no level", kOffice,
       [&] { return Own(kOffice, {{"dmFields", DM_PRINTQUALITY}, {"dmPrintQuality", 600}, {"wUiQuality", 600}}); },
       {{"dmPrintQuality", -3}, {"wUiQuality", -3}}},
      {"a private block whose level names none", kDesk,
       [&] { return Own(kDesk, {{"dmFields", kF}, {"wUiQuality", 0}}); },
       {{"dmPrintQuality", 600}, {"wUiQuality", -2}}},
      {"resolution 600: the flag at 452 is cleared", kDesk, [&] { return Own(kDesk, {{"flag452", 1}}); },
       {{"flag452", 0}}},
      {"resolution 300: the flag at 452 stays", kOffice,
       [&] { return Own(kOffice, {{"dmFields", DM_PRINTQUALITY}, {"dmPrintQuality", 300}, {"flag452", 1}}); },
       {{"dmPrintQuality", -1}, {"flag452", 1}}},
  });
}

TEST_F(Merge, PaperRule) {
  const int64_t paper = DM_PAPERSIZE, sized = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
  auto p = [](int64_t fields, int code, int w, int l) {
    return [=] {
      return Public({{"dmFields", fields}, {"dmPaperSize", code}, {"dmPaperWidth", w}, {"dmPaperLength", l}});
    };
  };
  Run({
      {"A4 from the table", kDesk, p(paper, 9, 1, 1),
       {{"dmPaperSize", 9}, {"dmPaperWidth", 2100}, {"dmPaperLength", 2970}}},
      {"unknown code: the default paper", kDesk, p(paper, 999, 5, 5),
       {{"dmPaperSize", 1}, {"dmPaperWidth", 2159}, {"dmPaperLength", 2794}}},
      {"256 is not in the shipped lists", kDesk, p(sized, 256, 1500, 2000), {{"dmPaperSize", 1}, {"dmFields", 0x1F03}}},
      // 263 and 264 are custom sizes as well: their size would divide later.
      {"263 of size 0", kDesk, p(paper, 263, 0, 0),
       {{"dmPaperSize", 263}, {"dmPaperWidth", 762}, {"dmPaperLength", 1270}, {"wCustomWidth", 762},
        {"wCustomLength", 1270}}},
      {"263 within the limits", kDesk, p(paper, 263, 1500, 2000),
       {{"dmPaperSize", 263}, {"dmPaperWidth", 1500}, {"dmPaperLength", 2000}, {"wCustomWidth", 1500},
        {"wCustomLength", 2000}}},
      {"264 beyond the finisher's limits", kOffice, p(paper, 264, 30000, 30000),
       {{"dmPaperSize", 264}, {"wCustomWidth", 2970}, {"wCustomLength", 12000}}},
      {"263 loses DM_PAPERLENGTH and DM_PAPERWIDTH", kOffice, p(sized, 263, 1500, 2000), {{"dmFields", 0x1F03}}},
      {"A3 is not in the desk list", kDesk, p(paper, 8, 0, 0), {{"dmPaperSize", 1}}},
      {"without DM_PAPERSIZE", kDesk, p(kF, 9, 0, 0), {{"dmPaperSize", 1}}},
  });
}

TEST_F(Merge, CustomPaperSize) {
  // The desk model with the free size (256) in its list.
  SetModelKey("K2630.INI", "PRINTERINFO", "PaperSize_inch", "7, 6, 9, 8,22,29,30, 0, 1, 3,28,19,18,15,16,17,20,4",
              kDeskDriver);
  const int64_t sized = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
  auto p = [](int64_t fields, int code, int w, int l) {
    return [=] {
      return Public({{"dmFields", fields}, {"dmPaperSize", code}, {"dmPaperWidth", w}, {"dmPaperLength", l}});
    };
  };
  Run({
      {"within the limits", kDesk, p(sized, 256, 1500, 2000),
       {{"dmPaperSize", 256}, {"dmPaperWidth", 1500}, {"dmPaperLength", 2000}, {"wCustomWidth", 1500},
        {"wCustomLength", 2000}, {"dmFields", 0x1F0F}}},
      {"outside the limits: clamped", kDesk, p(sized, 256, 9000, 10),
       {{"dmPaperWidth", 2159}, {"dmPaperLength", 1270}, {"wCustomWidth", 2159}, {"wCustomLength", 1270}}},
  });
  // With the free size current, a record giving only a size within the
  // limits changes it; one outside them does not.
  kadu::DriverDevmode dm = Merged(kDesk, p(sized, 256, 1500, 2000)());
  HANDLE h = Open(kDesk);
  Bytes size = Public({{"dmFields", DM_PAPERWIDTH}, {"dmPaperWidth", 1800}, {"dmPaperLength", 2500}});
  ASSERT_TRUE(kadu::MergeDevmodeBytes(&dm, size.data(), size.size(), h));
  EXPECT_EQ(Decode(dm)["dmPaperWidth"], 1800);
  EXPECT_EQ(Decode(dm)["dmPaperLength"], 2500);
  size = Public({{"dmFields", DM_PAPERWIDTH}, {"dmPaperWidth", 3000}, {"dmPaperLength", 2500}});
  ASSERT_TRUE(kadu::MergeDevmodeBytes(&dm, size.data(), size.size(), h));
  EXPECT_EQ(Decode(dm)["dmPaperWidth"], 1800);
  ClosePrinter(h);
}

TEST_F(Merge, UserDefinedPapers) {
  WriteUserPapers(
      "[UserDefPaper]\r\nnumDefine=3\r\nUpdateNo=1\r\nPaperEntry=300,301,302,\r\n"
      "Paper300=Receipt,1000,2000,0,0\r\nPaper301=Banner,3000,12000,1,1\r\nPaper302=Card 4x6,1016,1524,1,1\r\n");
  auto p = [](int code) { return [code] { return Public({{"dmFields", DM_PAPERSIZE}, {"dmPaperSize", code}}); }; };
  Run({
      {"a user paper within the limits", kDesk, p(300),
       {{"dmPaperSize", 300}, {"dmPaperWidth", 1000}, {"dmPaperLength", 2000}, {"wUserDefPaper", 0},
        {"wDispType", 0}}},
      {"a marked paper in inches", kDesk, p(302),
       {{"dmPaperSize", 302}, {"dmPaperWidth", 1016}, {"wUserDefPaper", 1}, {"wDispType", 1}}},
      {"a user paper beyond the limits", kDesk, p(301), {{"dmPaperSize", 1}}},
      {"a code not in the list", kDesk, p(303), {{"dmPaperSize", 1}}},
  });
}

TEST_F(Merge, BookletAndDuplexPapers) {
  Run({
      {"booklet on a paper without duplex: fit to a duplex paper", kDesk,
       [&] { return Own(kDesk, {{"dmFields", DM_PAPERSIZE}, {"dmPaperSize", 11}, {"dwFinishingMode", 1}}); },
       {{"dmPaperSize", 11}, {"dwFitPage", 1}, {"dwFitPaperSize", 1}}},
      {"booklet on Letter", kDesk,
       [&] { return Own(kDesk, {{"dmFields", DM_PAPERSIZE}, {"dmPaperSize", 1}, {"dwFinishingMode", 1}}); },
       {{"dwFitPage", 0}}},
      {"booklet fitted to a paper without duplex", kDesk,
       [&] {
         return Own(kDesk, {{"dmFields", DM_PAPERSIZE}, {"dmPaperSize", 11}, {"dwFinishingMode", 1},
                            {"dwFitPage", 0x11}, {"dwFitPaperSize", 11}});
       },
       {{"dwFitPage", 0x1}, {"dwFitPaperSize", 1}}},
      {"duplex on A5: simplex", kOffice,
       [&] { return Own(kOffice, {{"dmFields", DM_PAPERSIZE | DM_DUPLEX}, {"dmPaperSize", 11}, {"dmDuplex", 2}}); },
       {{"dmDuplex", 1}}},
      {"duplex on Letter", kOffice,
       [&] { return Own(kOffice, {{"dmFields", DM_PAPERSIZE | DM_DUPLEX}, {"dmPaperSize", 1}, {"dmDuplex", 2}}); },
       {{"dmDuplex", 2}}},
  });
}

TEST_F(Merge, DuplexUnit) {
  Run({
      {"long-edge binding", kOffice, [] { return Public({{"dmFields", DM_DUPLEX}, {"dmDuplex", 2}}); },
       {{"dmDuplex", 2}}},
      {"short-edge binding", kOffice, [] { return Public({{"dmFields", DM_DUPLEX}, {"dmDuplex", 3}}); },
       {{"dmDuplex", 3}}},
      {"unknown binding", kOffice, [] { return Public({{"dmFields", DM_DUPLEX}, {"dmDuplex", 9}}); },
       {{"dmDuplex", 1}}},
      {"without DM_DUPLEX the unit still decides", kOffice, [] { return Public({{"dmFields", kF}, {"dmDuplex", 2}}); },
       {{"dmDuplex", 2}}},
      {"no duplex unit", kDesk,
       [&] { return Own(kDesk, {{"dmFields", DM_DUPLEX}, {"dmDuplex", 2}, {"wDeviceOptions", 0}}); },
       {{"dmDuplex", 1}, {"dmFields", 0x0F03}}},
      {"manual duplex keeps the binding", kDesk,
       [&] {
         return Own(kDesk, {{"dmFields", DM_DUPLEX}, {"dmDuplex", 2}, {"wDeviceOptions", 0}, {"wManualDuplex", 1},
                            {"dmDefaultSource", 1}});
       },
       {{"dmDuplex", 2}}},
      {"manual duplex with a binding that names none", kDesk,
       [&] { return Own(kDesk, {{"dmFields", kF}, {"dmDuplex", 40}, {"wDeviceOptions", 0}, {"wManualDuplex", 1}}); },
       {{"dmDuplex", 1}}},
  });
}

// Desk sources: 7, 1, 259, 4. Office (first tray takes large papers only):
// 7, 1, 259, 260, 261, 262, 4.
TEST_F(Merge, DefaultSourceRule) {
  auto s = [](int source, int paper = 1, int w = 0, int l = 0) {
    return [=] {
      return Public({{"dmFields", DM_DEFAULTSOURCE | DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH},
                     {"dmDefaultSource", source}, {"dmPaperSize", paper}, {"dmPaperWidth", w}, {"dmPaperLength", l}});
    };
  };
  Run({
      {"tray 1 with Letter", kDesk, s(1), {{"dmDefaultSource", 1}, {"wEffectiveSource", 1}}},
      {"tray 2 with Letter", kDesk, s(259), {{"dmDefaultSource", 259}}},
      {"a source the model lacks", kDesk, s(260), {{"dmDefaultSource", 7}}},
      {"manual feed", kDesk, s(4), {{"dmDefaultSource", 4}}},
      {"tray 1 with a narrow custom paper: manual feed", kOffice, s(1, 263, 1400, 2970), {{"dmDefaultSource", 4}}},
      {"tray 1 with a wide custom paper", kOffice, s(1, 263, 2100, 2970), {{"dmDefaultSource", 1}}},
      {"tray 2 with a short custom paper", kOffice, s(259, 263, 2100, 2090), {{"dmDefaultSource", 4}}},
      {"narrow paper from tray 1 of the desk model", kDesk, s(1, 263, 990, 2970), {{"dmDefaultSource", 4}}},
      {"995 wide is enough", kDesk, s(1, 263, 995, 2095), {{"dmDefaultSource", 1}}},
  });
}

TEST_F(Merge, Collate) {
  auto c = [](int64_t fields, int collate) {
    return [=] { return Public({{"dmFields", fields}, {"dmCollate", collate}}); };
  };
  Run({
      {"collate", kDesk, c(DM_COLLATE, 1), {{"dmCollate", 1}, {"dmFields", 0x9F03}}},
      {"no collate", kDesk, c(DM_COLLATE, 0), {{"dmCollate", 0}, {"wDriverCollate", 0}, {"dmFields", 0x9F03}}},
      {"without DM_COLLATE", kDesk, c(kF, 1), {{"dmCollate", 0}, {"dmFields", 0x1F03}}},
      {"an unknown value changes nothing", kDesk,
       [&] { return Own(kDesk, {{"dmFields", DM_COLLATE}, {"dmCollate", 5}, {"wDriverCollate", 1}}); },
       {{"dmCollate", 0}, {"wDriverCollate", 1}, {"dmFields", 0x9F03}}},
  });
}

TEST_F(Merge, CollateDependsOnSystemAndPrinter) {
  Bytes in = Public({{"dmFields", DM_COLLATE}, {"dmCollate", 1}});
  EXPECT_EQ(Decode(Merged(kDesk, in))["dmFields"] & DM_COLLATE, DM_COLLATE);
  kw::hooks::PrinterDriverDetails raw;
  raw.attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY;
  kw::hooks::PrinterSetDriverDetails("Desk Printer", raw);
  EXPECT_EQ(Decode(Merged(kDesk, in))["dmFields"] & DM_COLLATE, 0);
  raw.attributes = PRINTER_ATTRIBUTE_QUEUED;
  kw::hooks::PrinterSetDriverDetails("Desk Printer", raw);
  EXPECT_EQ(Decode(Merged(kDesk, in))["dmFields"] & DM_COLLATE, 0);
  raw.getPrinterFailure = ERROR_ACCESS_DENIED;  // unreadable: neither attribute
  kw::hooks::PrinterSetDriverDetails("Desk Printer", raw);
  EXPECT_EQ(Decode(Merged(kDesk, in))["dmFields"] & DM_COLLATE, DM_COLLATE);
  kw::hooks::SystemVersion nt4;
  nt4.major = 4;
  nt4.minor = 0;
  kw::hooks::SetSystemVersion(nt4);
  kadu::DriverDevmode dm = Merged(kDesk, in);
  EXPECT_EQ(Decode(dm)["dmFields"] & DM_COLLATE, 0);
  EXPECT_EQ(Decode(dm)["dmCollate"], 1);
}

// Every checked field of an own record, one at a time out of range.
TEST_F(Merge, HostilePrivateFields) {
  struct Row {
    const char* field;
    int64_t hostile, expected;
    const char16_t* printer = kDesk;
  } rows[] = {
      {"dwFinishingMode", 7, 0},
      {"dwNupOrder", 0x100, 0x20001},
      {"dwPageBorder", 9, 1},
      {"dwMultipage", 9, 0},
      {"dwSignature", 7, -1},
      {"dwLayoutFlags", 0x8, 0},
      {"dwFitPage", 0x4, 0},
      {"dwCstmX", 0, 2},
      {"dwCstmY", 5, 2},
      {"dwRegistColor", 0x12345678, 0x345678},
      {"dwOverlapWidth", 201, 0},
      {"dwEnlarge", 7, 0},
      {"flag400", 2, 0},
      {"wManualDuplex", 2, 0},
      {"wDizaling", 0x0705, 0xFD01},
      {"wDizaling", 0xFE03, 0xFE03},
      {"wDarkness", 300, 128},
      {"wDarkness", -1, 128},
      {"bits424", 0xFF, 7},
      {"selector426", 5, 1},
      {"spare428", 9, 0},
      {"colorBits430", 0xF, 3},
      {"wContrast", 256, 128},
      {"wRet", 3, 2},
      {"wHbrMode", 5, 0},
      {"flag448", 0, 1},
      {"wUserDefPaper", 1, 0},  // the desk list has no paper 264
      {"wUserDefPaper", 1, 1, kOffice},
      {"selector454", 3, 1},
      {"wPrDensity", 0, -3},
      {"wPrDensity", 7, -3},
      {"wPrDensity", 5, 5},
      {"flag460", 2, 0},
      {"selector462", 0x0207, 0x0001},
      {"selector462", 0x0102, 0x0102},
      {"spare468", 3, 0},
      {"wTonerSave", 2, 0},
      {"wWatermarkFlags", 6, 6},
      {"selector794", 4, 0},
      {"wOffsetX", 301, 0},
      {"wOffsetY", 300, 300},
      {"wLandDirect", 2, 1},
      {"wPrintMode", 2, 1},
      {"wUsePrinterFont", 2, 1},
      {"wBandWidth", 301, 0},
      {"wBandWidthNup", 999, 0},
      {"wBandWidthBookLet", 400, 0},
      {"wColorModeFlag", 1, 0},  // monochrome model
      {"wBlackFinish", 5, 1},
      {"flag902", 2, 0},
      {"flag904", 2, 1},
      {"wHalftone", 3, 0},
      {"flag908", 2, 0},
      {"wColorAdjust", 4, 0},
      {"wColorAdjustOpt", 5, 0},
      {"flag914", 2, 0},
      {"value916", 101, 0},
      {"wColorDarkness", -101, 0},
      {"wColorContrast", 101, 0},
      {"flag922", 2, 0},
      {"wPrintToFile", 2, 0},
      {"wJobType", 3, 0},
      {"wDeviceOptions", 0xFF, 0x2B},
      {"wSourceOptions", 0xFFFF, 0x107},
      {"wColorModeKind", 4, 3},
      {"dwJobTypeOption", 0xF, 0x7},
      {"wOverlayMode", 3, 0},
      {"wSendColorData", 2, 1},
      {"wColorProcessMode", 4, 0},
      {"wImageThinOut", 20, 100},
      {"wImageThinOut", 33, 33},
      {"wPortDirect", 2, 0},
      {"wPortDirect", 2, 1, kJapan},  // ReversePortrait
      {"wDetailFlags", 0x8004, 0x8018},
      {"wBlackFinishFlags", 0x8, 0},
      {"wBlackFinishFlags", 0x8, 1, kJapan},  // MKK
      {"wCopyUnit", 1000, 2},
      {"wOverPrint", 4, 0},
      {"dwFinishingOption", 0x2, 0},
      {"wFlateLevel", 12, 6},
      {"wEnablePrTimeOut", 2, 0},
      {"wPrTimeOut", 500, 300},
      {"wCustomWidth", 0, 762},
      {"wCustomLength", 60000, 3556},
      {"wFitPaperWidth", 0, 2159},
      {"wFitPaperLength", 0, 2794},
  };
  for (const Row& r : rows) {
    Bytes in = Own(r.printer, {{r.field, r.hostile}});
    kadu::DriverDevmode dm = Merged(r.printer, in);
    EXPECT_EQ(Decode(dm)[r.field], r.expected) << r.field << " " << r.hostile;
    const kadu::FieldRange* bad = kadu::FirstFieldOutOfRange(dm);
    EXPECT_EQ(bad, nullptr) << r.field << ": " << (bad ? bad->name : "");
  }
}

TEST_F(Merge, WatermarkSwitchedOffLosesItsKey) {
  Bytes in = Own(kDesk, {{"wWatermarkFlags", 4}});
  PutDevmodeText(&in, DevmodeFieldOffset("szWatermarkId"), u"W0000007");
  DecodedDevmode d = Decode(Merged(kDesk, in));
  EXPECT_EQ(d["wWatermarkFlags"], 0);
  EXPECT_EQ(d.Text("szWatermarkId"), u"");
  in = Own(kDesk, {{"wWatermarkFlags", 1}});
  PutDevmodeText(&in, DevmodeFieldOffset("szWatermarkId"), u"W0000007");
  EXPECT_EQ(Decode(Merged(kDesk, in)).Text("szWatermarkId"), u"W0000007");
}

TEST_F(Merge, DerivedLayout) {
  Run({
      {"6 up", kDesk, [&] { return Own(kDesk, {{"dwMultipage", 3}}); },
       {{"dwPagesPerSheet", 6}, {"dwNupColumns", 2}, {"dwNupRows", 3}}},
      {"16 up", kDesk, [&] { return Own(kDesk, {{"dwMultipage", 6}}); },
       {{"dwPagesPerSheet", 16}, {"dwNupColumns", 4}, {"dwNupRows", 4}}},
      {"grid counts are derived, not taken", kDesk,
       [&] { return Own(kDesk, {{"dwMultipage", 9}, {"dwPagesPerSheet", 0}, {"dwNupColumns", 0}}); },
       {{"dwMultipage", 0}, {"dwPagesPerSheet", 1}, {"dwNupColumns", 1}, {"dwNupRows", 1}}},
      {"custom poster", kDesk, [&] { return Own(kDesk, {{"dwEnlarge", 3}}); }, {{"dwPosterSheets", -1}}},
      {"nine-sheet poster", kDesk, [&] { return Own(kDesk, {{"dwEnlarge", 2}}); }, {{"dwPosterSheets", 9}}},
      {"unknown poster", kDesk, [&] { return Own(kDesk, {{"dwEnlarge", 7}}); },
       {{"dwEnlarge", 0}, {"dwPosterSheets", 2}}},
      // Letter portrait: one column of two rows enlarges less across.
      {"automatic direction, 1 by 2", kDesk,
       [&] { return Own(kDesk, {{"dwPosterFlags", 0x3}, {"dwCstmX", 1}, {"dwCstmY", 2}}); },
       {{"dwPosterFlags", 0x1}}},
      {"automatic direction, 2 by 1", kDesk,
       [&] { return Own(kDesk, {{"dwPosterFlags", 0x1}, {"dwCstmX", 2}, {"dwCstmY", 1}}); },
       {{"dwPosterFlags", 0x3}}},
      {"fixed direction is kept", kDesk,
       [&] { return Own(kDesk, {{"dwPosterFlags", 0x2}, {"dwCstmX", 1}, {"dwCstmY", 2}}); },
       {{"dwPosterFlags", 0x2}}},
      {"flags above 0xF", kDesk, [&] { return Own(kDesk, {{"dwPosterFlags", 0x1E}}); }, {{"dwPosterFlags", 0xF}}},
  });
}

// A paper whose printable area is 0 gives no poster direction instead of a
// division by zero.
TEST_F(Merge, PosterDirectionOfAPaperWithoutArea) {
  SetModelKey("KADUPAPR.INI", "AllPaper_port", "8", "0,0,75,50,75,50", kDeskDriver);
  for (const char16_t* d : {kOfficeDriver, kJapanDriver}) ASSERT_TRUE(kadu::LoadModelRecord(d, nullptr, TRUE, nullptr));
  for (int64_t flags : {0x1, 0x3}) {
    Bytes in = Own(kDesk, {{"dwPosterFlags", flags}, {"dwCstmX", 2}, {"dwCstmY", 1}});
    EXPECT_EQ(Decode(Merged(kDesk, in))["dwPosterFlags"], flags);
  }
}

TEST_F(Merge, CallerStringsAreTerminated) {
  Bytes in = Own(kDesk, {{"dmFields", kF}});
  for (size_t i = 0; i < 64; ++i) PutDevmodeWord(&in, DevmodeFieldOffset("szWatermarkText") + 2 * i, u'x');
  for (size_t i = 0; i < 20; ++i) PutDevmodeWord(&in, DevmodeFieldOffset("szJobName") + 2 * i, u'j');
  for (size_t i = 0; i < 32; ++i) PutDevmodeWord(&in, DevmodeFieldOffset("dmFormName") + 2 * i, u'f');
  DecodedDevmode d = Decode(Merged(kDesk, in));  // the decoder fails any unterminated text
  EXPECT_EQ(d.Text("szWatermarkText"), std::u16string(63, u'x'));
  EXPECT_EQ(d.Text("szJobName"), std::u16string(19, u'j'));
  EXPECT_EQ(d.Text("dmFormName"), std::u16string(31, u'f'));
  EXPECT_EQ(d.Text("szDriverName"), kDeskDriver);
}

TEST_F(Merge, StaleStampsAreTheCallersBusiness) {
  // The merge takes an own record whatever its stamps; the stale settings
  // rule belongs to the callers (and to DrvConvertDevMode).
  Bytes in = Own(kDesk, {{"stamp0", 0x77}, {"stamp3", 0x99}, {"wTonerSave", 1}});
  DecodedDevmode d = Decode(Merged(kDesk, in));
  EXPECT_EQ(d["wTonerSave"], 1);
  EXPECT_EQ(d["stamp0"], 0x77);
}

// Desk media 3 (transparency) feeds only by hand; Envelope DL only by hand.
TEST_F(Merge, CapabilityRules) {
  Run({
      {"media the source cannot feed", kDesk,
       [&] { return Own(kDesk, {{"dmFields", DM_DEFAULTSOURCE}, {"dmDefaultSource", 1}, {"wMediaType", 0x33}}); },
       {{"wMediaType", 0}, {"dmDefaultSource", 1}}},
      {"media by hand", kDesk,
       [&] { return Own(kDesk, {{"dmFields", DM_DEFAULTSOURCE}, {"dmDefaultSource", 4}, {"wMediaType", 0x33}}); },
       {{"wMediaType", 0x33}, {"dmDefaultSource", 4}}},
      {"a paper the source cannot feed", kDesk,
       [] {
         return Public({{"dmFields", DM_DEFAULTSOURCE | DM_PAPERSIZE}, {"dmDefaultSource", 1}, {"dmPaperSize", 27}});
       },
       {{"dmDefaultSource", 257}, {"wEffectiveSource", 257}}},
      {"a bin the paper cannot reach", kDesk, [&] { return Own(kDesk, {{"wOutputBin", 0}}); },
       {{"wOutputBin", 1}, {"wOutputBinCopy", 1}}},
      {"finishing in a bin that cannot finish", kDesk,
       [&] { return Own(kDesk, {{"wOutputBin", 1}, {"dwFinishingOption", 0x10000}}); }, {{"dwFinishingOption", 0}}},
      {"stapling in the finisher", kOffice,
       [&] { return Own(kOffice, {{"wOutputBin", 17}, {"dwFinishingOption", 0x10000}}); },
       {{"wOutputBin", 17}, {"dwFinishingOption", 0x10000}}},
      {"stapling prepunched media", kOffice,
       [&] { return Own(kOffice, {{"wOutputBin", 17}, {"dwFinishingOption", 0x10000}, {"wMediaType", 0xBB}}); },
       {{"dwFinishingOption", 0}}},
      {"long-edge feed by hand", kOffice,
       [&] {
         return Own(kOffice, {{"dmFields", DM_DEFAULTSOURCE | DM_PAPERSIZE}, {"dmDefaultSource", 4},
                              {"dmPaperSize", 9}, {"wPaperFlags", 0x2}});
       },
       {{"wLongEdgeFeed", 2}, {"wPaperFlags", 0x2}}},
      {"finishing that needs the long edge", kOffice,
       [&] {
         return Own(kOffice, {{"dmFields", DM_DEFAULTSOURCE | DM_PAPERSIZE}, {"dmDefaultSource", 4}, {"dmPaperSize", 9},
                              {"wOutputBin", 17}, {"dwFinishingOption", 0x10000}, {"wPaperFlags", 0}});
       },
       {{"wLongEdgeFeed", 2}, {"wPaperFlags", 0x2}}},
      {"finishing that needs the short edge", kOffice,
       [&] {
         return Own(kOffice, {{"dmFields", DM_DEFAULTSOURCE | DM_PAPERSIZE}, {"dmDefaultSource", 4}, {"dmPaperSize", 9},
                              {"wOutputBin", 17}, {"dwFinishingOption", 0x20000}, {"wPaperFlags", 0x3}});
       },
       {{"wLongEdgeFeed", 0}, {"wPaperFlags", 0x1}}},
  });
}

TEST_F(Merge, ManualDuplex) {
  const Fields manual = {{"dmFields", DM_DUPLEX | DM_DEFAULTSOURCE}, {"dmDuplex", 2}, {"dmDefaultSource", 1},
                         {"wDeviceOptions", 0}, {"wManualDuplex", 1}};
  auto with = [&](Fields extra) {
    Fields f = manual;
    f.insert(f.end(), extra.begin(), extra.end());
    return f;
  };
  Run({
      {"manual duplex stays", kDesk, [&] { return Own(kDesk, manual); }, {{"wManualDuplex", 1}}},
      {"with N-up", kDesk, [&] { return Own(kDesk, with({{"dwMultipage", 1}})); }, {{"wManualDuplex", 0}}},
      {"in booklet mode", kDesk, [&] { return Own(kDesk, with({{"dwFinishingMode", 1}})); }, {{"wManualDuplex", 0}}},
      {"simplex", kDesk, [&] { return Own(kDesk, with({{"dmDuplex", 1}})); }, {{"wManualDuplex", 0}}},
      {"from a source that cannot", kDesk, [&] { return Own(kDesk, with({{"dmDefaultSource", 7}})); },
       {{"wManualDuplex", 0}}},
  });
  // Two copies come from an earlier merge: the manual-duplex record cannot set them.
  kadu::DriverDevmode dm = Merged(kDesk, Public({{"dmFields", DM_COPIES}, {"dmCopies", 2}}));
  Bytes in = Own(kDesk, manual);
  HANDLE h = Open(kDesk);
  ASSERT_TRUE(kadu::MergeDevmodeBytes(&dm, in.data(), in.size(), h));
  ClosePrinter(h);
  EXPECT_EQ(Decode(dm)["dmCopies"], 2);
  EXPECT_EQ(Decode(dm)["wManualDuplex"], 0);
}

TEST_F(Merge, MultiPurposeTrayModels) {
  SetModelKey("K2630.INI", "PRINTERINFO", "wModelID", "38", kDeskDriver);
  Run({
      {"manual feed through the multi-purpose tray", kDesk,
       [] { return Public({{"dmFields", DM_DEFAULTSOURCE}, {"dmDefaultSource", 4}}); },
       {{"dmDefaultSource", 4}, {"wEffectiveSource", 257}}},
      {"the tray treated as manual feed", kDesk,
       [&] { return Own(kDesk, {{"dmFields", DM_DEFAULTSOURCE}, {"dmDefaultSource", 4}, {"wMPFisManual", 1}}); },
       {{"wEffectiveSource", 4}}},
  });
}

TEST_F(Merge, FinisherLimitsComeFromTheRecordNotTheStore) {
  // Office: A3 model; with the finisher the custom sizes reach 12000 long.
  const Fields big = {{"dmFields", DM_PAPERSIZE}, {"dmPaperSize", 263},
                      {"dmPaperWidth", 2000}, {"dmPaperLength", 9000}};
  Fields without = big;
  without.push_back({"wDeviceOptions", 0xA});
  const uint16_t storeBits = kadu::FindModelRecord(kOfficeDriver)->info.finisherType;
  EXPECT_EQ(Decode(Merged(kOffice, Own(kOffice, big)))["dmPaperLength"], 9000);
  EXPECT_EQ(Decode(Merged(kOffice, Own(kOffice, without)))["dmPaperLength"], 4318);
  EXPECT_EQ(kadu::FindModelRecord(kOfficeDriver)->info.finisherType, storeBits);
}

}  // namespace
