#include "render/core/escape_writer.h"

#include <cstring>

#include "render/core/pdev.h"
#include "render/core/spool_stream.h"

namespace {

// Output errors stay in the PDEV's write-error flag; the next abort check
// or flush reports them.
void Put(PDEV* pdev, const char* text) {
  DWORD written = 0;
  SpoolWrite(pdev, text, INT(std::strlen(text)), &written);
}

// Only a whole prefix that fits the stored bytes can continue a group; a
// longer one is never taken for another that shares its first bytes.
bool ContinuesOpenGroup(const PDEV* pdev, const char* prefix) {
  size_t n = std::strlen(prefix);
  return !pdev->lastEscapeFinal && n < sizeof(pdev->lastEscapePrefix) &&
         std::memcmp(prefix, pdev->lastEscapePrefix, n + 1) == 0;
}

void RememberPrefix(PDEV* pdev, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (n > sizeof(pdev->lastEscapePrefix)) n = sizeof(pdev->lastEscapePrefix);
  std::memset(pdev->lastEscapePrefix, 0, sizeof(pdev->lastEscapePrefix));
  std::memcpy(pdev->lastEscapePrefix, prefix, n);
}

}  // namespace

void WriteEscape(PDEV* pdev, const char* prefix, char terminator, const char* value, BOOL final) {
  if (!prefix) prefix = "";
  if (!ContinuesOpenGroup(pdev, prefix)) {
    Put(pdev, prefix);
    RememberPrefix(pdev, prefix);
  }
  if (value) Put(pdev, value);
  if (terminator) {
    // Callers pass the lower-case letter; only a letter has an upper case.
    if (final && terminator >= 'a' && terminator <= 'z') terminator = char(terminator - 0x20);
    char t[2] = {terminator, '\0'};
    Put(pdev, t);
  }
  pdev->lastEscapeFinal = final ? 1 : 0;
}

void WriteEscapeString(PDEV* pdev, const char* prefix, const char* terminator, const char* value) {
  if (prefix) Put(pdev, prefix);
  if (value) Put(pdev, value);
  if (terminator) Put(pdev, terminator);
}

void ResetEscapeCombining(PDEV* pdev) {
  std::memset(pdev->lastEscapePrefix, 0, sizeof(pdev->lastEscapePrefix));
  pdev->lastEscapeFinal = 1;
}
