#pragma once
// The Perman exporter: M0060763.001, a header line, one line per payroll
// personnel number, wage type, cost centre and cost unit with the summed
// hours (or days) in hundredths, and a trailer line with the number of data
// lines. The values are summed first in the staging table Hor333Pm1.
#include "base/run_context.h"

namespace lug::exporters {

void exportPerman(RunContext& ctx);

}  // namespace lug::exporters
