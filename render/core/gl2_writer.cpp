#include "render/core/gl2_writer.h"

#include <cstdarg>

#include "render/core/format_string.h"
#include "render/core/spool_stream.h"
#include "render/vector/gl2_context.h"

void WriteGL2(PDEV* pdev, const char* format, ...) {
  SetGL2Context(pdev, TRUE);
  char text[kCommandBufferSize];
  va_list args;
  va_start(args, format);
  int n = FormatStringV(text, sizeof(text), format, args);
  va_end(args);
  DWORD written = 0;
  SpoolWrite(pdev, text, n, &written);
}
