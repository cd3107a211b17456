// Placeholder until N-up placement exists: one page per sheet at the base
// offset, and a form feed per sheet.
#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/vector/gl2_context.h"
#include "render/vector/nup_page.h"

int PlaceNupPage(PDEV* pdev, int) {
  pdev->pcl.pageOffset = pdev->layout.baseOffset;
  return 0;
}

BOOL FinishNupSheet(PDEV* pdev) {
  SetGL2Context(pdev, 0);
  DWORD written = 0;
  return SpoolWrite(pdev, "\f", 1, &written);
}
