#pragma once
// The retroactive recalculation of an earlier period: its records are
// computed again from today's bookings with the interface lines marked for
// recalculation and written into the work table Hor331Zk3 under the run key,
// where the difference step compares them with what was handed over. Stored
// records of employees who changed accounting group are moved to the period
// numbers of the new group, or masked while the employee belongs to another
// group.
#include <cstdint>
#include <string>

#include "base/run_context.h"
#include "calc/source_rows.h"

namespace lug::recalc {

class Recalculation {
 public:
  // One call per recalculated period (followMonth 0), newest first, each
  // followed by the calls for its follow months (followMonth 1, `offset` n:
  // the period n periods before it).
  void run(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
           int16_t followMonth);

  // The booking date from which on old records belong to a recalculated
  // period: the first day of the oldest period recalculated so far.
  const std::string& cutoff() const { return cutoff_; }

 private:
  calc::Span reference_;  // the period last recalculated with followMonth 0
  std::string cutoff_;
  int32_t runPeriod_ = 0;  // the run's own period
};

}  // namespace lug::recalc
