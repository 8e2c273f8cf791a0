#include "export/run_dates.h"

#include <cstdlib>

namespace lug::exporters {
namespace {

bool isLeapYear(int32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t daysInMonth(int32_t year, int32_t month) {
  static constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

const std::string& periodBookingDate(const RunContext& ctx) {
  return ctx.lug.dtm == 2 ? ctx.abrBis : ctx.abrVon;
}

int32_t runDate(const RunContext& ctx) {
  const std::string& t = ctx.startTime;
  if (t.size() < 10) return 0;
  return static_cast<int32_t>(
      std::atol((t.substr(6, 4) + t.substr(3, 2) + t.substr(0, 2)).c_str()));
}

int32_t shiftCalendarDate(int32_t yyyymmdd, int offset) {
  const int32_t shifted = shiftDate(yyyymmdd, offset);
  const int32_t month = shifted / 100;
  const int32_t lastDay = daysInMonth(month / 100, month % 100);
  return shifted % 100 > lastDay ? month * 100 + lastDay : shifted;
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
