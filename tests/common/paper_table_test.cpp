#include <gtest/gtest.h>

#include <string>

#include "common/paper_table.h"
#include "tests/common/model_fixture.h"

using namespace kadu;

namespace {

class PaperTable : public kadu_test::ModelWorld {
 protected:
  int Read(PaperRecord* rows) {
    return ReadPaperTable(kadu::DriverFolder() + u"KADUPAPR.INI", rows);
  }
};

TEST_F(PaperTable, ShippedTableReadsAndIsConsistent) {
  InstallShippedData();
  PaperRecord rows[kPaperTableCapacity];
  int n = Read(rows);
  ASSERT_EQ(n, 35);
  EXPECT_EQ(CountPaperRecords(rows), 35);
  EXPECT_EQ(rows[0].code, 9);
  EXPECT_EQ(std::u16string(rows[0].name), u"A4");
  EXPECT_EQ(rows[0].displayString, 300);
  EXPECT_EQ(rows[0].shortString, 9000);
  EXPECT_EQ(rows[0].widthDots, 2480);
  EXPECT_EQ(rows[0].lengthTenths, 2970);
  EXPECT_EQ(rows[20].code, 263);
  EXPECT_EQ(rows[20].nameFormat, 1);
  EXPECT_EQ(rows[33].code, 71);             // not in the paper-kind table:
  EXPECT_EQ(rows[33].displayString, 300);   // its first row
  for (int i = 0; i < n; ++i) {
    const PaperRecord& r = rows[i];
    SCOPED_TRACE(i);
    if (r.paperClass == 3) continue;  // custom sizes take their size from the job
    // Printable sizes are the sheet less both margins, for each orientation.
    EXPECT_EQ(r.portrait[kPrintableWidth], r.widthDots - 2 * r.portrait[kOffsetLeft]);
    EXPECT_EQ(r.portrait[kPrintableLength], r.lengthDots - 2 * r.portrait[kOffsetTop]);
    EXPECT_EQ(r.landscape[kPrintableWidth], r.lengthDots - 2 * r.landscape[kOffsetLeft]);
    EXPECT_EQ(r.landscape[kPrintableLength], r.widthDots - 2 * r.landscape[kOffsetTop]);
    // The printable area starts at the printer's logical page.
    EXPECT_EQ(r.portrait[kOffsetLeft], r.portrait[kLogicalPageOffset]);
    int w, l;
    PaperSizeTenths(r, &w, &l);
    EXPECT_NEAR(w * 300 / 254.0, r.widthDots, 1.0);
    EXPECT_NEAR(l * 300 / 254.0, r.lengthDots, 1.0);
  }
}

TEST_F(PaperTable, ReadingStopsAtTheFirstMissingKey) {
  WriteDataFile("P.INI",
                "[AllPaper]\r\n1=9,\"A4\",0,0,2480,3508\r\n2=1,\"Letter\r\n4=5,\"Legal\",0,0,2550,4200\r\n"
                "[AllPaper_port]\r\n1=1,2,3,4,5,6,7\r\n[AllPaper_mmSize]\r\n2=\r\n");
  PaperRecord rows[kPaperTableCapacity];
  ASSERT_EQ(ReadPaperTable(kadu::DriverFolder() + u"P.INI", rows), 2);
  EXPECT_EQ(std::vector<uint16_t>(rows[0].portrait, rows[0].portrait + 6), (std::vector<uint16_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(std::u16string(rows[1].name), u"Letter");
  EXPECT_EQ(rows[1].widthDots, 0);
  int w, l;
  PaperSizeTenths(rows[0], &w, &l);  // no millimetre key: from the dots
  EXPECT_EQ(w, (2480 * 2540 + 1500) / 3000);
  EXPECT_EQ(l, (3508 * 2540 + 1500) / 3000);
  EXPECT_EQ(rows[2].code, 0);
  EXPECT_EQ(CountPaperRecords(rows), 2);
}

TEST_F(PaperTable, AtMostSixtyFourRecords) {
  std::string text = "[AllPaper]\r\n";
  for (int i = 1; i <= 70; ++i) text += std::to_string(i) + "=9,\"A4 " + std::string(80, 'x') + "\",0,0,1,1\r\n";
  WriteDataFile("P.INI", text);
  PaperRecord rows[kPaperTableCapacity];
  EXPECT_EQ(ReadPaperTable(kadu::DriverFolder() + u"P.INI", rows), 64);
  EXPECT_EQ(std::u16string(rows[63].name).size(), 63u);  // the name is cut to its field
}

}  // namespace
