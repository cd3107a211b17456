#include "render/vector/escape_value.h"

#include "render/core/escape_writer.h"
#include "render/core/format_string.h"

void WriteEscapeNumber(PDEV* pdev, const char* prefix, char terminator, LONG value, BOOL final) {
  char text[16];
  FormatString(text, sizeof(text), "%d", value);
  WriteEscape(pdev, prefix, terminator, text, final);
}

void WriteEscapeRun(PDEV* pdev, const char* prefix, const EscapeParam* params, int count) {
  for (int i = 0; i < count; ++i) {
    WriteEscapeNumber(pdev, prefix, params[i].terminator, params[i].value, i == count - 1);
  }
}
