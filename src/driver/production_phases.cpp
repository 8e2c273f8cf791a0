#include "driver/production_phases.h"

#include "calc/period_run.h"

namespace lug {
namespace {

// The period calculation; the recalculation is not part of the program yet,
// so its phases compute nothing.
class ProductionPhases : public Phases {
 public:
  void periodRun(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
                 int16_t follow) override {
    calc::periodRun(ctx, ownPeriod_, akr, abrnr, offset, follow);
  }
  void interimDifferences(RunContext&) override {}
  void recalculate(RunContext&, const std::string&, int32_t, int16_t, int16_t) override {}
  void differenceRecords(RunContext&) override {}

 private:
  // The run's own period, kept from the normal call for the follow months.
  calc::Span ownPeriod_;
};

}  // namespace

std::unique_ptr<Phases> makeProductionPhases() {
  return std::make_unique<ProductionPhases>();
}

}  // namespace lug
