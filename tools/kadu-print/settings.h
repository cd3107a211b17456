// Job settings: the driver's default DEVMODE with named fields changed
// through the driver's own merge.
#pragma once
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/devmode_record.h"
#include "windows.h"

namespace kadu_print {

bool BuildJobDevmode(HANDLE printer, const std::u16string& printerName,
                     const std::vector<std::pair<std::string, std::string>>& settings, kadu::DriverDevmode* out,
                     std::string* error);
void ListSettings(const kadu::DriverDevmode& dm, FILE* out);

}  // namespace kadu_print
