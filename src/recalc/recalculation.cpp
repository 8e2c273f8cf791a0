#include "recalc/recalculation.h"

#include <optional>
#include <vector>

#include "base/interface_row.h"
#include "base/run_statements.h"
#include "calc/day_counts.h"
#include "calc/day_summary.h"
#include "calc/employee_days.h"
#include "calc/employee_walk.h"
#include "calc/interface_lines.h"
#include "calc/line_values.h"
#include "calc/records.h"
#include "calc/site_values.h"

namespace lug::recalc {
namespace {

using calc::Booking;
using calc::Employment;
using calc::InterfaceLine;
using calc::Span;

constexpr char kEmployments[] =
    "select trim(BsvPnr) ,trim(BsvAkr) ,trim(BsvGvo) ,trim(BsvGbi) ,trim(BsvLug)  from Hor310Bsv "
    "where ((BsvAkr=:b0 and BsvGvo<=:b1) and (BsvGbi is null  or BsvGbi>=:b2)) order by "
    "BsvPnr,BsvGvo desc";
constexpr char kPayrollEmployments[] =
    "select trim(BsvPnr) ,trim(BsvAkr) ,trim(BsvGvo) ,trim(BsvGbi) ,trim(BsvLug)  from Hor310Bsv "
    "where ((((BsvAkr=:b0 and  not BsvLug is null ) and BsvLug>'0') and BsvGvo<=:b1) and (BsvGbi "
    "is null  or BsvGbi>=:b2)) order by BsvPnr,BsvGvo desc";
constexpr char kStartInPeriod[] =
    "select trim(BsvGvo) into :b0:b1  from Hor310Bsv where ((BsvPnr=:b2 and BsvGvo>=:b3) and "
    "BsvGvo<:b4)";
constexpr char kGroupBefore[] =
    "select BsvAkr into :b0:b1  from HOR310BSV where (((BsvPnr=:b2 and "
    "BsvGvo<=TO_DATE(:b3,'yyyy.mm.dd')) and BsvGbi<:b4) and BsvGbi=(select max(BsvGbi)  from "
    "HOR310BSV where (BsvPnr=:b2 and BsvGbi<:b4)))";
constexpr char kMask[] =
    "update Hor331Zk1  set Zk1Rre=(Zk1Rre* (-1)) where ((Zk1Pnr=:b0 and Zk1Abr<>:b1) and "
    "Zk1Rre>0)";
constexpr char kSamePeriod[] =
    "select AbrNum into :b0:b1  from Hor330Abr where ((AbrAkr=:b2 and AbrVon=:b3) and "
    "AbrBis=:b4)";
constexpr char kMoveRecords[] =
    "update Hor331Zk1  set Zk1Abr=:b0,Zk1Rrn=:b1 where (Zk1Pnr=:b2 and Zk1Abr=:b1)";
constexpr char kStoredSummary[] =
    "select Zk2Stt ,Zk2Svt ,Zk2Slt ,Zk2Ant ,Zk2Sln ,Zk2Uns ,Zk2Zes ,Zk2Bzt ,Zk2Unt into "
    ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17  from Hor331Zk2 "
    "where (((Zk2Abr=:b18 and Zk2Pnr=:b19) and Zk2Bdt=:b20) and Zk2Rre<2)";
// The same for the employees the walk reaches next (calc/rows_ahead.h). The
// recalculation writes day summaries as recalculated (Zk2Rre 2) only, so
// the rows read for a window are those each employee's statement would read.
constexpr char kStoredSummariesAhead[] =
    "select Zk2Pnr ,Zk2Stt ,Zk2Svt ,Zk2Slt ,Zk2Ant ,Zk2Sln ,Zk2Uns ,Zk2Zes ,Zk2Bzt ,Zk2Unt  from "
    "Hor331Zk2 where (((" LUG_PNR_EQUALS_AHEAD("Zk2Pnr") " and Zk2Abr=:b32) and Zk2Bdt=:b33) and "
    "Zk2Rre<2)";
constexpr char kMonthValues[] =
    "select ZkbPnr ,ZkbZtr ,ZkbDtm ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSta "
    ",ZkbDat  from Hor331Zkb where (((ZkbPnr=:b0 and ZkbZtr=3) and ZkbDtm>=:b1) and ZkbDtm<=:b2) "
    "order by ZkbZkt,ZkbDtm";
constexpr char kLinesOfAccount[] =
    "select Lu1Num ,Lu1Stz ,Lu1Ztk ,Lu1Lna ,Lu1Lgr ,Lu1Gvo ,Lu1Gbi ,Lu1Rre ,Lu1Tgw ,Lu1Kst ,Lu1Ktr "
    ",Lu1Krt ,Lu1Tge ,Lu1Sol ,Lu1Svk ,Lu1Flg ,Lu1Lfn ,Lu1Sts ,Lu1Fkt ,Lu1Ztr ,Lu1Mog ,Lu1Sta  from "
    "Hor171Lu1 where (((((Lu1Num=:b0 and Lu1Stz=:b1) and Lu1Ztk=:b2) and Lu1Gvo<=:b3) and (Lu1Gbi "
    "is null  or Lu1Gbi>=:b4)) and Lu1Rre=1) order by Lu1Ztk,Lu1Lna,Lu1Gvo desc";

constexpr int16_t kPartialTopasRun = 2;
constexpr int16_t kSummaryRecalculated = 2;  // Zk2Rre of a recalculated day summary

// The employment cursor of the recalculation reads no target-free-hours model.
int fetchRecalcEmployment(db::Cursor& c, Employment& e) {
  return c.fetch({e.pnr, e.akr, e.gvo, e.gbi, e.lug});
}
constexpr calc::EmploymentCursor kEmploymentRows{
    kEmployments, kPayrollEmployments, fetchRecalcEmployment,
    "Pnr : %s in anderen AbrKreis gewechselt-> nicht berechnen", "Hor171Lug-Lesenfehler(4): %d"};

// What is computed of one employment row.
struct RowState {
  calc::DayFigures figures;
  double checkDays = 0;  // tenths of a day; reduce Zk2Svt
};

// One call: the period `abrnr` of group `akr`, or one of its follow months.
class PeriodRecalc : calc::EmployeeWalk {
 public:
  PeriodRecalc(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
               bool followMonth, Span& reference, int32_t runPeriod)
      : EmployeeWalk(ctx, kEmploymentRows),
        groupAkr_(akr),
        abrnr_(abrnr),
        offset_(offset),
        followMonth_(followMonth),
        reference_(reference),
        runPeriod_(runPeriod),
        current_{ctx.abrVon, ctx.abrBis},
        records_(ctx.db, ctx.runKey(), abrnr, ctx.lfn) {
    records_.gather(ctx);
  }

  void run() {
    ctx_.abortIfFatal(ctx_.db.exec(kPeriodDates, {groupAkr_, abrnr_}, {period_.von, period_.bis}));
    if (!followMonth_) ctx_.log("\n>>>>>Rückrechnung :");
    ctx_.log("AbrNr: %ld von: %s bis: %s", static_cast<long>(abrnr_), period_.von.c_str(),
             period_.bis.c_str());
    if (!followMonth_) reference_ = period_;
    const int st = readInterfaceRow(ctx_.db, groupAkr_, groupLug_);
    if (st != db::kOk) ctx_.fail(st, "Hor171Lug-Lesenfehler: %d", st);
    bookingDate_ = calc::bookingDate(reference_, groupLug_.dtm);
    ctx_.log(groupLug_.pnr != 0 ? "Nur LuG-PersNr verarbeiten\n" : "Alle PersNr verarbeiten\n");
    ctx_.abortIfFatal(calc::readRecordKinds(ctx_, groupLug_.lgp, recordKinds_));
    calc::InterruptionLine line;
    if (calc::readInterruptionLine(ctx_, groupLug_.lug, period_, line) == db::kOk && line.rre == 1)
      interruption_ = line;
    walk({.akr = groupAkr_, .lug = groupLug_, .own = current_, .booked = period_});
  }

 private:
  bool finalRun() const { return ctx_.interim == 0; }

  // The employee's records are masked: the difference step passes them over.
  void leftGroup(const Employment& row) override {
    ctx_.log("     => Datensätze temporär maskieren!");
    const int st = ctx_.db.exec(kMask, {row.pnr, runPeriod_});
    if (st != db::kOk && st != db::kNoData)
      ctx_.fail(st, "Pnr : %s SetZk1-Update-Fehler %d", row.pnr.c_str(), st);
  }

  // An employee who came from another group brings its records along.
  void stillInGroup(const Employment& row) override {
    if (!followMonth_) moveRecords(row.pnr, "Pnr : %s SetZk1Abr(1): Update-Fehler %d");
  }
  void cameFromOtherGroup(const Employment& row) override {
    if (!followMonth_) moveRecords(row.pnr, "Pnr : %s SetZk1Abr(2): Update-Fehler %d");
  }

  // The group the employee left when the current employment started in the
  // run's period; empty when it did not.
  std::string previousGroup(const std::string& pnr) {
    std::string start, group;
    int st = ctx_.db.exec(kStartInPeriod, {pnr, current_.von, current_.bis}, {start});
    if (st != db::kOk) {
      if (st != db::kNoData) ctx_.fail(st, "     SQL_NewInAkr(SQL1), ERROR: %ld", long{st});
      return {};
    }
    st = ctx_.db.exec(kGroupBefore, {pnr, start, start}, {group});
    if (st != db::kOk && st != db::kNoData)
      ctx_.fail(st, "     SQL_NewInAkr(SQL2), ERROR: %ld", long{st});
    return group;
  }

  // The employee's records of the former group's period with the same days
  // become records of this period; Zk1Rrn keeps the former number.
  void moveRecords(const std::string& pnr, const char* failed) {
    const std::string from = previousGroup(pnr);
    if (from.empty()) return;
    int32_t number = 0;
    int st = ctx_.db.exec(kSamePeriod, {from, period_.von, period_.bis}, {number});
    if (st == db::kOk && number != 0) st = ctx_.db.exec(kMoveRecords, {abrnr_, number, pnr});
    if (st != db::kOk && st != db::kNoData) ctx_.fail(st, failed, pnr.c_str(), st);
  }

  // The day summary is computed and compared in final runs only: interim
  // runs hand none over. Interruptions are counted in the call of the
  // recalculated period only, as the period run counts them; in a follow
  // month they would be handed over again under another booking date.
  void compute(const Employment& row, bool first) override {
    row_ = RowState{};
    const bool summary = !followMonth_ && finalRun();
    if (summary) daySummary(row);
    if (first) {
      if (interruption_ && !followMonth_) interruptions(row);
      records(row);
    }
    if (summary) compareDaySummary(row.pnr);
  }

  void daySummary(const Employment& row) {
    const calc::SummaryInput in{row.pnr, calc::employmentSpan(row, period_), period_, akr(),
                                lug().typeIs("PSYBR")};
    row_.figures = calc::employmentFigures(ctx_, in, employedDays());
    calc::bookingFigures(ctx_, in, row_.figures);
  }

  calc::CostAssignment masterCost(const std::string& pnr, const char* missing) {
    calc::CostAssignment cost;
    if (calc::readMasterCost(ctx_, pnr, period_, cost) == db::kNoData)
      ctx_.log(missing, pnr.c_str());
    return cost;
  }

  void interruptions(const Employment& row) {
    const calc::InterruptionInput in{row.pnr, row.upn(), period_, bookingDate_,
                                     masterCost(row.pnr, "Keine Stammkostenstelle für PNR %s")};
    calc::handOverInterruptions(ctx_, *interruption_, in, records_);
  }

  // The employee's month values, each under the lines of its account.
  void records(const Employment& row) {
    scope_ = {row.pnr, row.upn(), akr(), lug().dtm, period_, reference_, followMonth_};
    if (const auto kept =
            ctx_.daysAhead ? ctx_.daysAhead->monthValues(row.pnr, period_) : std::nullopt) {
      for (const Booking& month : *kept)
        for (const std::string& stz : recordKinds_) monthValue(month, stz);
    } else {
      db::Cursor months(ctx_.db, kMonthValues, db::Cursor::Mode::FewRows);
      calc::openCursor(ctx_, months, {row.pnr, period_.von, period_.bis});
      Booking month;
      int st;
      while ((st = calc::fetchDay(months, month)) == db::kOk)
        for (const std::string& stz : recordKinds_) monthValue(month, stz);
      ctx_.abortIfFatal(st);
      months.close();
    }
    records_.flush();
    if (!followMonth_ && ctx_.lfn != kPartialTopasRun && ctx_.site == calc::kSiteWithAccountValues)
      accountValues(row);
  }

  void monthValue(const Booking& month, const std::string& stz) {
    using calc::InterfaceLines;
    calc::LineCursor lines(ctx_, kLinesOfAccount, [&](const InterfaceLines::Line& l) {
      return InterfaceLines::equal(l.values.num, lug().lug) &&
             InterfaceLines::equal(l.values.stz, stz) &&
             InterfaceLines::equal(l.values.ztk, month.zkt) &&
             InterfaceLines::validIn(l, period_.von, period_.bis) && l.values.rre == 1;
    });
    ctx_.abortIfFatal(lines.open({lug().lug, stz, month.zkt, period_.von, period_.bis}));
    calc::NewestLines newest(ctx_);
    InterfaceLine line;
    int st;
    while ((st = lines.fetch(line)) == db::kOk)
      if (newest.counts(line) && applies(line)) handOver(line, month);
    ctx_.abortIfFatal(st);
    lines.close();
  }

  bool applies(const InterfaceLine& line) const { return line.flg == (followMonth_ ? offset_ : 0); }

  // Unlike the period run, values without minutes and days are written too;
  // a failed addition is reported like a failed insert.
  void handOver(const InterfaceLine& line, const Booking& month) {
    const calc::LineTargets to{records_,          records_,         true,
                               "Zk3_Insert2: %d", "Zk3_Insert: %d", "Zk3_Insert2: %d"};
    calc::handOverBooking(ctx_, scope_, line, month, to, row_.checkDays);
  }

  void accountValues(const Employment& row) {
    const calc::CostAssignment cost =
        masterCost(row.pnr, "      Keine Stammkostenstelle für PNR %s (2)");
    const calc::SiteValuesInput in{row.pnr, row.upn(), period_, cost.kst, cost.ktr, bookingDate_};
    calc::siteValues(ctx_, in, records_);
  }

  // The day summary handed over for the period is handed over again, under
  // the run's period, when one of its values changed.
  void compareDaySummary(const std::string& pnr) {
    const calc::DayFigures now = calc::finished(row_.figures, row_.checkDays);
    calc::DayFigures s;
    const int st = storedSummary(pnr, s);
    const bool changed = st == db::kOk && calc::roundedToCents(s) != now;
    const double values = now.svt + now.slt + now.ant + now.sln + now.uns + now.zes + now.bzt +
                          now.unt + row_.checkDays;
    if (changed || (st == db::kNoData && values != 0))
      calc::writeDaySummary(ctx_, runPeriod_, pnr, period_.von, kSummaryRecalculated, now);
  }

  // The day summary handed over for the period (kStoredSummary); read for
  // several employees at once, unless the run writes summaries of this
  // period itself.
  int storedSummary(const std::string& pnr, calc::DayFigures& s) {
    const std::vector<db::Out> out{s.stt, s.svt, s.slt, s.ant, s.sln, s.uns, s.zes, s.bzt, s.unt};
    if (ctx_.daysAhead && abrnr_ != runPeriod_)
      if (const std::optional<int> st =
              ctx_.daysAhead->numbers(kStoredSummary, kStoredSummariesAhead, pnr,
                                      {abrnr_, period_.von}, out, calc::WindowOn::Session))
        return *st;
    const int st = ctx_.db.exec(kStoredSummary, {abrnr_, pnr, period_.von}, out);
    ctx_.abortIfFatal(st);
    return st;
  }

  const std::string groupAkr_;
  const int32_t abrnr_;
  const int16_t offset_;
  const bool followMonth_;
  Span& reference_;
  const int32_t runPeriod_;
  const Span current_;  // the run's own period
  Span period_;         // the period computed
  InterfaceRow groupLug_;
  std::string bookingDate_;
  std::vector<std::string> recordKinds_;
  std::optional<calc::InterruptionLine> interruption_;  // when interruptions are recalculated
  calc::WorkRecords records_;
  calc::LineScope scope_;
  RowState row_;
};

}  // namespace

void Recalculation::run(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
                        int16_t followMonth) {
  if (followMonth == 0) runPeriod_ = ctx.abrnr;
  const calc::EmployeeDays::Keeping keeping(ctx);
  PeriodRecalc(ctx, akr, abrnr, offset, followMonth != 0, reference_, runPeriod_).run();
  cutoff_ = reference_.von;
}

}  // namespace lug::recalc
