#pragma once
// The LOGA2001 exporter: two semicolon-separated command files for LOGA
// payroll, Loga2001Lp1.csv with a time-calendar command per day-by-day record
// and Loga2001Lpc.csv with a variable-table command per monthly wage-type
// value. Recalculated months are handed over as the removal of the old value
// ("DELETE;") and the insertion of the new one ("INSERT;"). The commands are
// collected in Hor333Lp1 and Hor333Lpc under a running index, so that with
// the staging-clear flag off the files of several runs accumulate in order.
#include "base/run_context.h"

namespace lug::exporters {

void exportLoga2001(RunContext& ctx);

}  // namespace lug::exporters
