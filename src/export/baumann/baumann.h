#pragma once
// The Baumann exporter: hours per payroll personnel number, payroll month and
// wage type, staged in Hor333Bmn and written as the fixed-width file
// BMNLUG.txt with decimal commas.
#include "base/run_context.h"

namespace lug::exporters {

void exportBaumann(RunContext& ctx);

// Hours with two decimals as the Baumann format counts them: whole hours
// plus the remaining minutes in hundredths, each division cut (90 minutes
// are 1.50, 100 minutes 1.66).
double baumannHours(int32_t minutes);

}  // namespace lug::exporters
