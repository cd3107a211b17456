// The simulator's script: printer events in order (status changes, waits for
// the host, reply shaping, disconnects). See `kadu-printer-sim --help`.
#pragma once
#include <string>
#include <vector>

namespace sim {

// Splits a script line into words; double quotes group, with the escapes
// \r \n \f \e \t \\ \" and \xHH.
bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error);
// Checks a line without running it (for errors at start-up).
bool CheckScriptLine(const std::string& line, std::string* error);
// Runs the lines in order; returns when done or when the printer quits.
void RunScript(const std::vector<std::string>& lines);

}  // namespace sim
