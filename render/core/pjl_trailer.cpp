#include "render/core/pjl_trailer.h"

#include "render/core/escape_writer.h"
#include "render/core/gl2_writer.h"
#include "render/core/pdev.h"
#include "render/core/pjl_header.h"
#include "render/vector/gl2_context.h"

BOOL WriteJobTrailer(PDEV* pdev, BOOL deviceMode) {
  // An input window would clip the next job's HP-GL/2 drawing.
  // Entered only for that, so the stream never switches context for nothing.
  if (deviceMode && pdev->gl2InputWindow) {
    WriteGL2(pdev, "IW;");
    pdev->gl2InputWindow = FALSE;
  }
  SetGL2Context(pdev, FALSE);
  WriteEscapeString(pdev, "\x1b" "E", nullptr, nullptr);
  NotePrinterResetWritten(pdev);
  WriteEscapeString(pdev, "\x1b%-12345X@PJL\r\n", nullptr, nullptr);
  WriteEscapeString(pdev, "@PJL RDYMSG DISPLAY = \"\"\n", nullptr, nullptr);
  WriteEscapeString(pdev, "@PJL EOJ NAME = \"End \"\n", nullptr, nullptr);
  WriteEscapeString(pdev, "\x1b%-12345X", nullptr, nullptr);
  NotePrinterResetWritten(pdev);
  ResetEscapeCombining(pdev);
  return TRUE;
}
