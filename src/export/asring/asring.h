#pragma once
// The Asring exporter: no transfer file; the payroll system reads two staging
// tables, Hor333Asr with hours and days per wage type (records of kind "LS")
// and Hor333Ask with absence entries (records of kind "SS").
#include "base/run_context.h"

namespace lug::exporters {

void exportAsring(RunContext& ctx);

}  // namespace lug::exporters
