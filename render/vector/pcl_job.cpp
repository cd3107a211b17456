#include "render/vector/pcl_job.h"

#include <cstring>

#include "render/core/pdev.h"
#include "render/core/spool_stream.h"
#include "render/vector/escape_value.h"
#include "render/vector/gl2_context.h"
#include "render/vector/pcl_cursor.h"

namespace {

// Media names in the model data are short; the bound keeps the count a
// small number for any name.
constexpr size_t kMaxMediaName = 254;

}  // namespace

void PclPrintDirection(PDEV* pdev, LONG angle) {
  SetGL2Context(pdev, FALSE);
  // The printer takes 0, 90, 180 and 270; 360 is 0, not an ignored command.
  if (angle >= 360) angle %= 360;
  if (angle == pdev->pcl.printDirection) return;
  pdev->pcl.printDirection = angle;
  WriteEscapeNumber(pdev, "\x1B&a", 'p', angle, TRUE);
  // Cursor numbers are read in the new direction's coordinates.
  PclCursorMoved(pdev);
}

void PclSetFontId(PDEV* pdev, LONG id) {
  SetGL2Context(pdev, FALSE);
  if (id == pdev->pcl.fontId) return;
  pdev->pcl.fontId = id;
  WriteEscapeNumber(pdev, "\x1B*c", 'd', id, TRUE);
}

void PclMediaType(PDEV* pdev, const char* name) {
  if (!name) return;
  SetGL2Context(pdev, FALSE);
  size_t length = strnlen(name, kMaxMediaName);
  WriteEscapeNumber(pdev, "\x1B&n", 'w', LONG(length + 1), TRUE);
  char data[kMaxMediaName + 1];
  data[0] = 'd';
  std::memcpy(data + 1, name, length);
  DWORD written = 0;
  SpoolWrite(pdev, data, INT(length + 1), &written);
}

void PclTransparentData(PDEV* pdev, LONG n) {
  SetGL2Context(pdev, FALSE);
  WriteEscapeNumber(pdev, "\x1B&p", 'x', n, TRUE);
  PclCursorMovedX(pdev);
}

void PclCallMacro(PDEV* pdev, LONG id) {
  SetGL2Context(pdev, FALSE);
  EscapeParam run[] = {{'y', id}, {'x', 3}};
  WriteEscapeRun(pdev, "\x1B&f", run, 2);
  PclCursorMoved(pdev);
}
