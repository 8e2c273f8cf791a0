#include "export/paisy/paisy_rules.h"

#include "base/run_statements.h"
#include "export/calendar_days.h"

namespace lug::exporters::paisy {
namespace {

constexpr char kRecordKind[] =
    "select Lg1Stz ,Lg1Stt ,Lg1Svt ,Lg1Zes ,Lg1P4A into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9  from "
    "Hor170Lg1 where (Lg1Num=:b10 and Lg1Stz=:b11)";
constexpr char kLastDayBefore[] =
    "select max(TgbDtm) into :b0  from Hor320Tgb where ((TgbPnr=:b1 and TgbZtr=1) and "
    "TgbDtm<:b2)";
constexpr char kDaysBackwards[] =
    "select TgbDtm  from Hor320Tgb where ((TgbPnr=:b0 and TgbDtm<=:b1) and TgbZtr=1) order by "
    "TgbDtm desc";
constexpr char kBookedOn[] =
    "select ZkbDtm into :b0  from Hor331Zkb where (((ZkbPnr=:b1 and ZkbDtm=:b2) and ZkbZtr=1) "
    "and ZkbZkt=:b3)";
constexpr char kBookedDayAfter[] =
    "select ZkbDtm into :b0  from Hor331Zkb where (((ZkbPnr=:b1 and ZkbZtr=1) and ZkbZkt=:b2) "
    "and ZkbDtm=(to_date(:b3,'yyyy.mm.dd')+1))";

constexpr char kMonthBelow[] = "Hor331Zk1-Datum-1: %s";
constexpr char kMonthAbove[] = "Hor331Zk1-Datum+12: %s";

// A single-row select that finds several rows (bookings of one day on
// several cost centres) still finds the day booked.
constexpr int kTooManyRows = -1422;

bool found(int status) {
  return status == db::kOk || status == kTooManyRows;
}

// Whether the employee has a day booking on the account on `day` (yyyy.mm.dd).
bool booked(RunContext& ctx, const PeriodRecord& r, const std::string& day) {
  std::string dtm;
  const int st = ctx.status = ctx.db.exec(kBookedOn, {r.pnr, day, r.zkt}, {dtm});
  ctx.abortIfFatal(st);
  return found(st);
}

// The earliest day of the unbroken run of booked day records that ends on `last`.
std::string startBackFrom(RunContext& ctx, const PeriodRecord& r, const std::string& last) {
  std::string start, day;
  db::Cursor days(ctx.db, kDaysBackwards);
  days.open({r.pnr, last});
  int st;
  while ((st = days.fetch({day})) == db::kOk && booked(ctx, r, day)) start = day;
  days.close();
  ctx.abortIfFatal(st);
  return start;
}

}  // namespace

const db::Columns<PeriodRecord>& periodRecordColumns() {
  static const db::Columns<PeriodRecord> columns{
      &PeriodRecord::abr,    &PeriodRecord::lfn, &PeriodRecord::stz, &PeriodRecord::bdt,
      &PeriodRecord::pnr,    &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::lgr,
      &PeriodRecord::kst,    &PeriodRecord::ktr, &PeriodRecord::krt, &PeriodRecord::minutes,
      &PeriodRecord::tenths, &PeriodRecord::stg, &PeriodRecord::von, &PeriodRecord::bis,
      &PeriodRecord::sts,    &PeriodRecord::rre, &PeriodRecord::sta, &PeriodRecord::upn,
      &PeriodRecord::rrn};
  return columns;
}

std::string companyCode(const InterfaceHeader& header, const std::string& akr) {
  std::string code = !header.fir.empty() ? header.fir : !header.akr.empty() ? header.akr : akr;
  if (!code.empty() && code[0] == '_') code[0] = ' ';
  return code.substr(0, 2);
}

PayrollDate payrollDate(RunContext& ctx, const std::string& bookingDate, int16_t offset) {
  const int32_t booked = dateNumber(bookingDate);
  const int32_t rawMonth = booked / 100 % 100 + offset;
  if (rawMonth < 1) ctx.log(kMonthBelow, bookingDate.c_str());
  if (rawMonth > 12) ctx.log(kMonthAbove, bookingDate.c_str());
  const int32_t yyyymm = shiftMonth(booked / 100, offset);
  PayrollDate date{.month = yyyymm % 100 * 100 + yyyymm / 100 % 100,
                   .day = static_cast<int16_t>(booked % 100)};
  if (offset != 0 && date.day > 28) date.day = lastDayOfMonth(yyyymm / 100, yyyymm % 100);
  return date;
}

bool isReversal(const PeriodRecord& r) {
  return r.rre == 2 && (r.minutes < 0 || r.tenths < 0);
}

CounterValues counterValues(const PeriodRecord& r) {
  CounterValues values;
  if (r.sts == 3) values.bas = r.minutes;
  if (r.sts == 103) values.bta = daysOf(r.tenths);
  if (r.sts == 108) values.kra = daysOf(r.tenths);
  return values;
}

int readRecordKind(RunContext& ctx, const std::string& lgp, const std::string& stz,
                   RecordKind& kind) {
  kind = RecordKind{};
  return ctx.status = ctx.db.exec(kRecordKind, {lgp, stz},
                                  {kind.stz, kind.stt, kind.svt, kind.zes, kind.p4a});
}

int readPeriodDates(RunContext& ctx, int32_t abrnr, PeriodDates& dates) {
  return ctx.status = ctx.db.exec(kPeriodDates, {ctx.akr, abrnr}, {dates.von, dates.bis});
}

std::string ddmmyy(const std::string& date) {
  if (date.size() < 10) return {};
  return date.substr(8, 2) + date.substr(5, 2) + date.substr(2, 2);
}

Extension extendRange(RunContext& ctx, const PeriodRecord& r, const PeriodDates& period) {
  Extension extension;
  std::string last;
  int st = ctx.status = ctx.db.exec(kLastDayBefore, {r.pnr, r.von}, {last});
  ctx.abortIfFatal(st);
  if (st == db::kOk && !last.empty() && last < period.von)
    extension.start = startBackFrom(ctx, r, last);

  // The day after the record's end lies after the period when the record
  // ends on the period's last day (or later).
  std::string dayAfter;
  st = ctx.status = ctx.db.exec(kBookedDayAfter, {r.pnr, r.zkt, r.bis}, {dayAfter});
  ctx.abortIfFatal(st);
  extension.openEnd = found(st) && !r.bis.empty() && r.bis >= period.bis;
  return extension;
}

void applyExtension(const Extension& extension, PeriodRecord& record) {
  const bool newStart = !extension.start.empty();
  if (newStart && extension.openEnd) {
    record.von.clear(), record.bis.clear();
  } else if (newStart) {
    record.von = extension.start;
  } else if (extension.openEnd) {
    record.bis.clear();
  }
}

}  // namespace lug::exporters::paisy
