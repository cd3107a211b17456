#include "render/core/pjl_trailer.h"

#include "render/core/escape_writer.h"
#include "render/core/pdev.h"

BOOL WriteJobTrailer(PDEV* pdev, BOOL deviceMode) {
  // An input window would clip the next job's HP-GL/2 drawing.
  if (deviceMode && pdev->gl2InputWindow) {
    WriteEscapeString(pdev, "\x1b%0B", "\x1b%0A", "IW;");
    pdev->gl2InputWindow = FALSE;
  }
  WriteEscapeString(pdev, "\x1b" "E", nullptr, nullptr);
  WriteEscapeString(pdev, "\x1b%-12345X@PJL\r\n", nullptr, nullptr);
  WriteEscapeString(pdev, "@PJL RDYMSG DISPLAY = \"\"\n", nullptr, nullptr);
  WriteEscapeString(pdev, "@PJL EOJ NAME = \"End \"\n", nullptr, nullptr);
  WriteEscapeString(pdev, "\x1b%-12345X", nullptr, nullptr);
  ResetEscapeCombining(pdev);
  return TRUE;
}
