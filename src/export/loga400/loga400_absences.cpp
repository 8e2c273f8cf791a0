// The absence calendar of the LOGA400 hand-over: spans of the run's period,
// spans carried from the previous period's run and the recalculated spans of
// corrected periods.
#include <string>

#include "base/run_statements.h"
#include "export/loga400/loga400_steps.h"

namespace lug::exporters::loga400 {
namespace {

constexpr char kCarriedSpans[] =
    "select Zk4Stz ,Zk4Bdt ,Zk4Pnr ,Zk4Zkt ,Zk4Lna ,Zk4Lgr ,Zk4Kst ,Zk4Ktr ,Zk4Krt ,Zk4Std ,Zk4Tge "
    ",Zk4Von ,Zk4Bis ,Zk4Sts ,Zk4Upn ,Zk4Inf ,Zk4Abr  from Hor331Zk4 where (Zk4Stz='ZR*E' and "
    "Zk4Abr=:b0) order by Zk4Von";
constexpr char kRecalculatedSpans[] =
    "select Zk4Stz ,Zk4Bdt ,Zk4Pnr ,Zk4Zkt ,Zk4Lna ,Zk4Lgr ,Zk4Kst ,Zk4Ktr ,Zk4Krt ,Zk4Std ,Zk4Tge "
    ",Zk4Von ,Zk4Bis ,Zk4Sts ,Zk4Upn ,Zk4Inf ,Zk4Abr  from Hor331Zk4 where ((Zk4Stz='ZR' and "
    "Zk4Pnr=:b0) and Zk4Abr=:b1) order by Zk4Von";
constexpr char kCorrectedAbsences[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn ,Zk1Rrn  from "
    "Hor331Zk1 where ((((Zk1Abr=:b0 and Zk1Lfn=:b1) and (Zk1Tge<>0 or Zk1Std<>0)) and "
    "Zk1Stz='ZR') and Zk1Rre=2) order by Zk1Pnr,Zk1Stz,Zk1Bdt";
constexpr char kCarryRow[] =
    "insert into Hor331Zk4 "
    "(Zk4Key,Zk4Abr,Zk4Lfn,Zk4Stz,Zk4Bdt,Zk4Pnr,Zk4Zkt,Zk4Lna,Zk4Lgr,Zk4Kst,Zk4Ktr,Zk4Krt,Zk4Std,"
    "Zk4Tge,Zk4Stg,Zk4Von,Zk4Bis,Zk4Sts,Zk4Upn,Zk4Inf) values "
    "(:b0,:b1,:b2,:b3,add_months(:b4,1),:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,add_months(:"
    "b15,1),add_months(:b16,1),:b17,:b18,:b19)";

constexpr char kCarried[] = "ZR*E";
constexpr char kCarriedAccount[] = "*ANW*";
constexpr char kCarryFailed[] = "      Fehler Schreiben Zk4 (1): %d";
constexpr char kCarriedReadFailed[] = "Abbruch Lesen aus Zk4 (1), Fehler: %d";
constexpr char kCorrectedReadFailed[] = "Abbruch Lesen aus Zk1 (2), Fehler: %d";
constexpr char kSpansReadFailed[] = "Abbruch Lesen aus Zk4 (2), Fehler: %d, Abr: %ld, Pnr: %s";
constexpr char kCorrectedPeriodFailed[] = "Fehler Lesen Hor330Abr (8): %d";

const CalendarMessages kSpanMessages{.insertFailed = "Hor333Bzr-InsertFehler, Pnr: %s, Err: %d",
                                     .updateFailed = "Hor333Bzr-UpdateFehler, Pnr: %s  Fehler: %d"};
const CalendarMessages kRecalculatedMessages{
    .insertFailed = "Hor333Bzr-InsertFehler (2), Pnr: %s, Err: %d",
    .updateFailed = "Hor333Bzr-UpdateFehler (2), Pnr: %s  Fehler: %d"};
const CalendarMessages kFollowingMonthMessages{
    .insertFailed = "Hor333Bzr-InsertFehler (3), Pnr: %s, Err: %d",
    .updateFailed = "Hor333Bzr-UpdateFehler (3), Pnr: %s  Fehler: %d"};

// Hor331Zk4 rows read into the period-record fields of the same names.
const db::Columns<PeriodRecord> kSpanColumns{
    &PeriodRecord::stz, &PeriodRecord::bdt,     &PeriodRecord::pnr,    &PeriodRecord::zkt,
    &PeriodRecord::lna, &PeriodRecord::lgr,     &PeriodRecord::kst,    &PeriodRecord::ktr,
    &PeriodRecord::krt, &PeriodRecord::minutes, &PeriodRecord::tenths, &PeriodRecord::von,
    &PeriodRecord::bis, &PeriodRecord::sts,     &PeriodRecord::upn,    &PeriodRecord::inf,
    &PeriodRecord::abr};
const Query<PeriodRecord> kCarriedRows{.sql = kCarriedSpans, .columns = kSpanColumns};
const Query<PeriodRecord> kCorrectedRecords{
    .sql = kCorrectedAbsences,
    .columns = {&PeriodRecord::abr,    &PeriodRecord::lfn, &PeriodRecord::stz,
                &PeriodRecord::bdt,    &PeriodRecord::pnr, &PeriodRecord::zkt,
                &PeriodRecord::lna,    &PeriodRecord::lgr, &PeriodRecord::kst,
                &PeriodRecord::ktr,    &PeriodRecord::krt, &PeriodRecord::minutes,
                &PeriodRecord::tenths, &PeriodRecord::stg, &PeriodRecord::von,
                &PeriodRecord::bis,    &PeriodRecord::sts, &PeriodRecord::rre,
                &PeriodRecord::sta,    &PeriodRecord::upn, &PeriodRecord::rrn}};

// The day after a span's last day (0 when the span has no end).
int dayAfter(const std::string& bis) {
  return bis.empty() ? 0 : dayOf(bis) + 1;
}

}  // namespace

// The ends of the spans that the previous period's run carried over: the end
// marker on the first day of this period.
void Loga400::carriedSpans() {
  PeriodRecord z;
  h_.forEach(
      kCarriedRows, {previous_}, z,
      [&] {
        const Staged s = staged(z.bdt, z.upn);
        calendar_.mark({.fir = company_, .pnr = s.pnr, .month = s.month}, dayOf(z.von), 0,
                       wageTypeCode(z.lna), kFollowingMonthMessages, z.pnr, ExistingRow::Report);
      },
      NullRow::EndsLoop, kCarriedReadFailed);
}

// A span of the run's period. One that runs to the period's last day ends in
// the next period: its end is carried over to that period's run.
void Loga400::absenceSpan(const PeriodRecord& r, const Staged& s) {
  std::string bis = r.bis;
  if (!bis.empty() && bis == ctx_.abrBis) {
    const int st = ctx_.status =
        ctx_.db.exec(kCarryRow, {ctx_.runKey(), ctx_.abrnr,      ctx_.lfn,   kCarried, r.bdt,
                                 s.pnr,         kCarriedAccount, kEndMarker, " ",      r.kst,
                                 r.ktr,         r.krt,           r.minutes,  r.tenths, int32_t{0},
                                 ctx_.abrVon,   ctx_.abrVon,     int16_t{0}, s.pnr,    int16_t{0}});
    if (st != db::kOk && st != db::kDupKey) ctx_.fail(st, kCarryFailed, st);
    bis.clear();
  }
  calendar_.mark({.fir = company_, .pnr = s.pnr, .month = s.month}, dayOf(r.von), dayAfter(bis),
                 wageTypeCode(r.lna), kSpanMessages, r.pnr);
}

// Difference records of absence spans: the calendar of each corrected period
// of an employee is written again from its recalculated spans.
void Loga400::correctedAbsences() {
  PeriodRecord r;
  std::string lastPnr;
  int32_t lastRrn = 0;
  bool first = true;
  h_.forEach(
      kCorrectedRecords, {ctx_.abrnr, ctx_.lfn}, r,
      [&] {
        std::string von, bis;
        const int st = ctx_.status = ctx_.db.exec(kPeriodDates, {ctx_.akr, r.rrn}, {von, bis});
        if (st != db::kOk) ctx_.fail(st, kCorrectedPeriodFailed, st);
        if (!first && r.pnr == lastPnr && r.rrn == lastRrn) return;
        first = false, lastPnr = r.pnr, lastRrn = r.rrn;
        recalculatedSpans(r, bis);
      },
      NullRow::EndsLoop, kCorrectedReadFailed);
}

// The recalculated spans of the record's employee and corrected period, each
// with its code on its first day and the end marker after its last; a span
// that ran to the corrected period's last day ends on the first day of the
// following month. Without any span the absence ends on the first day of
// the record's own month.
void Loga400::recalculatedSpans(const PeriodRecord& r, const std::string& correctedEnd) {
  db::Cursor spans(ctx_.db, kRecalculatedSpans);
  spans.open({r.pnr, r.rrn});
  PeriodRecord z;
  auto next = [&] {
    z = PeriodRecord{};
    return ctx_.status = spans.fetch(kSpanColumns.outputs(z));
  };
  int rows = 0, st = 0;
  while ((st = next()) == db::kOk) {
    ++rows;
    const Staged s = staged(z.bdt, z.upn);
    const CalendarRow row{.fir = company_, .pnr = s.pnr, .month = s.month};
    const bool endsWithPeriod = !z.bis.empty() && z.bis == correctedEnd;
    calendar_.mark(row, dayOf(z.von), endsWithPeriod ? 0 : dayAfter(z.bis), wageTypeCode(z.lna),
                   kRecalculatedMessages, r.pnr);
    if (endsWithPeriod) calendar_.markEndInFollowingMonth(row, kFollowingMonthMessages, r.pnr);
  }
  spans.close();
  if (st != db::kNoData) {
    // Spans that cannot all be read would hand over a corrected calendar
    // with absences that never end: the hand-over fails instead.
    ctx_.log(kSpansReadFailed, st, static_cast<long>(r.rrn), r.pnr.c_str());
    ctx_.abort(60);
  }
  if (rows > 0) return;
  const Staged s = staged(r.bdt, r.upn);
  calendar_.mark({.fir = company_, .pnr = s.pnr, .month = s.month}, 1, 0, kEndMarker,
                 kRecalculatedMessages, r.pnr);
}

}  // namespace lug::exporters::loga400
