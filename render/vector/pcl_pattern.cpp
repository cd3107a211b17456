#include "render/vector/pcl_pattern.h"

#include "render/core/pdev.h"
#include "render/core/spool_stream.h"
#include "render/vector/escape_value.h"
#include "render/vector/gl2_context.h"
#include "render/vector/vector_unknown.h"

namespace {

LONG TransparencyValue(DWORD mode) { return mode == 1 ? 0 : 1; }

void PutWord(BYTE* p, DWORD v) {
  p[0] = BYTE(v >> 8);
  p[1] = BYTE(v);
}

}  // namespace

void PclSelectPattern(PDEV* pdev, LONG n) {
  SetGL2Context(pdev, FALSE);
  if (n == pdev->pcl.selectedPattern) return;
  pdev->pcl.selectedPattern = n;
  WriteEscapeNumber(pdev, "\x1B*v", 't', n, TRUE);
}

void PclSourceTransparency(PDEV* pdev, DWORD mode) {
  SetGL2Context(pdev, FALSE);
  if (mode == pdev->pcl.sourceTransparency) return;
  pdev->pcl.sourceTransparency = mode;
  WriteEscapeNumber(pdev, "\x1B*v", 'n', TransparencyValue(mode), TRUE);
}

void PclPatternTransparency(PDEV* pdev, DWORD mode) {
  SetGL2Context(pdev, FALSE);
  if (mode == pdev->pcl.patternTransparency) return;
  pdev->pcl.patternTransparency = mode;
  WriteEscapeNumber(pdev, "\x1B*v", 'o', TransparencyValue(mode), TRUE);
}

void PclForgetTransparency(PDEV* pdev) {
  pdev->pcl.sourceTransparency = 0xFFFFFFFFu;
  pdev->pcl.patternTransparency = 0xFFFFFFFFu;
}

void PclSetPatternId(PDEV* pdev, LONG id) {
  SetGL2Context(pdev, FALSE);
  WriteEscapeNumber(pdev, "\x1B*c", 'g', id, TRUE);
  pdev->pcl.patternId = id;
}

DWORD PatternResolution(const PDEV* pdev) {
  DWORD dpi = pdev->vector.dpi;
  if (dpi < 1200 || (dpi == 1200 && pdev->vector.true1200)) return dpi;
  return 600;
}

void PclDownloadPattern(PDEV* pdev, const BYTE* bits, WORD width, WORD height, DWORD length,
                        BOOL continuation) {
  SetGL2Context(pdev, FALSE);
  if (!bits) length = 0;
  BYTE header[kPatternHeaderSize] = {20, BYTE(continuation ? 1 : 0), 1, 0};
  PutWord(header + 4, height);
  PutWord(header + 6, width);
  DWORD resolution = PatternResolution(pdev);
  PutWord(header + 8, resolution);
  PutWord(header + 10, resolution);
  WriteEscapeNumber(pdev, "\x1B*c", 'w', LONG(length + kPatternHeaderSize), TRUE);
  DWORD written = 0;
  SpoolWrite(pdev, header, INT(sizeof(header)), &written);
  if (length) SpoolWrite(pdev, bits, INT(length), &written);
  Gl2State& g = pdev->gl2;
  g.fillType = g.fillP1 = g.fillP2 = kUnknownValue;
}
