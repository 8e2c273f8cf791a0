#pragma once
// The SBS exporter: hours per personnel number, booking day, wage type and
// cost centre in Hor333Sbs, written as a fixed-width file named from the
// company number (BWA12345.DAT, BEWA-007.DAT).
#include "base/run_context.h"

namespace lug::exporters {

void exportSbs(RunContext& ctx);

}  // namespace lug::exporters
