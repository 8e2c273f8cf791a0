#pragma once
// Dates a hand-over takes from the run itself: the booking date the period
// run gives the period's month records, the day the run started.
#include <cstdint>
#include <string>

#include "base/run_context.h"
#include "db/row.h"
#include "export/framework.h"

namespace lug::exporters {

// The period's booking date as yyyy.mm.dd: its last day when the interface's
// LugDtm is 2, otherwise its first day.
const std::string& periodBookingDate(const RunContext& ctx);

// The day the run started (its start time "dd.mm.yyyy hh24:mi:ss") as yyyymmdd.
int32_t runDate(const RunContext& ctx);

// The period cursor's whole record, in the order "Zk1Abr ,Zk1Lfn ,Zk1Stz
// ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt ,Zk1Std
// ,Zk1Tge ,Zk1Stg ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn".
const db::Columns<PeriodRecord>& wholeRecordColumns();

}  // namespace lug::exporters
