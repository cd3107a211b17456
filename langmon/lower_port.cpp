// Calls of the lower port monitor, always with the port's lower handle.
#include "langmon/operations.h"

namespace langmon {

BOOL LowerWrite(PortRecord* p, const BYTE* data, DWORD size, DWORD* written) {
  *written = 0;
  if (!p->lower.pfnWritePort) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  return p->lower.pfnWritePort(p->lowerHandle, const_cast<BYTE*>(data), size, written);
}

BOOL LowerWriteAll(PortRecord* p, const BYTE* data, DWORD size) {
  DWORD done = 0;
  while (done < size) {
    DWORD n = 0;
    if (!LowerWrite(p, data + done, size - done, &n)) return FALSE;
    if (n == 0 || n > size - done) {
      SetLastError(ERROR_WRITE_FAULT);
      return FALSE;
    }
    done += n;
  }
  return TRUE;
}

BOOL LowerRead(PortRecord* p, BYTE* data, DWORD size, DWORD* read) {
  *read = 0;
  if (!p->lower.pfnReadPort) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  BOOL ok = p->lower.pfnReadPort(p->lowerHandle, data, size, read);
  if (*read > size) *read = size;  // never trust a count beyond the buffer
  return ok;
}

BOOL LowerControl(PortRecord* p, DWORD control, const void* in, DWORD inSize, void* out, DWORD outSize,
                  DWORD* returned) {
  DWORD dummy = 0;
  if (!returned) returned = &dummy;
  *returned = 0;
  if (!p->lower.pfnGetPrinterDataFromPort) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  BOOL ok = p->lower.pfnGetPrinterDataFromPort(p->lowerHandle, control, nullptr,
                                               static_cast<LPWSTR>(const_cast<void*>(in)), inSize,
                                               static_cast<LPWSTR>(out), outSize, returned);
  if (*returned > outSize) *returned = outSize;
  return ok;
}

}  // namespace langmon
