// The remainder of partial runs: a final run of a TOPAS period that had
// partial runs hands over, per key, its values less what the partial runs
// handed over, and of an absence the days the partial runs did not cover.
#include "export/calendar_days.h"
#include "export/delimited_text.h"
#include "export/topas/topas_steps.h"

namespace lug::exporters::topas_steps {
namespace {

constexpr char kPartialRuns[] =
    "select count(Zk1Abr) into :b0  from Hor331Zk1 where (Zk1Abr=:b1 and Zk1Lfn=2)";
// Only partial-run records whose span overlaps the record's count: an
// absence of the key that lies wholly after the partial runs was not handed
// over by them, and subtracting another absence's days from it would hand
// over a wrong span and value.
constexpr char kPartialSums[] =
    "select sum(Zk1Std) ,sum(Zk1Tge) ,to_char(Zk1Von,'dd.mm.yyyy') ,to_char(Zk1Bis,'dd.mm.yyyy') "
    "into :b0,:b1,:b2,:b3  from Hor331Zk1 where (((((((((Zk1Abr=:b4 and Zk1Lfn=2) and "
    "Zk1Stz=:b5) and Zk1Bdt=:b6) and Zk1Pnr=:b7) and Zk1Zkt=:b8) and Zk1Lna=:b9) and "
    "(trim(Zk1Lgr)=:b10 or trim(Zk1Lgr) is null )) and Zk1Von<=:b11) and Zk1Bis>=:b12) group by "
    "Zk1Von,Zk1Bis";

constexpr char kPartialSumsFailed[] = "Fehler SQL_Hor331Zk1_GetStdTopas: %d, Abr: %ld";

// Whether dd.mm.yyyy date a lies before date b in the calendar.
bool before(const std::string& a, const std::string& b) {
  return sessionDateOf(a) < sessionDateOf(b);
}

}  // namespace

bool remainderMode(RunContext& ctx) {
  if (ctx.lfn != 0) return false;
  int32_t partialRecords = 0;
  const int st = ctx.status = ctx.db.exec(kPartialRuns, {ctx.abrnr}, {partialRecords});
  ctx.abortIfFatal(st);
  return st == db::kOk && partialRecords > 0;
}

PartialRun subtractPartialRuns(RunContext& ctx, PeriodRecord& r) {
  PartialRun p;
  const int st = ctx.status = ctx.db.exec(kPartialSums,
                                          {ctx.abrnr, r.stz, r.bdt, r.pnr, r.zkt, r.lna, r.lgr,
                                           sessionDateOf(r.bis), sessionDateOf(r.von)},
                                          {p.minutes, p.tenths, p.von, p.bis});
  if (st == db::kOk) {
    r.minutes -= p.minutes, r.tenths -= p.tenths, p.found = true;
  } else if (st != db::kNoData) {
    ctx.fail(st, kPartialSumsFailed, st, static_cast<long>(ctx.abrnr));
  }
  return p;
}

// The rules apply in order, each on calendar days.
void remainderSpan(const std::string& from, const std::string& to, const PartialRun& p,
                   AbsenceRow& row) {
  if (before(p.bis, to)) row.von = nextDay(p.bis);
  if (before(to, p.bis)) row.von = nextDay(to), row.bis = p.bis;
  if (before(from, p.von)) row.von = from, row.bis = previousDay(p.von);
  if (before(p.von, from)) row.von = p.von, row.bis = previousDay(from);
}

}  // namespace lug::exporters::topas_steps
