// A lower port monitor for tests: ports known by name, every call and every
// byte written recorded, and the printer's side scripted — bytes to read,
// replies to written text, device I/O control answers, partial and failing
// writes.
#pragma once
#include <string>
#include <vector>

#include "win/monitor.h"

namespace kw::hooks {

// The double's function table and monitor handle, as the spooler holds them.
MONITOR2* PortDoubleMonitor(HANDLE* hMonitor);
// Forgets every port and script.
void PortDoubleReset();
// Makes a port known (names compare ignoring case). Redefining keeps nothing.
void PortDoubleDefine(const std::string& port);

// Answers for GetPrinterDataFromPort with a control code: the bytes returned,
// or a failure with `error`. Without an answer a control code fails with
// ERROR_INVALID_PARAMETER, except IOCTL_USBPRINT_VENDOR_GET_COMMAND, which
// answers the number of bytes waiting to be read.
void PortDoubleAnswer(const std::string& port, DWORD controlId, const std::string& bytes);
void PortDoubleAnswerFail(const std::string& port, DWORD controlId, DWORD error);

// Bytes the printer sends; each piece comes out of one ReadPort call (cut to
// the caller's buffer, the rest stays first in line).
void PortDoubleQueueRead(const std::string& port, const std::string& bytes);
// Each time the written stream comes to contain `trigger`, `reply` is queued.
void PortDoubleReplyTo(const std::string& port, const std::string& trigger, const std::string& reply);
// ReadPort fails with `error` while it is set; 0: off.
void PortDoubleFailReads(const std::string& port, DWORD error);

// Every write takes at most `bytes` bytes (a partial write); 0: no limit.
void PortDoubleWriteLimit(const std::string& port, DWORD bytes);
// Write calls `from` … `from + count - 1`, counted from now (1 = the next),
// fail with `error` after taking nothing.
void PortDoubleFailWrites(const std::string& port, DWORD from, DWORD count, DWORD error);
// OpenPort / StartDocPort fail with `error` while it is set; 0: off.
void PortDoubleFailOpen(const std::string& port, DWORD error);
void PortDoubleFailStartDoc(const std::string& port, DWORD error);
// Whether written bytes are kept for PortDoubleWritten (off for long runs;
// the call list still records every write).
void PortDoubleRecordBytes(const std::string& port, bool on);

struct PortDoubleCall {
  std::string call;      // "OpenPort", "StartDocPort", "WritePort", "ReadPort", "EndDocPort", "ClosePort",
                         // "GetPrinterDataFromPort", "SetPortTimeOuts"
  DWORD controlId = 0;   // GetPrinterDataFromPort
  std::string in;        // its input bytes
  DWORD size = 0;        // bytes asked to write or read
  DWORD done = 0;        // bytes written or read
  BOOL result = FALSE;
  DWORD thread = 0;
};
std::vector<PortDoubleCall> PortDoubleCalls(const std::string& port);
// Everything written to the port since it was defined.
std::string PortDoubleWritten(const std::string& port);
COMMTIMEOUTS PortDoubleTimeouts(const std::string& port);
// Whether the port is open now, and how often it was opened.
bool PortDoubleIsOpen(const std::string& port);

}  // namespace kw::hooks
