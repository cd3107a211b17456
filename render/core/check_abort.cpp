#include "render/core/check_abort.h"

#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/core/pjl_header.h"

BOOL CheckAbort(PDEV* pdev, SURFOBJ* pso) {
  if (!pdev || (pdev->flags & PDEV_WRITE_ERROR)) return FALSE;
  if (EngCheckAbort(pso)) {
    WriteEscape(pdev, "\x1B" "E", 0, nullptr, TRUE);  // printer reset
    NotePrinterResetWritten(pdev);
    return FALSE;
  }
  return TRUE;
}
