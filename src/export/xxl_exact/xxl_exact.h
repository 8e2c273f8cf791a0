#pragma once
// The XXL-Exact exporter: one row per payroll personnel number, dates, wage
// type, kind code and cost centre in Hor333Xxl, its quantity kept as a sign
// and a fixed-format number text, written as the fixed-width file LO_IMP.txt.
#include "base/run_context.h"

namespace lug::exporters {

void exportXxlExact(RunContext& ctx);

}  // namespace lug::exporters
