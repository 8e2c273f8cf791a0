#pragma once
#include <string>
#include <vector>

namespace lug::admin {

// report SERVICE SCHEMA AKR ABRNR [--out DIR]: the control report of a period
// already handed over, run in the suite's working directory like lug. Prints
// the text and writes Kontrollbericht.csv into DIR (default: the current
// directory). The arguments are four, or six with "--out" the fifth.
// Returns the exit status.
int reportCommand(const std::vector<std::string>& args);

}  // namespace lug::admin
