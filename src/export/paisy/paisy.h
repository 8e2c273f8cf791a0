#pragma once
// The PAISY exporter: wage-type movements (P1), absence periods (P3) and
// per-employee day and hour counters (P4) of the run, staged in Hor333Ps1,
// Hor333Ps3 (Hor333Ps3O at one site) and Hor333Ps4 and written as the
// fixed-width files PaisyP1.txt, PaisyP3.txt and PaisyP4.txt.
#include "base/run_context.h"

namespace lug::exporters {

void exportPaisy(RunContext& ctx);

}  // namespace lug::exporters
