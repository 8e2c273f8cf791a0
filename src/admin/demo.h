#pragma once
// lug-admin demo DIR: a complete demo installation. DIR gets the working
// directory Bin, Files/horavia.ini with the enciphered credentials and the
// database service, the run log folder, the database of a fictional company
// (schema DEMO) and the list of its staff; the first two periods of both
// accounting groups are handed over, the third is left for the first run.
// Both groups hand over to the payroll system `payrollType` names (any case
// of one of the names of admin/demo_payroll.h); an unknown name is refused
// with the list before anything is created.
#include <string>

namespace lug::admin {

// Returns the process exit status: 0, or 1 after a message on stderr.
int createDemo(const std::string& dir, const std::string& payrollType = "DATEV");

}  // namespace lug::admin
