#pragma once
// The sage exporter: one fixed-width file without separators, named "020410"
// and the two-digit month of the period start, with one line per month,
// payroll personnel number, wage type, cost centre and cost unit: hours (or
// an amount for amount lines), summed first in the staging table Hor333Sag.
#include "base/run_context.h"

namespace lug::exporters {

void exportSage(RunContext& ctx);

}  // namespace lug::exporters
