#pragma once
// The EMIS exporter: no transfer file; the payroll system reads the staging
// table Hor333Ems, one row per accounting group, personnel number, payroll
// month and wage type with hours, minutes and days.
#include "base/run_context.h"

namespace lug::exporters {

void exportEmis(RunContext& ctx);

}  // namespace lug::exporters
