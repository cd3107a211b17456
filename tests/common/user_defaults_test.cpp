#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "common/user_defaults.h"
#include "kw/wide.h"
#include "tests/support/world_fixture.h"

using namespace kadu;

namespace {

TEST(UserDefaults, BuiltInBlock) {
  const UserDefaults& ud = BuiltinUserDefaults();
  EXPECT_EQ(ud.driverName[0], 0);
  EXPECT_EQ(ud.orientation, 1);
  EXPECT_EQ(ud.copies, 1);
  EXPECT_EQ(ud.signature, -1);
  EXPECT_EQ(ud.registColor, 0xC0C0C0);
  EXPECT_EQ(ud.overlapWidth, 100);
  EXPECT_EQ(ud.scale, 100);
  EXPECT_EQ(ud.dmDuplex, 1);
  EXPECT_EQ(ud.printQuality, -3);
  EXPECT_EQ(ud.uiQuality, -3);
  EXPECT_EQ(ud.imageThinOut, 100);
  EXPECT_EQ(ud.wmFontSize, 72);
  EXPECT_EQ(ud.wmAngle, 45);
  EXPECT_EQ(std::u16string(ud.wmFont), u"Arial");
  EXPECT_EQ(ud.wmWeight, 400);
  EXPECT_EQ(ud.wmColor, 0xC0C0C0);
  EXPECT_EQ(ud.wmBasePos, 3);
  EXPECT_EQ(ud.wmXOffsetShort, 118);
  EXPECT_EQ(ud.darkness, 128);  // stored form: neutral
  EXPECT_EQ(ud.contrast, 128);
  EXPECT_EQ(ud.prTimeOut, 300);
  EXPECT_EQ(ud.prDensity, -3);
  EXPECT_EQ(ud.usePrinterFont, 1);
  EXPECT_EQ(ud.word310, 0);
  EXPECT_EQ(ud.value600, 0);
  EXPECT_EQ(ud.text440[0], 0);
  EXPECT_EQ(ud.valCodePass[0], 0);
}

TEST(UserDefaults, KeyTableHasEveryKeyOnce) {
  std::set<std::u16string> keys;
  for (size_t i = 0; i < UserDefaultsKeyCount(); ++i) {
    const char16_t *section, *key;
    size_t offset;
    UserDefaultsKey(i, &section, &key, &offset);
    EXPECT_TRUE(keys.insert(key).second) << kw::Narrow(key);
    EXPECT_LT(offset, sizeof(UserDefaults));
  }
  EXPECT_EQ(keys.size(), 122u);  // the rows of the format
}

// Every key the driver reads is described in the model data documentation.
TEST(UserDefaults, EveryKeyIsDocumented) {
  std::ifstream in(kadu_test::SourcePath("docs/model-data.md"));
  std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(doc.empty());
  for (size_t i = 0; i < UserDefaultsKeyCount(); ++i) {
    const char16_t *section, *key;
    size_t offset;
    UserDefaultsKey(i, &section, &key, &offset);
    EXPECT_NE(doc.find("`" + kw::Narrow(key) + "`"), std::string::npos) << kw::Narrow(key);
    EXPECT_NE(doc.find("`[" + kw::Narrow(section) + "]`"), std::string::npos) << kw::Narrow(section);
  }
  for (const char* key : {"InfoType", "iLogoBmpID", "PaperSize", "PaperOrder", "PaperSize_inch", "PaperOrder_inch",
                          "PaperSize_mm", "PaperOrder_mm", "Source", "SourceOrder", "PaperType", "PaperTypeOrder",
                          "MediaType", "MediatypeOrder", "dwDefAvlMemory", "wPPM", "wModelID", "wFinisherType",
                          "QualityType", "Measure", "FontDLLVer", "TimeOut", "InternalFreeMemory",
                          "UDlpgrayEntryMesh", "UDlpgrayEntryLine", "UDDPIChange_Portrait", "UDFreeSize_Landscape",
                          "UDFinisherSize_Portrait", "True1200", "1ST_LARGE", "Overlay", "HeiseFont", "MTP_ShortFeed",
                          "InitDataFile1", "DefaultFile", "CustomFile", "Ver", "Compression"})
    EXPECT_NE(doc.find(std::string("`") + key + "`"), std::string::npos) << key;
}

}  // namespace
