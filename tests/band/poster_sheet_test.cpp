// Poster tiles (which rows and bytes a sheet prints, registration crosses)
// and collected N-up sheets (pages copied into cells, turned either way).
#include "render/core/poster_tiles.h"
#include "render/core/registration_cross.h"
#include "tests/band/band_fixture.h"

namespace kadu_test {
namespace {

struct TileCase {
  DWORD pageIndex, columns, rows;
  LONG tileWidth, tileHeight, overlap;
  PosterTile want;
};

TEST(PosterTiles, RangesOfEachTile) {
  const TileCase cases[] = {
      {0, 2, 2, 800, 1000, 16, {0, 0, 0, 100, 0, 1000}},
      {1, 2, 2, 800, 1000, 16, {1, 0, 98, 198, 0, 1000}},
      {5, 2, 2, 800, 1000, 16, {1, 0, 98, 198, 0, 1000}},  // index 5 of a 2 × 2 poster: tile 1
      {3, 2, 2, 800, 1000, 16, {1, 1, 98, 198, 984, 1984}},
      {2, 1, 2, 800, 1000, 1, {0, 0, 0, 100, 0, 1000}},
      {8, 3, 3, 640, 480, 0, {2, 2, 160, 240, 960, 1440}},
  };
  for (const TileCase& c : cases) {
    PosterTile t = PosterTileAt(c.pageIndex, c.columns, c.rows, c.tileWidth, c.tileHeight, c.overlap);
    EXPECT_EQ(t.column, c.want.column) << c.pageIndex;
    EXPECT_EQ(t.row, c.want.row) << c.pageIndex;
    EXPECT_EQ(t.firstByte, c.want.firstByte) << c.pageIndex;
    EXPECT_EQ(t.lastByte, c.want.lastByte) << c.pageIndex;
    EXPECT_EQ(t.firstRow, c.want.firstRow) << c.pageIndex;
    EXPECT_EQ(t.lastRow, c.want.lastRow) << c.pageIndex;
  }
}

class PosterPage : public BandFixture {
 protected:
  // A 2 × 2 poster of tiles of `w` × `h` pixels (printable w / 2 × h / 2 at
  // 300 dpi, printed at 600) overlapping by 8 pixels.
  PDEV& MakePoster(DWORD pageIndex, LONG w = 96, LONG h = 64) {
    PageCase c;
    c.width = 2 * w - 8;
    c.height = 2 * h - 8;
    PDEV& p = Make(c);
    p.devmode.priv.dwFinishingMode = 2;
    p.layout.posterColumns = p.layout.posterRows = 2;
    p.layout.posterOverlap = 8;
    p.layout.pageIndex = pageIndex;
    p.paper.printWidth = w / 2;
    p.paper.printHeight = h / 2;
    return p;
  }
};

TEST_F(PosterPage, SendsOnlyTheTile) {
  for (DWORD index : {0u, 1u, 2u, 3u, 5u}) {
    SCOPED_TRACE(index);
    PDEV& p = MakePoster(index);
    Bitmap img = TestPage(p.pageSize.cx, p.pageSize.cy, 9);
    Fill(img, POINTL{0, 0});
    ASSERT_TRUE(SendRasterPage(&p));
    PclRasterDecode d = Decode(Sent());
    ASSERT_EQ(d.images.size(), 1u);
    PosterTile t = PosterTileAt(index, 2, 2, 96, 64, 8);
    ReferenceOptions o;
    o.firstRow = t.firstRow;
    o.rows = t.lastRow - t.firstRow;
    o.firstPixel = t.firstByte * 8;
    o.pixels = (t.lastByte - t.firstByte) * 8;
    EXPECT_TRUE(Shows(d.images[0], Reference(img, o)));
  }
}

TEST(RegistrationNodes, MiddleOfEachOverlap) {
  EXPECT_EQ(RegistrationNode(0, 2, 96, 8), 0);
  EXPECT_EQ(RegistrationNode(1, 2, 96, 8), 92);
  EXPECT_EQ(RegistrationNode(2, 2, 96, 8), 183);
  EXPECT_EQ(RegistrationNode(2, 3, 100, 10), 185);
  EXPECT_EQ(RegistrationNode(3, 3, 100, 10), 279);
}

TEST_F(PosterPage, CrossesAreInvertedAtInnerAndEdgeNodesOnly) {
  for (bool black : {false, true}) {
    SCOPED_TRACE(black ? "on black" : "on white");
    PDEV& p = MakePoster(0, 600, 800);
    Bitmap img(p.pageSize.cx, p.pageSize.cy);
    if (black) std::fill(img.bits.begin(), img.bits.end(), 0xFF);
    Fill(img, POINTL{0, 0});
    std::vector<BYTE> before(p.band.bits, p.band.bits + p.band.bytes);
    ASSERT_TRUE(DrawRegistrationCrosses(&p));
    LONG stride = p.band.size.cx / 8;
    auto pixel = [&](LONG x, LONG y) { return ((p.band.bits[size_t(y * stride + x / 8)] >> (7 - x % 8)) & 1) != 0; };
    LONG arm = 600 * 30 / 254;  // 70 pixels
    LONG cx = 596, cy = 796;    // the inner node
    EXPECT_NE(pixel(cx, cy), black) << "centre";
    EXPECT_NE(pixel(cx - arm, cy), black);
    EXPECT_NE(pixel(cx, cy + arm), black);
    EXPECT_EQ(pixel(cx - arm - 1, cy), black) << "past the arm";
    EXPECT_EQ(pixel(cx, cy + arm + 1), black) << "past the arm";
    EXPECT_EQ(pixel(cx + 3, cy + 3), black) << "off the lines";
    EXPECT_NE(pixel(cx, 0), black) << "edge node";
    EXPECT_NE(pixel(cx, 50), black) << "edge node's arm";
    EXPECT_NE(pixel(0, cy), black) << "edge node";
    EXPECT_NE(pixel(p.pageSize.cx - 1, cy), black) << "edge node";
    EXPECT_EQ(pixel(3, 3), black) << "outer corner";
    EXPECT_EQ(pixel(p.pageSize.cx - 4, p.pageSize.cy - 4), black) << "outer corner";
    ASSERT_TRUE(DrawRegistrationCrosses(&p));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), p.band.bits)) << "drawing twice restores the page";
  }
}

TEST_F(PosterPage, NoCrossesOutsidePosterPrinting) {
  PDEV& p = Make(PageCase{});
  EXPECT_FALSE(DrawRegistrationCrosses(&p));
}

// Collected sheets.
class SheetCollect : public BandFixture {
 protected:
  PDEV& MakeSheet() {
    PageCase c;
    c.width = 64;
    c.height = 40;
    PDEV& p = Make(c);
    p.layout.nupFlags = LAYOUT_NUP;
    p.layout.pageWidth = 160;
    p.layout.pageHeight = 120;
    p.devmode.priv.dwPagesPerSheet = 2;
    EXPECT_TRUE(AllocDocumentBuffers(&p));
    return p;
  }
  bool SheetPixel(LONG x, LONG y) {
    const BandState& b = pdev_->bandState;
    return (b.sheet[size_t(y) * size_t(b.sheetStride) + size_t(x / 8)] >> (7 - x % 8)) & 1;
  }
};

struct TurnCase {
  const char* name;
  BOOL turn, clockwise;
};

TEST_F(SheetCollect, PageGoesIntoItsCellTurnedAsAsked) {
  const TurnCase cases[] = {{"as is", FALSE, FALSE}, {"clockwise", TRUE, TRUE}, {"counter-clockwise", TRUE, FALSE}};
  for (const TurnCase& c : cases) {
    SCOPED_TRACE(c.name);
    PDEV& p = MakeSheet();
    p.layout.baseOffset = POINTL{19, 7};  // the cell origin; copied from byte 2 on
    p.bandState.sheetTurn = c.turn;
    p.bandState.turnClockwise = c.clockwise;
    Bitmap img = TestPage(64, 40, 4);
    Fill(img, POINTL{0, 0});
    ASSERT_TRUE(CollectSheetPage(&p));
    EXPECT_EQ(CollectedPages(&p), 1u);
    for (size_t i = 0; i < p.band.bytes; ++i) ASSERT_EQ(p.band.bits[i], 0) << "the band bitmap is cleared";
    LONG ox = p.pcl.pageOffset.x / 8 * 8, oy = p.pcl.pageOffset.y;
    LONG W = img.width, H = img.height;
    LONG cellW = c.turn ? H : W, cellH = c.turn ? W : H;
    for (LONG j = 0; j < cellH; ++j) {
      for (LONG i = 0; i < cellW; ++i) {
        bool want = !c.turn ? img.Get(i, j) : c.clockwise ? img.Get(j, H - 1 - i) : img.Get(W - 1 - j, i);
        ASSERT_EQ(SheetPixel(ox + i, oy + j), want) << "cell pixel " << i << "," << j;
      }
    }
    // The sheet goes out as one page and is emptied.
    ASSERT_TRUE(SendCollectedSheet(&p));
    EXPECT_EQ(CollectedPages(&p), 0u);
    PclRasterDecode d = Decode(Sent());
    ASSERT_EQ(d.images.size(), 1u);
    Bitmap sheet(160, 120);
    for (LONG j = 0; j < cellH; ++j)
      for (LONG i = 0; i < cellW; ++i) {
        bool want = !c.turn ? img.Get(i, j) : c.clockwise ? img.Get(j, H - 1 - i) : img.Get(W - 1 - j, i);
        if (want) sheet.Set(ox + i, oy + j);
      }
    EXPECT_TRUE(Shows(d.images[0], Reference(sheet, ReferenceOptions{})));
  }
}

struct FrameCase {
  DWORD working, subMode;
  LONG width;  // of every line
};

TEST_F(SheetCollect, PageFramesAroundAndBetweenCells) {
  const FrameCase cases[] = {{600, 0, 1}, {1200, 0, 2}, {1200, SUBMODE_600X2400, 4}};
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.width);
    PDEV& p = MakeSheet();
    p.devmode.dm.dmYResolution = short(c.working);
    p.resolution = c.working;
    p.subMode = c.subMode | (c.working == 1200 ? DWORD(SUBMODE_TRUE1200) : 0u);
    p.devmode.priv.dwNupColumns = 2;
    p.devmode.priv.dwNupRows = 1;
    p.devmode.priv.dwPageBorder = 1;
    p.layout.baseOffset = POINTL{0, 0};
    p.layout.nupCell = SIZEL{80, 120};
    Fill(Bitmap(64, 40), POINTL{0, 0});
    ASSERT_TRUE(CollectSheetPage(&p));
    ASSERT_TRUE(SendCollectedSheet(&p));
    PclRasterDecode d = Decode(Sent());
    ASSERT_EQ(d.images.size(), 1u);
    Bitmap want(160, 120);
    for (LONG y = 0; y < 120; ++y)
      for (LONG x = 0; x < 160; ++x) {
        bool v = x < c.width || (x >= 80 && x < 80 + c.width) || x >= 160 - c.width || y < c.width ||
                 y >= 120 - c.width;
        if (v) want.Set(x, y);
      }
    EXPECT_TRUE(Shows(d.images[0], Reference(want, ReferenceOptions{})));
  }
}

TEST_F(SheetCollect, EmptySheetSendsNothing) {
  PDEV& p = MakeSheet();
  ASSERT_TRUE(SendCollectedSheet(&p));
  EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace kadu_test
