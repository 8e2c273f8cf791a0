#pragma once
// Difference records: what the run computed anew (the run key's rows of the
// work table Hor331Zk3) against what was handed over before (Hor331Zk1).
// Every change becomes a difference record of the run's period (Zk1Rre 2);
// payroll types that take a cancellation and a re-posting as two entries
// ("LOGA...", "IBM...", "LODAS...") also get rows of the journal Hor331Zk5.
// Each step ends with no row of the run key left in the work table.
#include <string>

#include "base/run_context.h"

namespace lug::recalc {

// After the recalculation of the earlier periods ctx.recalcPeriods: their
// records and the difference records handed over for them so far against
// the recalculated values. Old records dated before `cutoff` belong to
// periods not recalculated and are never cancelled. Masked records are passed
// over and unmasked at the end.
void differenceRecords(RunContext& ctx, const std::string& cutoff);

// After the period run of a period that has interim runs: the sums of the
// interim runs against the period accounts computed now.
void interimDifferences(RunContext& ctx);

// Hands the run key's rows of the work table over as new values, the way
// the difference records hand over values that have no old record.
void handOverNewValues(RunContext& ctx);

}  // namespace lug::recalc
