#pragma once
// The DATEV exporter: datev.csv, one semicolon-separated line per period
// record of the run's period with minutes or days, after a header line with
// company, accounting group and payroll month.
#include "base/run_context.h"

namespace lug::exporters {

void exportDatev(RunContext& ctx);

}  // namespace lug::exporters
