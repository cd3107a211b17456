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
  DWORD error = 0;      // last error when result is FALSE (the returned code for printer data calls)
  std::string valueName = {};  // GetPrinterDataW / SetPrinterDataW: the value's name
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

// What the wide calls of the driver libraries report beyond PrinterSetup:
// the driver's files, the printer's attributes, and failures to inject.
// Names and paths are UTF-8 (the wide calls convert them).
namespace kw::hooks {

struct PrinterDriverDetails {
  std::string dataFile;      // DRIVER_INFO_2 pDataFile; empty: <driver folder>\<driver name>.DAT
  std::string configFile;    // pConfigFile; empty: the driver path
  // Also written as the registry value "Dependent Files" of the driver
  // (HKLM\System\CurrentControlSet\Control\Print\Environments\Windows NT x86\Drivers\Version-3\<driver>).
  std::vector<std::string> dependentFiles;
  DWORD attributes = 0x00000040;  // PRINTER_ATTRIBUTE_LOCAL
  DWORD driverVersion = 3;        // cVersion
  DWORD getPrinterFailure = 0;    // nonzero: GetPrinterW fails with this error
  DWORD getDriverFailure = 0;     // nonzero: GetPrinterDriverW fails with this error
};

// Sets the details of an installed printer (kept until set again or the world
// changes); a printer without details reports the defaults above.
void PrinterSetDriverDetails(const std::string& printer, const PrinterDriverDetails& details);

}  // namespace kw::hooks

// Printer data and document jobs of the wide calls.
namespace kw::hooks {

// Makes GetPrinterDataW of a printer return `error` (for one value, or for
// every value when `valueName` is empty); error 0 removes the failure. Kept
// until the world changes.
void PrinterFailGetData(const std::string& printer, DWORD error, const std::string& valueName = std::string());

// A job of a printer as StartDocPrinterW and the page calls left it.
struct PrinterJobInfo {
  std::string document;
  std::string outputFile;  // Windows path of the job's bytes
  DWORD status = 0;        // JOB_STATUS_ bits: SPOOLING while open, PRINTED, ERROR or DELETED at the end
  DWORD pages = 0;         // pages ended with EndPagePrinter
};
// False when the printer has no such job.
bool PrinterJob(const std::string& printer, DWORD jobId, PrinterJobInfo* out);

}  // namespace kw::hooks
