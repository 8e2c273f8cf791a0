#pragma once
// The GOD exporter: absence periods (record kind "331") and hours per wage
// type (record kind "970"), staged in Hor333God and written as the
// fixed-width file PVZERZDP.DAT after two header lines.
#include "base/run_context.h"

namespace lug::exporters {

void exportGod(RunContext& ctx);

}  // namespace lug::exporters
