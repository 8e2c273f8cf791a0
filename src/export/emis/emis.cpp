#include "export/emis/emis.h"

#include <string>

#include "export/framework.h"
#include "export/handover.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Ems ";
constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Rre ,Zk1Sta  from Hor331Zk1 where "
    "(Zk1Abr=:b0 and Zk1Lfn=:b1) order by Zk1Pnr,Zk1Stz,Zk1Bdt";
constexpr char kInsertRow[] =
    "insert into Hor333Ems (EmsAkr,EmsPnr,EmsDat,EmsLna,EmsStd,EmsMin,EmsTge,EmsKnz) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7)";
// The accounting group is part of the key: with the staging-clear flag off,
// the row of one group never takes up the values of another.
constexpr char kAddToRow[] =
    "update Hor333Ems  set EmsStd=(EmsStd+:b0),EmsMin=(EmsMin+:b1),EmsTge=(EmsTge+:b2) where "
    "(((EmsAkr=:b3 and EmsPnr=:b4) and EmsDat=:b5) and EmsLna=:b6)";

constexpr char kStartLine[] = "\nEmis Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Emis Lohnprogramm beendet";
// A failed delete would leave last run's rows for the new ones to be added
// to: the payroll system would read doubled values.
constexpr char kClearFailed[] = "DeleteFehler HOR333Ems, Sqlfhl: %d";
constexpr char kInsertFailed[] = "Hor333Ems-InsertFehler, Pnr: %s, Sqlfhl: %d";
// A failed addition loses the record's values: it is reported like an insert.
constexpr char kAddFailed[] = "Hor333Ems-UpdateFehler, Pnr: %s, Sqlfhl: %d";

constexpr char kMonthValue[] = "P";  // EmsKnz of a month value (Zk1Sta 1)
constexpr char kDayValue[] = "T";

// A row of Hor333Ems; the kind code is not part of the key, the first
// record's stays.
struct Row {
  std::string akr, pnr, month, lna;  // month: mmyyyy
  double hours = 0;
  int32_t minutes = 0, tenths = 0;
  std::string kind;
};

const Staging<Row> kRows{.statements = {.insert = kInsertRow, .add = kAddToRow},
                         .insertColumns = {&Row::akr, &Row::pnr, &Row::month, &Row::lna,
                                           &Row::hours, &Row::minutes, &Row::tenths, &Row::kind},
                         .addColumns = {&Row::hours, &Row::minutes, &Row::tenths, &Row::akr,
                                        &Row::pnr, &Row::month, &Row::lna}};

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::abr, &PeriodRecord::lfn, &PeriodRecord::stz, &PeriodRecord::bdt,
                &PeriodRecord::pnr, &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::lgr,
                &PeriodRecord::kst, &PeriodRecord::ktr, &PeriodRecord::krt, &PeriodRecord::minutes,
                &PeriodRecord::tenths, &PeriodRecord::stg, &PeriodRecord::von, &PeriodRecord::bis,
                &PeriodRecord::sts, &PeriodRecord::rre, &PeriodRecord::sta}};

// mmyyyy of the period's first day (yyyy.mm.dd).
std::string payrollMonth(const std::string& periodStart) {
  if (periodStart.size() < 7) return {};
  return periodStart.substr(5, 2) + periodStart.substr(0, 4);
}

}  // namespace

void exportEmis(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {});
  h.clear({{kClearStaging, kClearFailed}});
  std::string periodStart;
  readPeriodStart(ctx, periodStart);
  h.readHeader(HeaderForm::WithGroup);
  const std::string group = h.header.akr.empty() ? ctx.akr : h.header.akr;
  const std::string month = payrollMonth(periodStart);

  PeriodRecord r;
  h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] {
    const Row row{.akr = group,
                  .pnr = r.pnr,
                  .month = month,
                  .lna = r.lna,
                  .hours = hoursOf(r.minutes),
                  .minutes = r.minutes,
                  .tenths = r.tenths,
                  .kind = r.sta == 1 ? kMonthValue : kDayValue};
    h.stage(kRows, row, failureLines(ctx, kInsertFailed, kAddFailed, r.pnr));
  });
  h.finish();
}

}  // namespace lug::exporters
