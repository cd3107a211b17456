#include "render/core/pjl_paper.h"

#include <iterator>

namespace {

// Searched in order; A3 and B4 are announced as A4. Rows 30 and 31 repeat
// 23 and 24 and are never reached; they stay so the row numbers hold.
const PjlPaperRow kRows[] = {
    {9, 26, 68, "A4", "A4LONGEDGE"},
    {11, 25, 48, "A5", "A5"},
    {70, 24, 33, "A6", "A6"},
    {13, 100, 59, "B5", "B5LONGEDGE"},
    {263, 101, 68, "CUSTOM", "CUSTOM"},
    {1, 2, 64, "LETTER", "LETTERLONGEDGE"},
    {5, 3, 82, "LEGAL", "LEGAL"},
    {14, 9, 76, "LEGAL13", "LEGAL13"},
    {7, 1, 61, "EXECUTIVE", "EXECUTIVE"},
    {43, 71, 33, "JPOST", "JPOST"},
    {82, 72, 45, "JPOSTD", "JPOSTD"},
    {73, 77, 53, "ENVELOPE1", "ENVELOPE1"},
    {74, 78, 46, "ENVELOPE2", "ENVELOPE2"},
    {91, 79, 53, "ENVELOPE3", "ENVELOPE3"},
    {264, 76, 68, "ENVELOPECUSTOM", "ENVELOPECUSTOM"},
    {27, 90, 50, "DL", "DL"},
    {28, 91, 52, "C5", "C5"},
    {20, 81, 55, "COM10", "COM10"},
    {37, 80, 43, "MONARCH", "MONARCH"},
    {256, 101, 68, "CUSTOM", "CUSTOM"},
    {19, 127, 51, "COM9", "COM9"},
    {30, 126, 74, "C4", "C4"},
    {266, 128, 105, "A3NOBI", "A3NOBI"},
    {8, 26, 68, "A4", "A4"},
    {12, 26, 68, "A4", "A4"},
    {267, 130, 104, "A3WIDE", "A3WIDE"},
    {268, 131, 79, "LEGAL135", "LEGAL135"},
    {3, 6, 100, "TABLOID", "TABLOID"},
    {269, 129, 106, "TABLOIDEXTRA", "TABLOIDEXTRA"},
    {271, 76, 68, "ENVELOPE4", "ENVELOPE4"},
    {8, 26, 68, "A4", "A4"},
    {12, 26, 68, "A4", "A4"},
    {272, 135, 76, "ENVELOPE5", "ENVELOPE5"},
    {273, 136, 63, "ENVELOPE6", "ENVELOPE6"},
    {274, 101, 68, "CUSTOM", "CUSTOM"},
    {6, 139, 49, "STATEMENT", "STATEMENT"},
    {31, 125, 36, "C6", "C6"},
};
static_assert(std::size(kRows) == 37);

}  // namespace

const PjlPaperRow& PjlPaperRowOf(int paperCode) {
  for (const PjlPaperRow& row : kRows)
    if (row.paperCode == paperCode) return row;
  return kRows[0];
}

bool PjlIsCustomPaper(int paperCode) {
  return paperCode == 256 || paperCode == 263 || paperCode == 264 || paperCode >= 276;
}
