#pragma once
// The period run: the period records (Hor331Zk1) and day summaries
// (Hor331Zk2) of one accounting group and period, computed from the daily
// bookings and day programs through the group's payroll interface.
#include <cstdint>
#include <string>

#include "base/run_context.h"
#include "calc/source_rows.h"

namespace lug::calc {

// Runs once per call of the run driver:
// - normal call (followMonth 0): the run's period ctx.abrVon..ctx.abrBis under
//   ctx.abrnr, after deleting what an earlier run of the same run number
//   wrote; `ownPeriod` is set to the period's days;
// - follow-month call (followMonth 1): the bookings of the earlier period
//   `abrnr` (ctx.abrVon..ctx.abrBis) of the interface lines with follow-month
//   offset `offset`, handed over under ctx.abrnr; `ownPeriod` holds the days
//   of the run's own period, kept from the normal call.
void periodRun(RunContext& ctx, Span& ownPeriod, const std::string& akr, int32_t abrnr,
               int16_t offset, int16_t followMonth);

}  // namespace lug::calc
