#include "export/run_dates.h"

#include <cstdlib>

namespace lug::exporters {
namespace {}  // namespace

const std::string& periodBookingDate(const RunContext& ctx) {
  return ctx.lug.dtm == 2 ? ctx.abrBis : ctx.abrVon;
}

int32_t runDate(const RunContext& ctx) {
  const std::string& t = ctx.startTime;
  if (t.size() < 10) return 0;
  return static_cast<int32_t>(
      std::atol((t.substr(6, 4) + t.substr(3, 2) + t.substr(0, 2)).c_str()));
}

const db::Columns<PeriodRecord>& wholeRecordColumns() {
  static const db::Columns<PeriodRecord> columns{
      &PeriodRecord::abr,    &PeriodRecord::lfn, &PeriodRecord::stz, &PeriodRecord::bdt,
      &PeriodRecord::pnr,    &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::lgr,
      &PeriodRecord::kst,    &PeriodRecord::ktr, &PeriodRecord::krt, &PeriodRecord::minutes,
      &PeriodRecord::tenths, &PeriodRecord::stg, &PeriodRecord::von, &PeriodRecord::bis,
      &PeriodRecord::sts,    &PeriodRecord::rre, &PeriodRecord::sta, &PeriodRecord::upn};
  return columns;
}

}  // namespace lug::exporters
