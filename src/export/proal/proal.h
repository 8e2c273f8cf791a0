#pragma once
// The ProAL exporter: ProAL.txt, one fixed-width line per payroll personnel
// number, booking day, wage type and cost centre with the hours of that day,
// summed first in the staging table Hor333Pro.
#include "base/run_context.h"

namespace lug::exporters {

void exportProal(RunContext& ctx);

}  // namespace lug::exporters
