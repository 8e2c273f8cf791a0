#include "driver/production_phases.h"

#include "base/run_statements.h"
#include "calc/period_run.h"
#include "recalc/differences.h"
#include "recalc/recalculation.h"

namespace lug {
namespace {

// The period calculation and the recalculation.
class ProductionPhases : public Phases {
 public:
  void periodRun(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
                 int16_t follow) override {
    calc::periodRun(ctx, ownPeriod_, akr, abrnr, offset, follow);
    if (follow != 0 && ctx.highestLfn != 0 && !differencesFollow(ctx))
      recalc::handOverNewValues(ctx);
  }
  void interimDifferences(RunContext& ctx) override { recalc::interimDifferences(ctx); }
  void recalculate(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
                   int16_t follow) override {
    recalculation_.run(ctx, akr, abrnr, offset, follow);
  }
  void differenceRecords(RunContext& ctx) override {
    recalc::differenceRecords(ctx, recalculation_.cutoff());
  }

 private:
  // Once a period has interim runs, the follow months of its final run write
  // their period accounts into the work table. The difference records hand
  // them over as new values; a group without recalculation, whose run has no
  // difference step, hands them over right after the follow month.
  static bool differencesFollow(RunContext& ctx) {
    int16_t depth = 0;
    ctx.abortIfFatal(ctx.db.exec(kRecalcDepth, {ctx.akr}, {depth}));
    return depth > 0;
  }

  // The run's own period, kept from the normal call for the follow months.
  calc::Span ownPeriod_;
  recalc::Recalculation recalculation_;
};

}  // namespace

std::unique_ptr<Phases> makeProductionPhases() {
  return std::make_unique<ProductionPhases>();
}

}  // namespace lug
