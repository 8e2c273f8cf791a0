#pragma once
#include <string>

#include "base/run_context.h"

namespace lug {

// Reads the payroll-interface row of an accounting group (cleared first).
int readInterfaceRow(db::Session& s, const std::string& akr, InterfaceRow& row);

}  // namespace lug
