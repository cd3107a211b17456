// The world folder and the printers that kadu-print prints to.
#pragma once
#include <string>
#include <vector>

namespace kadu_print {

// Points the Windows layer at the world folder (creating it); empty `dir`
// keeps the default.
bool UseWorld(const std::string& dir, std::string* error);
// Driver names of the models the shipped data describe.
std::vector<std::u16string> ShippedModels();
// A model by its driver name or the name's last word, case-insensitive.
bool ResolveModel(const std::string& name, std::u16string* driver, std::string* error);
// Installs (or refreshes) the driver files and the printer of `driver`, and
// runs the model-data load of the interface side so that the caches the
// renderer reads exist. The printer is named after the driver.
bool EnsurePrinter(const std::u16string& driver, std::string* error);
// Frees what the model-data load keeps.
void ReleaseModelData();

}  // namespace kadu_print
