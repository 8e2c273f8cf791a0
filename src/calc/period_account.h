#pragma once
// Period accounts: an account handed over as one record per span of
// consecutive booked days (and per run of whole or of half days) instead of
// one sum per period.
#include <string>

#include "base/run_context.h"
#include "calc/records.h"
#include "calc/source_rows.h"

namespace lug::calc {

struct PeriodAccountInput {
  const Booking& group;  // row of the summed cursor: account, cost assignment, counter
  const InterfaceLine& line;
  Span period;       // the booked period
  std::string upn;   // payroll personnel number
  bool followMonth;  // booking dates one month after the span start
};

// Walks the account's booking days and writes each span to `to`; the days of
// lines that reduce Zk2Svt are added to `checkDays`. Returns the number of
// spans written.
int periodAccount(RunContext& ctx, const PeriodAccountInput& in, RecordWriter& to,
                  double& checkDays);

}  // namespace lug::calc
