#include "calc/period_run.h"

#include <vector>

#include "calc/balance_keys.h"
#include "calc/day_counts.h"
#include "calc/day_summary.h"
#include "calc/employee_days.h"
#include "calc/employee_walk.h"
#include "calc/interface_lines.h"
#include "calc/line_values.h"
#include "calc/records.h"
#include "calc/site_values.h"

namespace lug::calc {
namespace {

constexpr char kDeleteRecords[] = "delete  from Hor331Zk1  where (Zk1Abr=:b0 and Zk1Lfn=:b1)";
constexpr char kDeleteEmployeeRecords[] =
    "delete  from Hor331Zk1  where ((Zk1Abr=:b0 and Zk1Lfn=:b1) and Zk1Pnr=:b2)";
constexpr char kDeleteSummaries[] = "delete  from Hor331Zk2  where Zk2Abr=:b0";
constexpr char kDeleteEmployeeSummaries[] =
    "delete  from Hor331Zk2  where (Zk2Abr=:b0 and Zk2Pnr=:b1)";
constexpr char kEmployments[] =
    "select trim(BsvPnr) ,trim(BsvAkr) ,trim(BsvGvo) ,trim(BsvGbi) ,trim(BsvLug) ,trim(BsvSfr)  "
    "from Hor310Bsv where ((BsvAkr=:b0 and BsvGvo<=:b1) and (BsvGbi is null  or BsvGbi>=:b2)) "
    "order by BsvPnr,BsvGvo desc";
constexpr char kPayrollEmployments[] =
    "select trim(BsvPnr) ,trim(BsvAkr) ,trim(BsvGvo) ,trim(BsvGbi) ,trim(BsvLug) ,trim(BsvSfr)  "
    "from Hor310Bsv where ((((BsvAkr=:b0 and  not BsvLug is null ) and BsvLug>'0') and "
    "BsvGvo<=:b1) and (BsvGbi is null  or BsvGbi>=:b2)) order by BsvPnr,BsvGvo desc";
constexpr EmploymentCursor kEmploymentRows{
    kEmployments, kPayrollEmployments, fetchEmployment,
    "Pnr : %s in anderen AbrKreis gewechselt ->nicht berechnen", "Hor171Lug-Lesenfehler(3): %d"};
constexpr char kLines[] =
    "select Lu1Num ,Lu1Stz ,Lu1Ztk ,Lu1Lna ,Lu1Lgr ,Lu1Gvo ,Lu1Gbi ,Lu1Rre ,Lu1Tgw ,Lu1Kst ,Lu1Ktr "
    ",Lu1Krt ,Lu1Tge ,Lu1Sol ,Lu1Svk ,Lu1Flg ,Lu1Lfn ,Lu1Sts ,Lu1Fkt ,Lu1Ztr ,Lu1Mog ,Lu1Sta  from "
    "Hor171Lu1 where (((Lu1Num=:b0 and Lu1Stz=:b1) and Lu1Gvo<=:b2) and (Lu1Gbi is null  or "
    "Lu1Gbi>=:b3)) order by Lu1Ztk,Lu1Lna,Lu1Gvo desc";
constexpr char kMonthValues[] =
    "select ZkbPnr ,ZkbZtr ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSta  from "
    "Hor331Zkb where ((((ZkbPnr=:b0 and ZkbZkt=:b1) and ZkbZtr=3) and ZkbDtm>=:b2) and "
    "ZkbDtm<=:b3) order by ZkbZkt,ZkbDtm";
constexpr char kSummedDayValues[] =
    "select ZkbPnr ,ZkbZtr ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,sum(ZkbStd) ,sum(ZkbTge) ,ZkbStg "
    ",ZkbSta "
    " from Hor331Zkb where ((((ZkbPnr=:b0 and ZkbZkt=:b1) and ZkbZtr=1) and ZkbDtm>=:b2) and "
    "ZkbDtm<=:b3) group by ZkbPnr,ZkbZtr,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbStg,ZkbSta order by ZkbZkt";
// kMonthValues for all accounts of an employee at once.
constexpr char kEmployeeMonthValues[] =
    "select ZkbPnr ,ZkbZtr ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSta  from "
    "Hor331Zkb where (((ZkbPnr=:b0 and ZkbZtr=3) and ZkbDtm>=:b1) and ZkbDtm<=:b2) order by "
    "ZkbZkt,ZkbDtm";
constexpr int16_t kPartialTopasRun = 2;

// What the period run keeps of one employment row; cleared for every row.
struct RowState {
  DayFigures figures;
  double checkDays = 0;  // tenths of a day; reduce Zk2Svt
  CostAssignment cost;
  bool costRead = false;
  bool written = false;  // a period record was attempted
};

// The month values (ZkbZtr 3) of one employee in the period, read with one
// cursor for all interface lines (or taken from those read ahead); the run
// does not write bookings. The rows
// of one account come in the order kMonthValues reads them, as both order by
// account and day. When a row cannot be read, the employee's accounts are
// read one by one with kMonthValues, which reports the failure.
class MonthValues {
 public:
  // Reads the employee's values unless they are read already; false when
  // they could not be read.
  bool read(RunContext& ctx, const std::string& pnr, const Span& period) {
    if (pnr == pnr_ && period == period_) return complete_;
    pnr_ = pnr, period_ = period;
    if (auto kept = ctx.daysAhead ? ctx.daysAhead->monthValues(pnr, period) : std::nullopt) {
      rows_ = std::move(*kept);
      for (Booking& b : rows_) b.dtm.clear(), b.dat.clear();  // columns the statement lacks
      return complete_ = true;
    }
    rows_.clear();
    db::Cursor c(ctx.db, kEmployeeMonthValues, db::Cursor::Mode::FewRows);
    openCursor(ctx, c, {pnr, period.von, period.bis});
    Booking b;
    int st;
    while ((st = fetchAccountRow(c, b)) == db::kOk) rows_.push_back(b);
    c.close();
    ctx.abortIfFatal(st);
    complete_ = st == db::kNoData;
    return complete_;
  }

  // The values of the account (ZkbZkt=:zkt: an empty account has none).
  std::vector<const Booking*> ofAccount(const std::string& zkt) const {
    std::vector<const Booking*> out;
    if (zkt.empty()) return out;
    for (const Booking& b : rows_)
      if (b.zkt == zkt) out.push_back(&b);
    return out;
  }

 private:
  std::string pnr_;
  Span period_;
  bool complete_ = false;
  std::vector<Booking> rows_;
};

class PeriodRun : EmployeeWalk {
 public:
  PeriodRun(RunContext& ctx, Span& own, const std::string& akr, int32_t abrnr, int16_t offset,
            bool followMonth)
      : EmployeeWalk(ctx, kEmploymentRows),
        own_(own),
        runAkr_(akr),
        abrnr_(abrnr),
        offset_(offset),
        followMonth_(followMonth),
        booked_{ctx.abrVon, ctx.abrBis},
        periodRecords_(ctx.db, ctx.abrnr, ctx.lfn, numbers_),
        workRecords_(ctx.db, ctx.runKey(), ctx.abrnr, ctx.lfn) {
    periodRecords_.gather(ctx);
    workRecords_.gather(ctx);
  }

  void run() {
    if (!followMonth_) deleteEarlierResults();
    if (ctx_.lug.typeIs("LOGA2")) ctx_.abortIfFatal(numbers_.start(ctx_.db));
    ctx_.log("AbrNum: %ld, Von: %s  bis: %s", static_cast<long>(abrnr_), booked_.von.c_str(),
             booked_.bis.c_str());
    if (!followMonth_) own_ = booked_;
    bookingDate_ = bookingDate(own_, ctx_.lug.dtm);
    ctx_.log(ctx_.lug.pnr != 0 ? "Nur LuG-PersNr verarbeiten\n" : "Alle PersNr verarbeiten\n");
    readRecordKinds();
    hasInterruptionLine_ =
        readInterruptionLine(ctx_, ctx_.lug.lug, booked_, interruption_) == db::kOk;
    walk({.akr = runAkr_, .lug = ctx_.lug, .own = own_, .booked = booked_});
  }

 private:
  const std::string& filter() const { return ctx_.pnrFilter; }
  bool finalRun() const { return ctx_.interim == 0; }

  void deleteEarlierResults() {
    const int16_t lfn = ctx_.lfn;
    int st = filter().empty() ? ctx_.db.exec(kDeleteRecords, {abrnr_, lfn})
                              : ctx_.db.exec(kDeleteEmployeeRecords, {abrnr_, lfn, filter()});
    if (st != db::kOk && st != db::kNoData)
      ctx_.fail(st, "Fehler beim Loeschen der 331Zk1 %d, Abr: %ld", st, static_cast<long>(abrnr_));
    st = filter().empty() ? ctx_.db.exec(kDeleteSummaries, {abrnr_})
                          : ctx_.db.exec(kDeleteEmployeeSummaries, {abrnr_, filter()});
    if (st != db::kOk && st != db::kNoData)
      ctx_.fail(st, "Fehler beim Loeschen der 331Zk2: %d, Abr: %ld", st, static_cast<long>(abrnr_));
  }

  void readRecordKinds() {
    const int st = calc::readRecordKinds(ctx_, ctx_.lug.lgp, recordKinds_);
    if (recordKinds_.empty()) ctx_.fail(st, "Keine Satzarten gefunden !");
  }

  void compute(const Employment& row, bool newEmployee) override {
    row_ = RowState{};
    if (!followMonth_ && finalRun()) {
      daySummary(row);
      if (newEmployee && hasInterruptionLine_) interruptions(row);
    }
    if (newEmployee) {
      scope_ = {row.pnr, row.upn(), akr(), lug().dtm, booked_, own_, followMonth_};
      for (const std::string& stz : recordKinds_) recordKind(row, stz);
    }
    // Every row's records (an older row's are its balance records only) are
    // written with the row, so that a failure is logged under its employee.
    writeGathered();
    if (newEmployee && !followMonth_ && ctx_.lfn != kPartialTopasRun &&
        ctx_.site == kSiteWithAccountValues)
      accountValues(row);
    if (!followMonth_)
      writeDaySummary(ctx_, ctx_.abrnr, row.pnr, booked_.von, 0,
                      finished(row_.figures, row_.checkDays));
    if (!row_.written) ctx_.log("  - keine Daten ermittelt");
  }

  // The employee's records gathered under the interface lines.
  void writeGathered() {
    periodRecords_.flush();
    workRecords_.flush();
  }

  void daySummary(const Employment& row) {
    const bool psybr = lug().typeIs("PSYBR");
    const SummaryInput in{row.pnr, employmentSpan(row, booked_), booked_, akr(), psybr};
    row_.figures = employmentFigures(ctx_, in, employedDays());
    readCost(row.pnr);
    writeSpecialKeys(
        ctx_,
        {row, booked_, lug().lug, psybr, bookingDate_, sessionDate(ctx_.startTime), row_.cost},
        periodRecords_);
    bookingFigures(ctx_, in, row_.figures);
  }

  void readCost(const std::string& pnr) {
    if (readMasterCost(ctx_, pnr, booked_, row_.cost) == db::kNoData)
      ctx_.log("Keine Stammkostenstelle für PNR %s", pnr.c_str());
    row_.costRead = true;
  }

  void interruptions(const Employment& row) {
    const InterruptionInput in{row.pnr, row.upn(), booked_, bookingDate_, row_.cost};
    if (handOverInterruptions(ctx_, interruption_, in, periodRecords_) > 0) row_.written = true;
  }

  void accountValues(const Employment& row) {
    if (!row_.costRead) readCost(row.pnr);
    const SiteValuesInput in{row.pnr,       row.upn(),     booked_,
                             row_.cost.kst, row_.cost.ktr, bookingDate_};
    siteValues(ctx_, in, periodRecords_);
  }

  // The interface lines of one record kind.
  void recordKind(const Employment& row, const std::string& stz) {
    LineCursor lines(ctx_, kLines, [&](const InterfaceLines::Line& l) {
      return InterfaceLines::equal(l.values.num, lug().lug) &&
             InterfaceLines::equal(l.values.stz, stz) &&
             InterfaceLines::validIn(l, booked_.von, booked_.bis);
    });
    int st = lines.open({lug().lug, stz, booked_.von, booked_.bis});
    if (st != db::kOk) ctx_.fail(st, "Warnung Hor171Lu1-Status: %d, Stz: %s", st, stz.c_str());
    InterfaceLine line;
    NewestLines newest(ctx_);
    while (st == db::kOk && (st = lines.fetch(line)) != db::kNoData) {
      if (st != db::kOk) {
        ctx_.fail(st, "Warnung Hor171Lu1-Status: %d, Stz: %s", st, stz.c_str());
        st = db::kOk;  // the line is skipped
        continue;
      }
      if (!newest.counts(line)) continue;
      if (ctx_.lfn >= 1 && line.ztr == 0 && ctx_.topas == 0) continue;
      interfaceLine(row, line);
    }
    lines.close();
  }

  bool applies(const InterfaceLine& line) const {
    return followMonth_ ? line.flg == offset_ : line.flg == 0;
  }

  void interfaceLine(const Employment& row, const InterfaceLine& line) {
    if (!applies(line)) return;
    const bool summed = line.ztr != 0 || (ctx_.topas != 0 && ctx_.lfn == kPartialTopasRun);
    if (!summed && monthValues_.read(ctx_, row.pnr, booked_)) {
      for (const Booking* b : monthValues_.ofAccount(line.ztk)) booking(line, *b);
      return;
    }
    if (summed && ctx_.daysAhead)
      if (const auto values = ctx_.daysAhead->summedDayValues(row.pnr, line.ztk, booked_)) {
        for (const Booking& b : *values) booking(line, b);
        return;
      }
    db::Cursor bookings(ctx_.db, summed ? kSummedDayValues : kMonthValues,
                        db::Cursor::Mode::FewRows);
    // An open that fails repeats its status at the first fetch, which
    // reports it with the step's message.
    bookings.open({row.pnr, line.ztk, booked_.von, booked_.bis});
    Booking b;
    int st;
    while ((st = fetchAccountRow(bookings, b)) == db::kOk) booking(line, b);
    if (st != db::kNoData)
      ctx_.fail(st, "Warnung Monatszeitkonto-Status: %d, Pnr: %s, Zkt: %s", st, row.pnr.c_str(),
                line.ztk.c_str());
    bookings.close();
  }

  // Period accounts go to the work table once the period has interim runs,
  // so that only their differences are handed over.
  void booking(const InterfaceLine& line, const Booking& b) {
    const bool spansToPeriodRecords = ctx_.highestLfn == 0 || ctx_.topas != 0;
    RecordWriter& spans =
        spansToPeriodRecords ? static_cast<RecordWriter&>(periodRecords_) : workRecords_;
    const LineTargets to{periodRecords_,
                         spans,
                         false,
                         "Insert Hor331Zk1-Status %d",
                         "Insert 331Zk1-Status %d",
                         "Update Hor331Zk1-Status %d"};
    if (handOverBooking(ctx_, scope_, line, b, to, row_.checkDays) &&
        (line.ztr == 0 || spansToPeriodRecords))
      row_.written = true;
  }

  Span& own_;
  const std::string runAkr_;
  const int32_t abrnr_;
  const int16_t offset_;
  const bool followMonth_;
  const Span booked_;
  std::string bookingDate_;
  LineScope scope_;  // of the employee whose accounts are computed
  MonthValues monthValues_;
  std::vector<std::string> recordKinds_;
  InterruptionLine interruption_;
  bool hasInterruptionLine_ = false;
  SequenceNumbers numbers_;
  PeriodRecords periodRecords_;
  WorkRecords workRecords_;
  RowState row_;
};

}  // namespace

void periodRun(RunContext& ctx, Span& ownPeriod, const std::string& akr, int32_t abrnr,
               int16_t offset, int16_t followMonth) {
  const EmployeeDays::Keeping keeping(ctx);
  PeriodRun(ctx, ownPeriod, akr, abrnr, offset, followMonth != 0).run();
}

}  // namespace lug::calc
