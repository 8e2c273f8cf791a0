#pragma once
// The LOGA400 exporter (interface types "LOGA", "LOGA4" and "IBM..."): no
// transfer file, LOGA payroll reads four staging tables directly. Hor333B01
// holds day and hour counters per company and employee, Hor333B06 the
// wage-type hours of the run and Hor333B05 those of the recalculation
// journal (cancellations negative), Hor333Bzr the absence calendar per
// employee and month. Absence spans that run to the period's last day are
// carried into the next period's run through "ZR*E" rows of Hor331Zk4.
#include "base/run_context.h"

namespace lug::exporters {

void exportLoga400(RunContext& ctx);

}  // namespace lug::exporters
