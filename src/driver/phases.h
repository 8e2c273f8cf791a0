#pragma once
// The calculation phases the run driver calls in its fixed order. The period
// calculation and the recalculation implement them; tests put a recording
// double in their place.
#include <cstdint>
#include <string>

#include "base/run_context.h"

namespace lug {

class Phases {
 public:
  virtual ~Phases() = default;
  // Period run of one accounting period (follow = 1: a follow month booked
  // `offset` periods before the run's period).
  virtual void periodRun(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
                         int16_t follow) = 0;
  // Differences against the interim runs already stored for the period.
  virtual void interimDifferences(RunContext& ctx) = 0;
  // Recalculation of an earlier period into the work table.
  virtual void recalculate(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
                           int16_t follow) = 0;
  // Difference records of the recalculated periods (ctx.recalcPeriods).
  virtual void differenceRecords(RunContext& ctx) = 0;
};

}  // namespace lug
