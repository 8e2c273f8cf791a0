#pragma once
// Balance records of the special keys: target-free hours ("SFR"), remaining
// leave ("RUL"), flexitime and further balances of the day program ("GLT",
// "MGF", "MGFV", "RZT", "SLD5V"), each handed over with the wage type of the
// interface line whose group key is the special key.
#include <string>

#include "base/run_context.h"
#include "calc/day_summary.h"
#include "calc/records.h"
#include "calc/source_rows.h"

namespace lug::calc {

struct SpecialKeyInput {
  const Employment& row;
  Span period;  // the booked period
  std::string lugKey;
  bool psybr = false;
  std::string bdt;      // booking date
  std::string runDate;  // the run's start day, yyyy.mm.dd
  CostAssignment cost;
};

// One record per special key that has an interface line valid over the
// period. A record stored already stays as it is.
void writeSpecialKeys(RunContext& ctx, const SpecialKeyInput& in, RecordWriter& to);

}  // namespace lug::calc
