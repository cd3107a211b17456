#include "render/vector/gl2_context.h"

#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/vector/gl2_state.h"
#include "render/vector/pcl_state.h"

void SetGL2Context(PDEV* pdev, BOOL gl2) {
  BOOL want = gl2 ? TRUE : FALSE;
  if (pdev->gl2.inGL2 == want) return;
  WriteEscape(pdev, "\x1B%", want ? 'b' : 'a', "0", TRUE);
  pdev->gl2.inGL2 = want;
  if (want) ResetEscapeCombining(pdev);
}

void NotePrinterReset(PDEV* pdev) {
  Gl2StateResetPage(pdev);
  PclStateResetPage(pdev);
  pdev->gl2.inGL2 = FALSE;
  ResetEscapeCombining(pdev);
}
