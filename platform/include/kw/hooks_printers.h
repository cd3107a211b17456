// Test hooks for the spooler's printers as the language monitor sees them:
// installing printers and jobs, denying access, and the record of every
// printer and job call made (SetPrinterA statuses above all).
#pragma once
#include <string>
#include <vector>

#include "win/base.h"

namespace kw::hooks {

struct PrinterSetup {
  std::string name;
  std::string driverName;
  std::string driverPath;      // Windows path of the driver file; its folder holds the capability files
  std::string portName;
  DWORD transmissionRetryTimeout = 0;  // seconds, as PRINTER_INFO_5 gives it
  bool administerDenied = false;       // opening with PRINTER_ALL_ACCESS fails with ERROR_ACCESS_DENIED
};

// Removes every printer, job and recorded call (also done on a world change).
void PrintersClear();
void PrinterInstall(const PrinterSetup& setup);
// Creates or updates a job of a printer (JOB_STATUS_ bits).
void PrinterJobSet(const std::string& printer, DWORD jobId, DWORD status);

struct PrinterCall {
  std::string call;     // "OpenPrinterA", "SetPrinterA", "SetJobA", …
  std::string printer;  // the printer's name ("" for a bad handle)
  DWORD level = 0;
  DWORD command = 0;    // SetPrinterA / SetJobA command
  DWORD value = 0;      // the status set, or the access asked for
  DWORD jobId = 0;
  BOOL result = FALSE;
  DWORD error = 0;      // last error when result is FALSE
};
std::vector<PrinterCall> PrinterCalls();
void PrinterCallsClear();
// The values set through SetPrinterA(PRINTER_CONTROL_SET_STATUS) for a printer, in order.
std::vector<DWORD> PrinterStatusHistory(const std::string& printer);
// The printer's status now; the last job control given to a job.
DWORD PrinterStatusNow(const std::string& printer);
DWORD PrinterJobLastControl(const std::string& printer, DWORD jobId);
// Printer handles open now.
size_t PrinterOpenHandles();

}  // namespace kw::hooks
