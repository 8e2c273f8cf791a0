#pragma once
// The PAISY(Br) exporter: the PAISY variant of the interface type "PSYBR",
// staged in Hor333Ps1B, Hor333Ps3B and Hor333Ps4B and written as the
// fixed-width files PaisyP1b.txt, PaisyP3b.txt and PaisyP4b.txt.
#include "base/run_context.h"

namespace lug::exporters {

void exportPaisyBr(RunContext& ctx);

}  // namespace lug::exporters
