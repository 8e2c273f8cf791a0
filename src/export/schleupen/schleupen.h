#pragma once
// The Schleupen exporter: one staging row per personnel number and wage type
// in Hor333Sli, hours and days as sign-and-digits texts, written as the
// semicolon-separated file LOXF-0001.csv.
#include "base/run_context.h"

namespace lug::exporters {

void exportSchleupen(RunContext& ctx);

}  // namespace lug::exporters
