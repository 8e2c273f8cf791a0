#include "calc/day_summary.h"

#include <cstdio>
#include <cstdlib>

#include "calc/day_counts.h"
#include "calc/employee_days.h"
#include "db/insert_or_add.h"

namespace lug::calc {
namespace {

// Lu1Sts of the accounts whose booked days are the days with bookings
// (Zk2Bzt) and the unpaid days (Zk2Unt).
constexpr int16_t kDaysWithBookings = 103;
constexpr int16_t kUnpaidDays = 104;
constexpr char kCalendarDays[] =
    "select count(BakDtm) into :b0  from HORSYSTEM.Hor133Bak where (BakDtm>=:b1 and BakDtm<=:b2)";
constexpr char kTargets[] =
    "select count(TgbSol) ,sum(TgbSol) into :b0,:b1:b2  from Hor320Tgb where ((((TgbPnr=:b3 and "
    "TgbZtr=1) and TgbSol>0) and TgbDtm>=:b4) and TgbDtm<=:b5)";
constexpr char kMonthMaximum[] =
    "select TgbMax into :b0  from Hor320Tgb where ((TgbPnr=:b1 and TgbZtr=3) and TgbDtm=:b2)";
constexpr char kBookedDays103[] =
    "select distinct ZkbDtm  from Hor331zkb ,Hor171Lu1 ,O1001AbrKreis where ((((((((ZkbPnr=:b0 "
    "and ZkbDtm>=:b1) and ZkbDtm<=:b2) and (ZkbStd>0 or (ZKBSTD=0 and Lu1Art=1))) and ZkbZtr=1) "
    "and ZkbZkt=Lu1Ztk) and Lu1sts=103) and Lu1Num=AkrLug) and AkrNum=:b3) order by ZkbDtm";
constexpr char kBookedDays104[] =
    "select distinct ZkbDtm  from Hor331zkb ,Hor171Lu1 ,O1001AbrKreis where ((((((((ZkbPnr=:b0 "
    "and ZkbDtm>=:b1) and ZkbDtm<=:b2) and (ZkbStd>0 or (ZKBSTD=0 and Lu1Art=1))) and ZkbZtr=1) "
    "and ZkbZkt=Lu1Ztk) and Lu1sts=104) and Lu1Num=AkrLug) and AkrNum=:b3) order by ZkbDtm";
constexpr char kModelDays[] =
    "select distinct ZtgVon ,AzvSol  from Hor329Ztg A ,Hor140Azv where (((((ZtgPnr=:b0 and "
    "ZtgAzt=AzvNum) and ZtgVon>=:b1) and ZtgVon<=:b2) and AzvSol>0) and AzvSol=(select AzvSol  "
    "from Hor140Azv B where ((AzvGvo<=A.ZtgVon and (AzvGbi>=A.ZtgVon or AzvGbi is null )) and "
    "AzvNum=A.ZtgAzt))) order by ZtgVon";
constexpr char kTargetDay[] =
    "select TgbDtm  from Hor320Tgb where (((TgbPnr=:b0 and TgbSol>0) and TgbDtm=:b1) and "
    "TgbZtr='1')";
constexpr char kAttendanceFlag[] =
    "select TagOne into :b0  from Hor327Tag where ((TagPnr=:b1 and TagVon=:b2) and ((TagOne=1 or "
    "TagKom=1) or TagGeh=1))";
constexpr char kBookedOn103[] =
    "select distinct ZkbPnr  from Hor331zkb ,Hor171Lu1 ,O1001AbrKreis where (((((((ZkbPnr=:b0 and "
    "ZkbDtm=:b1) and (ZkbStd>0 or (ZKBSTD=0 and Lu1Art=1))) and ZkbZtr=1) and ZkbZkt=Lu1Ztk) and "
    "Lu1sts=103) and Lu1Num=AkrLug) and AkrNum=:b2)";
constexpr char kUnpaidMinutes[] =
    "select sum(ZkbStd) into :b0:b1  from O1001AbrKreis ,Hor171Lu1 ,Hor331Zkb where "
    "(((((((AkrNum=:b2 and AkrLug=Lu1Num) and (Lu1Sts=4 or Lu1Sts=104)) and ZkbZkt=Lu1Ztk) and "
    "ZkbPnr=:b3) and ZkbZtr=1) and ZkbDtm>=:b4) and ZkbDtm<=:b5)";
constexpr char kInsertSummary[] =
    "insert into Hor331Zk2 (Zk2Abr,Zk2Pnr,Zk2Bdt,Zk2Stt,Zk2Svt,Zk2Slt,Zk2Ant,Zk2Sln,Zk2Uns,Zk2Zes,"
    "Zk2Bzt,Zk2Unt,Zk2Rre) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12)";
constexpr char kAddSummary[] =
    "update Hor331Zk2  set Zk2Stt=(Zk2Stt+:b0),Zk2Svt=(Zk2Svt+:b1),Zk2Slt=(Zk2Slt+:b2),"
    "Zk2Ant=(Zk2Ant+:b3),Zk2Sln=(Zk2Sln+:b4),Zk2Uns=(Zk2Uns+:b5),Zk2Zes=(Zk2Zes+:b6),"
    "Zk2Bzt=(Zk2Bzt+:b7),Zk2Unt=(Zk2Unt+:b8) where (((Zk2Abr=:b9 and Zk2Pnr=:b10) and "
    "Zk2Bdt=:b11) and Zk2Rre=:b12)";
constexpr char kMasterCost[] =
    "select ZuoKst ,ZuoKtr ,ZuoKrt into :b0:b1,:b2:b3,:b4:b5  from HOR311ZUO where ((ZuoPnr=:b6 "
    "and ZuoGvo<=:b7) and (ZuoGbi>=:b8 or ZuoGbi is null ))";

// Calendar days of the span; a span covering the whole period counts 30.
double employmentDays(RunContext& ctx, const SummaryInput& in) {
  if (in.span == in.period) return kPeriodDays;
  int32_t days = 0;
  ctx.abortIfFatal(ctx.db.exec(kCalendarDays, {in.span.von, in.span.bis}, {days}));
  return days;
}

int32_t countBookedDays(RunContext& ctx, const char* statement, int16_t sts,
                        const SummaryInput& in) {
  const auto booked = EmployeeDays::of(ctx, in.pnr, in.span)
                          ->bookedDays(in.akr, sts, in.span, EmployeeDays::Minutes::ZeroOnly);
  if (booked) return static_cast<int32_t>(booked->size());
  db::Cursor days(ctx.db, statement, db::Cursor::Mode::FewRows);
  openCursor(ctx, days, {in.pnr, in.span.von, in.span.bis, in.akr});
  int32_t count = 0;
  std::string day;
  int st;
  while ((st = days.fetch({day})) == db::kOk) ++count;
  ctx.abortIfFatal(st);
  days.close();
  return count;
}

bool exists(RunContext& ctx, const char* statement, db::Ins in) {
  std::string value;
  const int st = ctx.db.exec(statement, in, {value});
  ctx.abortIfFatal(st);
  return rowExists(st);
}

// Days of the working-time model: a target day of the model without a day
// record counts as target day and as day with bookings; a target day with an
// attendance flag but without a booking on a status-103 account counts as
// day with bookings.
void modelDays(RunContext& ctx, const SummaryInput& in, DayFigures& f) {
  db::Cursor days(ctx.db, kModelDays, db::Cursor::Mode::FewRows);
  openCursor(ctx, days, {in.pnr, in.span.von, in.span.bis});
  std::string day;
  int32_t sol = 0;
  int st;
  while ((st = days.fetch({day, sol})) == db::kOk) {
    if (!exists(ctx, kTargetDay, {in.pnr, day})) {
      f.bzt += 1, f.slt += 1, f.sln += sol;
    } else if (exists(ctx, kAttendanceFlag, {in.pnr, day}) &&
               !exists(ctx, kBookedOn103, {in.pnr, day, in.akr})) {
      f.bzt += 1;
    }
  }
  if (st != db::kNoData) ctx.fail(st, "SQL-Error bei Ermittlung Solltage: %d", st);
  days.close();
}

double rounded(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", v);
  return std::strtod(text, nullptr);
}

}  // namespace

DayFigures employmentFigures(RunContext& ctx, const SummaryInput& in, double& employedDays) {
  DayFigures f;
  f.stt = employmentDays(ctx, in);
  employedDays += f.stt;
  if (employedDays > kPeriodDays) {
    f.stt -= employedDays - kPeriodDays;
    employedDays = kPeriodDays;
  }
  if (const auto targets = EmployeeDays::of(ctx, in.pnr, in.span)->targets(in.span)) {
    f.slt = targets->days, f.sln = targets->minutes;
  } else {
    int32_t targetDays = 0;
    ctx.abortIfFatal(
        ctx.db.exec(kTargets, {in.pnr, in.span.von, in.span.bis}, {targetDays, f.sln}));
    f.slt = targetDays;
  }
  if (!in.psybr && !(ctx.daysAhead && ctx.daysAhead->monthMaximum(in.pnr, in.period.von, f.zes)))
    ctx.abortIfFatal(ctx.db.exec(kMonthMaximum, {in.pnr, in.period.von}, {f.zes}));
  return f;
}

void bookingFigures(RunContext& ctx, const SummaryInput& in, DayFigures& f) {
  f.ant = bookedShare(ctx, in.akr, in.pnr, in.span);
  f.bzt = countBookedDays(ctx, kBookedDays103, kDaysWithBookings, in);
  if (in.psybr) modelDays(ctx, in, f);
  f.unt = countBookedDays(ctx, kBookedDays104, kUnpaidDays, in);
  if (const auto minutes = EmployeeDays::of(ctx, in.pnr, in.span)->unpaidMinutes(in.akr, in.span))
    f.uns = *minutes;
  else
    ctx.abortIfFatal(
        ctx.db.exec(kUnpaidMinutes, {in.akr, in.pnr, in.span.von, in.span.bis}, {f.uns}));
}

DayFigures finished(DayFigures f, double checkDays) {
  constexpr double kPerMinute = 1.0 / 60;
  f.svt = f.stt - checkDays * 0.1;
  f.sln *= kPerMinute, f.uns *= kPerMinute, f.zes *= kPerMinute;
  return roundedToCents(f);
}

DayFigures roundedToCents(DayFigures f) {
  for (double* v : {&f.stt, &f.svt, &f.slt, &f.ant, &f.sln, &f.uns, &f.zes, &f.bzt, &f.unt})
    *v = rounded(*v);
  return f;
}

void writeDaySummary(RunContext& ctx, int32_t abr, const std::string& pnr, const std::string& bdt,
                     int16_t rre, const DayFigures& f) {
  const int st =
      db::insertOrAdd(
          ctx.db, {.insert = kInsertSummary, .add = kAddSummary},
          {abr, pnr, bdt, f.stt, f.svt, f.slt, f.ant, f.sln, f.uns, f.zes, f.bzt, f.unt, rre},
          {f.stt, f.svt, f.slt, f.ant, f.sln, f.uns, f.zes, f.bzt, f.unt, abr, pnr, bdt, rre})
          .status;
  if (st != db::kOk) ctx.fail(st, "Insert Hor331Zk2-Status: %d, Pnrnr: %s", st, pnr.c_str());
}

int readMasterCost(RunContext& ctx, const std::string& pnr, const Span& period,
                   CostAssignment& cost) {
  if (ctx.daysAhead)
    if (const std::optional<int> st = ctx.daysAhead->masterCost(pnr, period, cost)) return *st;
  const int st =
      ctx.db.exec(kMasterCost, {pnr, period.bis, period.von}, {cost.kst, cost.ktr, cost.krt});
  ctx.abortIfFatal(st);
  return st;
}

}  // namespace lug::calc
