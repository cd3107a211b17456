// The job header bytes for the combinations a job can take.
#include <functional>
#include <string>
#include <vector>

#include "render/core/pjl_header.h"
#include "render/core/pjl_trailer.h"
#include "tests/render/pjl_fixture.h"

namespace kadu_test {
namespace {

// '~' stands for the escape character in expected bytes.
std::string Esc(std::string s) {
  for (char& c : s)
    if (c == '~') c = '\x1b';
  return s;
}

// Settings every case starts from, so that only what a case changes differs.
void Base(PDEV& p) {
  DEVMODEW& dm = p.devmode.dm;
  kadu::PrivateDevmode& v = p.devmode.priv;
  dm.dmFields |= DM_DEFAULTSOURCE;
  dm.dmPaperSize = 9;
  dm.dmPaperWidth = 2100;
  dm.dmPaperLength = 2970;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmCopies = 1;
  dm.dmDuplex = 1;
  dm.dmDefaultSource = 7;
  v.wMediaType = 0;
  v.wPaperFlags = 0x1;
  v.wPrDensity = 0;
  v.wTonerSave = 0;
  v.wAutoTray = 1;
  v.wFlateCompress = 0;
  v.wPrintMargin = 0;
  v.wJobType = 0;
  v.wManualDuplex = 0;
  v.wColorModeFlag = 0;
  v.dwFinishingOption = 0;
  v.wOutputBin = 0;
  v.wEnablePrTimeOut = 0;
  v.dwFinishingMode = 0;
  v.wDriverCollate = 0;
  v.wCoverPrint = 0;
  v.wColorProcessMode = 0;
  v.wUserDefPaper = 0;
  v.wLongEdgeFeed = 0;
  v.wDispType = 0;
}

const char* const kPjlStart =
    "~%-12345X@PJL\r\n@PJL JOB NAME = \"WindowsNT\"\n@PJL RDYMSG DISPLAY = \"\"\n"
    "@PJL COMMENT OS Version   : Windows NT 0.0 Build 0 \n"
    "@PJL COMMENT Product Name : QEL PCL5e Printer Driver\n"
    "@PJL COMMENT Device Name  : Halvorn KADU 2630dn\n"
    "@PJL COMMENT Version      : 1.3.1\n"
    "@PJL COMMENT Build Date   : 2011/01/28 (Fri) 14:20:22\n"
    "@PJL SET QELPAPERSIZECHECK=ENABLE\n@PJL SET MANUALFEED=OFF\n"
    "@PJL SET QELXDIMENSIONMILLIMETER=210\n@PJL SET QELYDIMENSIONMILLIMETER=297\n"
    "@PJL SET MEDIASRCINTRAY1=4\n@PJL SET MEDIASRCINTRAY2=1\n@PJL SET MEDIASRCINTRAY3=5\n"
    "@PJL SET LPARM:PCL DIRECTREVERSE=OFF\n@PJL SET COPIES=1\n";

class PjlHeader : public PjlJobFixture {};

TEST_F(PjlHeader, NormalRasterJobByteForByte) {
  PDEV& p = NewPdev(kDesk, kDeskDriver);
  Base(p);
  ASSERT_TRUE(WriteRasterJobHeader(&p));
  EXPECT_EQ(Flushed(), Esc(std::string(kPjlStart) +
                           "@PJL SET ORIENTATION=PORTRAIT\n@PJL SET QELRESOLUTION=600\n"
                           "@PJL SET LPARM:PCL QELPRINTMARGIN=INCH1D6\n@PJL SET QELTONERSAVEMODE=OFF\n"
                           "@PJL SET QELAUTOTRAYSWITCH=ON\n@PJL ENTER LANGUAGE=PCL\n"
                           "~E~&b1M~*r0F~&u600D~*t600R~&l1x0o7H~&n1Wd~&l26a6d1e102F~&l0S"));
}

TEST_F(PjlHeader, NormalDeviceJobByteForByte) {
  PDEV& p = NewPdev(kDesk, kDeskDriver);
  Base(p);
  ASSERT_TRUE(WriteDeviceJobHeader(&p));
  EXPECT_EQ(Flushed(), Esc(std::string(kPjlStart) +
                           "@PJL SET QELRESOLUTION=600\n"
                           "@PJL SET LPARM:PCL QELPRINTMARGIN=INCH1D6\n@PJL SET QELTONERSAVEMODE=OFF\n"
                           "@PJL SET QELAUTOTRAYSWITCH=ON\n@PJL ENTER LANGUAGE=PCL\n"
                           "~E~&b1M~*r0F~%0BINSP1PP1WU0PW0.05TR0LT;~%0A~&b1M~&u600D~*t600R~&l1x0S"));
}

struct HeaderCase {
  const char* name;
  bool office;  // the A3 model with the envelope feature, else the desktop model
  bool raster;
  std::function<void(PDEV&)> set;
  std::vector<const char*> present;  // in this order, '~' for the escape character
  std::vector<const char*> absent;
};

const HeaderCase kCases[] = {
    {"ProofRaster", false, true,
     [](PDEV& p) {
       p.devmode.priv.wJobType = 1;
       p.devmode.priv.dwJobPin = 42;
       p.devmode.priv.dwJobTypeOption = 0x4;
       std::strcpy(p.storedJobName, "Quarterly report");
     },
     {"~%-12345X@PJL\r\n@PJL QELPROOF PASSWORD=0042 PERMANENT=ON\n@PJL JOB NAME = \"Quarterly report\"\n"
      "@PJL RDYMSG DISPLAY = \"\"\n",
      "~*t600R~&l0o7H"},
     {"~&l1x"}},
    {"SecureDevice", false, false,
     [](PDEV& p) {
       p.devmode.priv.wJobType = 2;
       p.devmode.priv.dwJobPin = 7;
       p.devmode.priv.dwJobTypeOption = 0;
       std::strcpy(p.storedJobName, "Payroll");
     },
     {"@PJL\r\n@PJL QELSECURE PASSWORD=0007 PERMANENT=ONCE\n@PJL JOB NAME = \"Payroll\"\n", "~*t600R~&l1x0S"},
     {"WindowsNT"}},
    {"SecureRasterWithHeaderBlock", false, true,
     [](PDEV& p) {
       p.devmode.priv.wJobType = 2;
       p.devmode.priv.dwJobPin = 12345;
       std::strcpy(p.storedJobName, "Payroll");
       const char block[] = "@PJL SET USERNAME=\"amy\"\r\n";
       std::memcpy(p.jobHeaderBlock, block, sizeof(block) - 1);
       p.jobHeaderBlockSize = sizeof(block) - 1;
     },
     {"PASSWORD=12345 PERMANENT=ONCE\n@PJL JOB NAME = \"Payroll\"\n@PJL SET USERNAME=\"amy\"\r\n@PJL RDYMSG"},
     {}},
    {"MillimetreCustomRaster", false, true,
     [](PDEV& p) {
       p.devmode.dm.dmPaperSize = 256;
       p.devmode.dm.dmPaperWidth = 1500;
       p.devmode.dm.dmPaperLength = 2001;
     },
     {"@PJL SET QELUNITOFMEASURE=MILLIMETER\n@PJL SET QELXDIMENSIONMILLIMETER=150\n"
      "@PJL SET QELYDIMENSIONMILLIMETER=201\n",
      "~&l101a6d1e102F"},
     {"UNITOFMEASURE=INCH"}},
    {"InchCustomDevice", false, false,
     [](PDEV& p) {
       p.devmode.dm.dmPaperSize = 256;
       p.devmode.dm.dmPaperWidth = 2159;
       p.devmode.dm.dmPaperLength = 2794;
       p.devmode.priv.wDispType = 1;
     },
     {"@PJL SET QELUNITOFMEASURE=INCH\n@PJL SET QELXDIMENSIONINCH=8.5\n@PJL SET QELYDIMENSIONINCH=11.0\n"},
     {"MILLIMETER"}},
    {"InchCustomLandscapeRaster", false, true,
     [](PDEV& p) {
       p.devmode.dm.dmPaperSize = 263;
       p.devmode.dm.dmPaperWidth = 2159;
       p.devmode.dm.dmPaperLength = 2794;
       p.devmode.dm.dmOrientation = DMORIENT_LANDSCAPE;
       p.devmode.priv.wDispType = 1;
     },
     {"@PJL SET QELXDIMENSIONINCH=11.0\n@PJL SET QELYDIMENSIONINCH=8.5\n", "~&l101a"},
     {}},
    {"A3AnnouncedAsA4", false, true,
     [](PDEV& p) {
       p.devmode.dm.dmPaperSize = 8;
       p.devmode.dm.dmPaperWidth = 2970;
       p.devmode.dm.dmPaperLength = 4200;
     },
     {"QELXDIMENSIONMILLIMETER=297\n@PJL SET QELYDIMENSIONMILLIMETER=420\n", "~&l26a"},
     {}},
    {"EnvelopeModeRaster", true, true,
     [](PDEV& p) {
       p.devmode.dm.dmPaperSize = 272;
       p.devmode.dm.dmPaperWidth = 1100;
       p.devmode.dm.dmPaperLength = 2200;
       p.devmode.dm.dmDefaultSource = 257;
       p.devmode.priv.wMediaType = 0x33;
       p.devmode.priv.wPaperFlags = 0x5;
     },
     {"@PJL SET QELPAPERSIZECHECK=DISABLE\n",
      "@PJL SET INTRAY1SIZE=CUSTOM\n@PJL SET INTRAY1SIZE=ENVELOPE5\n@PJL SET QELMEDIATYPEINTRAY1=USERTYPE2\n",
      "~&l1x0o4H~&n6WdPlain~&l135a6d1e114F"},
     {"QELMEDIAINTRAY1="}},
    {"EnvelopeModeCustomLongEdgeInch", true, false,
     [](PDEV& p) {
       p.devmode.dm.dmPaperSize = 263;
       p.devmode.dm.dmPaperWidth = 2159;
       p.devmode.dm.dmPaperLength = 2794;
       p.devmode.priv.wLongEdgeFeed = 0x2;
       p.devmode.priv.wDispType = 1;
     },
     {"@PJL SET QELXDIMENSIONINCH=11.0\n@PJL SET QELYDIMENSIONINCH=8.5\n@PJL SET INTRAY1SIZE=CUSTOM\n"},
     {}},
    {"ManualDuplex", false, true,
     [](PDEV& p) {
       p.devmode.priv.wManualDuplex = 1;
       p.devmode.priv.dwPageCount = 4;
       p.devmode.dm.dmDuplex = DMDUP_VERTICAL;
     },
     {"@PJL SET QELMANUALDUPLEX=ON\n@PJL SET QELNOTIFYPAPERSIDE=OFF\n@PJL ENTER LANGUAGE=PCL\n", "F~&l0S"},
     {}},
    {"ManualDuplexAfterFirstPage", false, true,
     [](PDEV& p) {
       p.devmode.priv.wManualDuplex = 1;
       p.devmode.priv.dwPageCount = 4;
       p.pageCount = 1;
     },
     {"F~&l0S"},
     {"QELMANUALDUPLEX"}},
    {"DuplexShortEdgeDevice", false, false, [](PDEV& p) { p.devmode.dm.dmDuplex = DMDUP_HORIZONTAL; },
     {"~&l1x2S"}, {}},
    {"CopiesTraySourceRaster", false, true,
     [](PDEV& p) {
       p.devmode.dm.dmCopies = 2;
       p.devmode.dm.dmDefaultSource = 1;
       p.devmode.priv.wMediaType = 5;
     },
     {"@PJL SET QELMEDIAINTRAY2=HEAVY\n@PJL SET QELMEDIATYPEINTRAY2=PLAIN\n", "@PJL SET COPIES=2\n",
      "~&l2x0o1H~&n6WdPlain"},
     {}},
    {"CopyCountEscapeClamped", false, false, [](PDEV& p) { p.copyCount = 150; },
     {"@PJL SET COPIES=99\n", "~&l99x0S"}, {}},
    {"DriverCollate", false, true,
     [](PDEV& p) {
       p.devmode.dm.dmCopies = 3;
       p.devmode.priv.wDriverCollate = 1;
     },
     {"@PJL SET COPIES=3\n", "~*t600R~&l0o7H"},
     {"~&l3x"}},
    {"ManualFeedRaster", false, true, [](PDEV& p) { p.devmode.dm.dmDefaultSource = DMBIN_MANUAL; },
     {"@PJL SET MANUALFEED=ON\n", "~&l1x0o2H"}, {}},
    {"NoSourceRaster", false, true, [](PDEV& p) { p.devmode.dm.dmFields &= ~DWORD(DM_DEFAULTSOURCE); },
     {"@PJL SET MANUALFEED=OFF\n@PJL SET QELPAPERFEED=TRAY1\n"}, {}},
    {"AutoSourceWeightToFourTrays", false, false, [](PDEV& p) { p.devmode.priv.wMediaType = 1; },
     {"@PJL SET QELMEDIAINTRAY1=LIGHT\n@PJL SET QELMEDIAINTRAY2=LIGHT\n@PJL SET QELMEDIAINTRAY3=LIGHT\n"
      "@PJL SET QELMEDIAINTRAY4=LIGHT\n@PJL SET MEDIASRCINTRAY1=4\n"},
     {"QELMEDIATYPEINTRAY"}},
    {"TrueResolutionDevice", false, false,
     [](PDEV& p) {
       p.resolution = 1200;
       p.subMode = 0x80;
     },
     {"@PJL SET QELRESOLUTION=1200\n", "~&u1200D~/t12001200R"}, {}},
    {"Y2400Raster", false, true,
     [](PDEV& p) {
       p.resolution = 1200;
       p.subMode = 0x02;
       p.devmode.priv.wPrintMargin = 1;
     },
     {"@PJL SET QELRESOLUTION=X600Y2400\n@PJL SET LPARM:PCL QELPRINTMARGIN=INCH1D4\n",
      "~&u1200D~*t2400R", "~&l26a4d1e68F"},
     {}},
    {"PrintOptionsAndEconomode", true, true,
     [](PDEV& p) {
       p.devmode.priv.wPrDensity = 5;
       p.devmode.priv.wColorProcessMode = 2;
       p.devmode.priv.wTonerSave = 2;
       p.devmode.priv.wAutoTray = 0;
       p.devmode.priv.wFlateCompress = 1;
       p.devmode.priv.wFlateLevel = 9;
       p.devmode.priv.wColorModeFlag = 1;
       p.devmode.priv.wUiQuality = DMRES_LOW;
       p.devmode.priv.dwFinishingOption = 0x02000000;
       p.directRasterRows = 10;
     },
     {"@PJL SET QELRESOLUTION=600\n@PJL SET DENSITY=2\n@PJL SET QELCOLORPROCESSMODE=TYPE2\n"
      "@PJL SET ECONOMODE=LIGHT\n@PJL SET QELAUTOTRAYSWITCH=OFF\n@PJL SET QELAUTOEJECT=90\n"
      "@PJL COMMENT COMPRESSION:FLATE LEVEL:9\n@PJL ENTER LANGUAGE=PCL\n~E~*r0F~/l1O~&u600D"},
     {"QELPRINTMARGIN", "~&b1M"}},
    {"UserAutoEject", false, true,
     [](PDEV& p) {
       p.devmode.priv.wEnablePrTimeOut = 1;
       p.devmode.priv.wDetailFlags = 0x100;
       p.devmode.priv.wPrTimeOut = 45;
     },
     {"@PJL SET QELAUTOEJECT=45\n"}, {}},
};

class PjlHeaderCases : public PjlJobFixture, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(PjlHeaderCases, WritesTheExpectedLines) {
  const HeaderCase& c = GetParam();
  PDEV& p = c.office ? NewPdev(kOffice, kOfficeDriver) : NewPdev(kDesk, kDeskDriver);
  Base(p);
  c.set(p);
  ASSERT_TRUE(c.raster ? WriteRasterJobHeader(&p) : WriteDeviceJobHeader(&p));
  std::string out = Flushed();
  ASSERT_EQ(out.rfind(Esc("~%-12345X@PJL\r\n"), 0), 0u);
  size_t at = 0;
  for (const char* want : c.present) {
    size_t found = out.find(Esc(want), at);
    ASSERT_NE(found, std::string::npos) << "missing " << want << " in\n" << out;
    at = found + 1;
  }
  for (const char* not_want : c.absent) EXPECT_EQ(out.find(Esc(not_want)), std::string::npos) << not_want;
  // Every PJL line is one line: the PCL part starts after the language switch.
  EXPECT_NE(out.find("@PJL ENTER LANGUAGE=PCL\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Jobs, PjlHeaderCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PjlHeader, ContinuationAfterResolutionChange) {
  PDEV& p = NewPdev(kDesk, kDeskDriver);
  Base(p);
  p.resolution = 300;
  p.devmode.dm.dmCopies = 2;
  p.devmode.dm.dmDefaultSource = 1;
  ASSERT_TRUE(WriteContinuationHeader(&p));
  EXPECT_EQ(Flushed(), Esc("~%-12345X@PJL\r\n@PJL SET QELRESOLUTION=600\n@PJL ENTER LANGUAGE=PCL\n"
                           "~&b1M~E~*r0F~%0BINSP1PP1WU0PW0.05TR0LT;~%0A~&l1H~&u300D~*t300R~&l2x0S"));
}

TEST_F(PjlHeader, ContinuationOnEnvelopeModelFeedsEnvelopeFromTrayOne) {
  PDEV& p = NewPdev(kOffice, kOfficeDriver);
  Base(p);
  p.devmode.dm.dmPaperSize = 273;
  p.devmode.dm.dmDefaultSource = 1;
  p.devmode.priv.wDriverCollate = 1;
  ASSERT_TRUE(WriteContinuationHeader(&p));
  EXPECT_NE(Flushed().find(Esc("~%0A~&l4H~&u600D~*t600R~&l0S")), std::string::npos);
}

TEST_F(PjlHeader, TrailerEndsEveryJob) {
  PDEV& p = NewPdev(kDesk, kDeskDriver);
  ASSERT_TRUE(WriteJobTrailer(&p, FALSE));
  EXPECT_EQ(Flushed(),
            Esc("~E~%-12345X@PJL\r\n@PJL RDYMSG DISPLAY = \"\"\n@PJL EOJ NAME = \"End \"\n~%-12345X"));
}

TEST_F(PjlHeader, DeviceTrailerClosesTheInputWindow) {
  PDEV& p = NewPdev(kDesk, kDeskDriver);
  p.gl2InputWindow = TRUE;
  ASSERT_TRUE(WriteJobTrailer(&p, TRUE));
  EXPECT_EQ(Flushed(), Esc("~%0BIW;~%0A~E~%-12345X@PJL\r\n@PJL RDYMSG DISPLAY = \"\"\n"
                           "@PJL EOJ NAME = \"End \"\n~%-12345X"));
  EXPECT_FALSE(p.gl2InputWindow);
}

}  // namespace
}  // namespace kadu_test
