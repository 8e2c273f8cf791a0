// The absence path of the PAISY exporter (record kind P3).
#include <string>

#include "export/paisy/paisy_rules.h"
#include "export/paisy/paisy_steps.h"

namespace lug::exporters::paisy {
namespace {

constexpr char kInsertP3[] =
    "insert into Hor333Ps3 (Ps3Stz,Ps3Frm,Ps3Prs,Ps3Bdt,Ps3Abn,Ps3Lna,Ps3Zet,Ps3Edt) values "
    "('P3',:b0,:b1,:b2,'1',:b3,:b4,:b5)";
constexpr char kEndP3[] =
    "update Hor333Ps3  set Ps3Edt=:b0 where ((((((Ps3Stz='P3' and Ps3Frm=:b1) and Ps3Prs=:b2) and "
    "Ps3Bdt=:b3) and Ps3Abn='1') and Ps3Lna=:b4) and Ps3Zet=:b5)";
constexpr char kInsertP3WithGroup[] =
    "insert into Hor333Ps3O (Ps3Stz,Ps3Frm,Ps3Prs,Ps3Bdt,Ps3Abn,Ps3Lna,Ps3Zet,Ps3Edt,Ps3Knr) "
    "values ('P3',:b0,:b1,:b2,'1',:b3,:b4,:b5,:b6)";
constexpr char kEndP3WithGroup[] =
    "update Hor333Ps3O  set Ps3Edt=:b0 where (((((((Ps3Stz='P3' and Ps3Frm=:b1) and Ps3Prs=:b2) "
    "and "
    "Ps3Bdt=:b3) and Ps3Abn='1') and Ps3Lna=:b4) and Ps3Zet=:b5) and Ps3Knr=:b6)";
// The dates of the absence a reversal cancels: the latest remembered P3 row
// of the same company, employee and wage type that shares a date with it,
// handed over by an earlier run. The minutes are not compared: a reversal
// carries the negative difference, never the stored value.
constexpr char kReversedDates[] =
    "select to_char(Zk5Von,'ddmmyy') ,to_char(Zk5Bis,'ddmmyy')  from HOR331Zk5 where "
    "(((((Zk5Stz='P3' and Zk5Ktr=:b0) and Zk5Pnr=:b1) and Zk5Lna=:b2) and Zk5Key<>:b3) and "
    "(Zk5Von=:b4 or Zk5Bis=:b5)) order by Zk5Abr desc,to_date(Zk5Key,'dd.mm.yyyy hh24:mi:ss') desc";
constexpr char kReversedDatesWithGroup[] =
    "select to_char(Zk5Von,'ddmmyy') ,to_char(Zk5Bis,'ddmmyy')  from HOR331Zk5 where "
    "((((((Zk5Stz='P3' and Zk5Ktr=:b0) and Zk5Pnr=:b1) and Zk5Lna=:b2) and Zk5Key<>:b3) and "
    "(Zk5Von=:b4 or Zk5Bis=:b5)) and Zk5Lgr=:b6) order by Zk5Abr desc,to_date(Zk5Key,'dd.mm.yyyy "
    "hh24:mi:ss') desc";
constexpr char kReversedEnd[] =
    "select Zk1Bis into :b0:b1  from HOR331Zk1 where (((((((Zk1Abr=:b2 and Zk1Stz='P3') and "
    "Zk1Pnr=:b3) and Zk1Zkt=:b4) and Zk1Lna=:b5) and Zk1Rre=2) and Zk1Std<0) and Zk1Bis<=:b6)";
constexpr char kRemember[] =
    "insert into Hor331Zk5 (Zk5Key,Zk5Abr,Zk5Stz,Zk5Pnr,Zk5Lna,Zk5Ktr,Zk5Std,Zk5Von,Zk5Bis,Zk5Zkt,"
    "Zk5Lgr,Zk5Kst,Zk5Krt,Zk5Rre) values (:b0,:b1,'P3',:b2,:b3,:b4,:b5,to_date(:b6,'ddmmyy'),"
    "to_date(:b7,'ddmmyy'),:b8,:b9,:b10,:b11,2)";

constexpr char kWageTypeTooLong[] = "Lohnart zu lang für P3-Satz : %s";
constexpr char kOwnPeriodFailed[] = "Fehler Lesen Hor330Abr (6): %d";
constexpr char kSearchFailed[] = "Fehler SearchDelete: %d";
constexpr char kOpenPeriod[] = "Pnr: %s, Zkt: %s : Zeitraum offen=>kein P3";
constexpr char kInsertFailed[] = "Hor333Ps3-InsertFehler, Pnr: %s, Err: %d";
constexpr char kUpdateFailed[] = "Hor331Ps3-UpdateFehler, Pnr: %s  Fehler: %d";
constexpr char kRememberFailed[] = "Hor331Zk5-InsertFehler, Pnr: %s, Err: %d";

struct P3Row {
  std::string frm{}, prs{}, bdt{}, lna{}, zet{}, edt{}, knr{};
  std::string group{};  // wage-type group of the remembered row (site with group key)
};

const Staging<P3Row> kP3{
    .statements = {.insert = kInsertP3, .add = kEndP3},
    .insertColumns = {&P3Row::frm, &P3Row::prs, &P3Row::bdt, &P3Row::lna, &P3Row::zet, &P3Row::edt},
    .addColumns = {&P3Row::edt, &P3Row::frm, &P3Row::prs, &P3Row::bdt, &P3Row::lna, &P3Row::zet}};
const Staging<P3Row> kP3WithGroup{
    .statements = {.insert = kInsertP3WithGroup, .add = kEndP3WithGroup},
    .insertColumns = {&P3Row::frm, &P3Row::prs, &P3Row::bdt, &P3Row::lna, &P3Row::zet, &P3Row::edt,
                      &P3Row::knr},
    .addColumns = {&P3Row::edt, &P3Row::frm, &P3Row::prs, &P3Row::bdt, &P3Row::lna, &P3Row::zet,
                   &P3Row::knr}};

// The from- and to-date (ddmmyy) of the absence a reversal cancels; empty
// when no earlier hand-over of it is remembered.
void reversedDates(RunContext& ctx, const PeriodRecord& r, const P3Row& row, bool withGroup,
                   std::string& from, std::string& to) {
  db::Cursor remembered(ctx.db, withGroup ? kReversedDatesWithGroup : kReversedDates);
  if (withGroup)
    remembered.open({row.frm, row.prs, row.lna, ctx.runKey(), r.von, r.bis, row.group});
  else
    remembered.open({row.frm, row.prs, row.lna, ctx.runKey(), r.von, r.bis});
  const int st = ctx.status = remembered.fetch({from, to});
  remembered.close();
  ctx.abortIfFatal(st);
}

// The period whose dates bound the range extension: the record's own period
// for a positive recalculation record, else the run's period.
PeriodDates periodOf(RunContext& ctx, const PeriodRecord& r) {
  PeriodDates period{.von = ctx.abrVon, .bis = ctx.abrBis}, own;
  if (!(r.rre == 2 && r.minutes > 0)) return period;
  const int st = readPeriodDates(ctx, r.rrn, own);
  if (st == db::kOk) return own;
  ctx.fail(st, kOwnPeriodFailed, st);
  return period;
}

// The from- and to-date of a record that is not a reversal.
void absenceDates(RunContext& ctx, PeriodRecord& r, bool withGroup, std::string& from,
                  std::string& to) {
  const PeriodDates period = periodOf(ctx, r);
  if (!withGroup) applyExtension(extendRange(ctx, r, period), r);
  from = ddmmyy(r.von), to = ddmmyy(r.bis);
  if (!(r.rre == 2 && r.minutes > 0) || !from.empty() || !to.empty()) return;
  std::string end;
  const int st = ctx.status =
      ctx.db.exec(kReversedEnd, {r.abr, r.pnr, r.zkt, r.lna, period.bis}, {end});
  if (st == db::kOk) from = ddmmyy(end);
  if (st != db::kOk && st != db::kNoData) ctx.fail(st, kSearchFailed, st);
}

}  // namespace

void stageAbsence(Handover& h, const std::string& company, PeriodRecord r) {
  RunContext& ctx = h.ctx;
  if (exceedsWidth(r.lna, 3)) return reject(ctx, kWageTypeTooLong, r.upn.c_str());
  const bool withGroup = ctx.site == kSiteWithGroupKey;
  const bool reversal = isReversal(r);
  P3Row row{.frm = company,
            .prs = r.upn.substr(0, 6),
            .lna = r.lna,
            .zet = reversal ? "0" : "     ",
            .knr = r.lgr.empty() ? "  " : r.lgr.substr(0, 2),
            .group = r.lgr.empty() ? "  " : r.lgr};
  std::string from, to;
  if (reversal)
    reversedDates(ctx, r, row, withGroup, from, to);
  else
    absenceDates(ctx, r, withGroup, from, to);
  if (from.empty() && to.empty()) return ctx.log(kOpenPeriod, r.pnr.c_str(), r.zkt.c_str());

  row.bdt = from, row.edt = to;
  Staging<P3Row> table = withGroup ? kP3WithGroup : kP3;
  if (to.empty()) table.statements.add = nullptr;  // a stored row keeps its end
  h.stage(table, row, [&](db::WriteStep step, int st) {
    if (step == db::WriteStep::Add)
      ctx.log(kUpdateFailed, r.pnr.c_str(), st);
    else if (st != db::kDupKey)
      ctx.log(kInsertFailed, r.pnr.c_str(), st);
  });

  if (ctx.recalcCount == 0) return;
  const int st = ctx.status =
      ctx.db.exec(kRemember, {ctx.runKey(), ctx.abrnr, row.prs, row.lna, company, r.minutes, from,
                              to, r.zkt, row.group, r.kst, r.krt});
  if (st != db::kOk && st != db::kDupKey) ctx.fail(st, kRememberFailed, r.pnr.c_str(), st);
}

}  // namespace lug::exporters::paisy
