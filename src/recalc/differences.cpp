#include "recalc/differences.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "base/run_statements.h"
#include "calc/interface_lines.h"
#include "calc/records.h"
#include "calc/source_rows.h"
#include "db/insert_or_add.h"
#include "db/multi_row_insert.h"

namespace lug::recalc {
namespace {

// The old records are read grouped; the engine sorts them for the grouping
// before it returns the first group, so the difference records written into
// Hor331Zk1 while the cursor is open are not read back as old records.
constexpr char kOldRecords[] =
    "select Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt ,sum(Zk1Std) "
    ",sum(Zk1Tge) ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Upn ,Zk1Inf ,max(Zk1Su1)  from Hor331Zk1 where "
    "((Zk1Abr in (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11) or (Zk1Abr=:b12 and "
    "Zk1Rrn<>Zk1Abr)) and Zk1Rre>0) group by "
    "Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,Zk1Krt,Zk1Von,Zk1Bis,Zk1Sts,Zk1Upn,"
    "Zk1Inf";
constexpr char kOldTopasRecords[] =
    "select Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt ,sum(Zk1Std) "
    ",sum(Zk1Tge) ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Upn ,Zk1Inf ,max(Zk1Su1)  from Hor331Zk1 where "
    "((Zk1Abr in (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11) and Zk1Rre>0) and "
    "Zk1Lfn<>2) group by "
    "Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,Zk1Krt,Zk1Von,Zk1Bis,Zk1Sts,Zk1Upn,"
    "Zk1Inf";
constexpr char kInterimRecords[] =
    "select Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt ,sum(Zk1Std) "
    ",sum(Zk1Tge) ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Upn ,Zk1Inf ,max(Zk1Su1)  from Hor331Zk1 where "
    "(((Zk1Abr=:b0 and Zk1Lfn>0) and Zk1Lfn<1000) and (Zk1Rrn is null  or Zk1Rrn=Zk1Abr)) group "
    "by Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,Zk1Krt,Zk1Von,Zk1Bis,Zk1Sts,"
    "Zk1Upn,Zk1Inf";
constexpr char kConsume[] =
    "delete  from Hor331Zk3  where ((((((((((Zk3Key=:b0 and Zk3Stz=:b1) and Zk3Bdt=:b2) and "
    "Zk3Pnr=:b3) and Zk3Zkt=:b4) and Zk3Lna=:b5) and Zk3Lgr=:b6) and Zk3Kst=:b7) and Zk3Ktr=:b8) "
    "and Zk3Von=:b9) and Zk3Bis=:b10)";
// The new rows of one record kind and booking date, by employee, and the
// deletion of the rows of employees all of whose rows are consumed.
constexpr char kNewRowsOfDate[] =
    "select Zk3Pnr ,Zk3Zkt ,Zk3Lna ,Zk3Lgr ,Zk3Kst ,Zk3Ktr ,Zk3Von ,Zk3Bis ,Zk3Std ,Zk3Tge ,Zk3Inf "
    ",Zk3Abr  from Hor331Zk3 where ((Zk3Key=:b0 and Zk3Stz=:b1) and Zk3Bdt=:b2) order by Zk3Pnr";
constexpr char kNewRowsOfEmployee[] =
    "select Zk3Pnr ,Zk3Zkt ,Zk3Lna ,Zk3Lgr ,Zk3Kst ,Zk3Ktr ,Zk3Von ,Zk3Bis ,Zk3Std ,Zk3Tge ,Zk3Inf "
    ",Zk3Abr  from Hor331Zk3 where (((Zk3Key=:b0 and Zk3Stz=:b1) and Zk3Bdt=:b2) and Zk3Pnr=:b3)";
// Grown to one alternative of run key and employee per employee; the rows
// are found through the unique key's index, which leads with run key, record
// kind, booking date and employee, as the new rows of a date are.
constexpr char kConsumeEmployees[] =
    "delete  from Hor331Zk3  where ((Zk3Stz=:b0 and Zk3Bdt=:b1) and (Zk3Key=:b2 and "
    "Zk3Pnr=:b3))";
constexpr char kNewRows[] =
    "select Zk3Stz ,Zk3Bdt ,Zk3Pnr ,Zk3Zkt ,Zk3Lna ,Zk3Lgr ,Zk3Kst ,Zk3Ktr ,Zk3Krt ,Zk3Std ,Zk3Tge "
    ",Zk3Von ,Zk3Bis ,Zk3Sts ,Zk3Upn ,Zk3Inf ,Zk3Abr  from Hor331Zk3 where Zk3Key=:b0";
constexpr char kDeleteRunRows[] = "delete  from Hor331Zk3  where Zk3Key=:b0";
constexpr char kPeriodAccountLine[] =
    "select Lu1Ztr into :b0:b1  from Hor171Lu1 where (((((Lu1Num=:b2 and Lu1Stz=:b3) and "
    "Lu1Ztk=:b4) and Lu1Lna=:b5) and Lu1Gvo<=:b6) and (Lu1Gbi is null  or Lu1Gbi>=:b7))";
// Opens as many parentheses as it closes (two more openings would make every
// database refuse it, and every cancellation lose its period of origin).
constexpr char kOrigin[] =
    "select Zk1Abr ,Zk1Rre into :b0,:b1:b2  from Hor331Zk1 where (((((((((((((Zk1Stz=:b3 and "
    "Zk1Bdt=:b4) and Zk1Pnr=:b5) and Zk1Zkt=:b6) and Zk1Lna=:b7) and Zk1Lgr=:b8) and Zk1Kst=:b9) "
    "and Zk1Ktr=:b10) and Zk1Krt=:b11) and Zk1Von=:b12) and Zk1Bis=:b13) and Zk1Upn=:b14) and "
    "Zk1Std=:b15) and Zk1Tge=:b16)";
constexpr char kInsertDifference[] =
    "insert into Hor331Zk1 (Zk1Abr,Zk1Lfn,Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,"
    "Zk1Krt,Zk1Std,Zk1Tge,Zk1Von,Zk1Bis,Zk1Sts,Zk1Rre,Zk1Sta,Zk1Dat,Zk1Upn,Zk1Inf,Zk1Rrn,Zk1Su1) "
    "values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,'1',"
    "SYSDATE,:b17,:b18,:b19,:b20)";
// Adds to the difference record of this run whose key a second one hit; the
// records of other runs of the period, handed over already, stay as they are.
constexpr char kAddDifference[] =
    "update Hor331Zk1  set Zk1Std=(Zk1Std+:b0),Zk1Tge=(Zk1Tge+:b1),Zk1Dat=SYSDATE where "
    "(((((((((((Zk1Abr=:b2 and Zk1Lfn=:b3) and Zk1Stz=:b4) and Zk1Bdt=:b5) and Zk1Pnr=:b6) and "
    "Zk1Zkt=:b7) and Zk1Lna=:b8) and Zk1Lgr=:b9) and Zk1Kst=:b10) and Zk1Ktr=:b11) and "
    "Zk1Von=:b12) and Zk1Bis=:b13)";
constexpr char kInsertJournal[] =
    "insert into Hor331Zk5 (Zk5Key,Zk5Abr,Zk5Stz,Zk5Bdt,Zk5Pnr,Zk5Zkt,Zk5Lna,Zk5Lgr,Zk5Kst,Zk5Ktr,"
    "Zk5Krt,Zk5Std,Zk5Tge,Zk5Von,Zk5Bis,Zk5Sts,Zk5Rre,Zk5Upn,Zk5Inf,Zk5Su1) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,:b19)";

constexpr int16_t kDifferenceRecord = 2;  // Zk1Rre
constexpr int32_t kReposting = 3;         // Zk5Rre
constexpr int32_t kCancellation = 4;

// The columns an old group and a new row share.
struct Compared {
  std::string stz{}, bdt{}, pnr{}, zkt{}, lna{}, lgr{}, kst{}, ktr{}, krt{};
  int32_t std = 0, tge = 0;  // minutes, tenths of a day
  std::string von{}, bis{};
  int16_t sts = 0;
  std::string upn{};
  int16_t inf = 0;
};

// The records handed over so far for one record key, summed.
struct OldGroup : Compared {
  double su1 = 0;  // the largest sequence number
};

// A value computed now.
struct NewRow : Compared {
  int32_t abr = 0;  // the period it belongs to
};

int fetchOldGroup(db::Cursor& c, OldGroup& g) {
  return c.fetch({g.stz, g.bdt, g.pnr, g.zkt, g.lna, g.lgr, g.kst, g.ktr, g.krt, g.std, g.tge,
                  g.von, g.bis, g.sts, g.upn, g.inf, g.su1});
}

int fetchNewRow(db::Cursor& c, NewRow& n) {
  return c.fetch({n.stz, n.bdt, n.pnr, n.zkt, n.lna, n.lgr, n.kst, n.ktr, n.krt, n.std, n.tge,
                  n.von, n.bis, n.sts, n.upn, n.inf, n.abr});
}

// The new rows of the record kind, booking date and employee of the old
// groups being compared, so that the counterparts are found in memory. The
// old groups come sorted by record kind, booking date and employee: the new
// rows of a record kind and booking date are read with one cursor sorted by
// employee, merged with the groups as they come. Once a group comes out of
// that order (a server may group by hashing), each employee's rows of the
// booking date are read alone. The rows a group consumed are deleted once the
// comparison moves on to the next employee: with the other employees of the
// booking date, up to 64 in one statement, when no row of the employee is
// left, else with the consumed rows of the booking date's other such
// employees, also up to 64 in one statement. Both go before rows of the
// table are read again.
class NewRowsOfEmployee {
 public:
  explicit NewRowsOfEmployee(RunContext& ctx) : ctx_(ctx) {}

  // As the single-row select of the group's record key would: exactly one
  // row, whose minutes, days and span are not null. Its values replace the
  // group's in `n`.
  bool counterpart(const OldGroup& g, NewRow& n) {
    if (!holds(g)) read(g);
    Row* match = nullptr;
    for (Row& r : rows_) {
      if (r.consumed || !sameKey(r, g)) continue;
      if (match) return false;  // more than one row
      match = &r;
    }
    if (!match || match->values.std.empty() || match->values.tge.empty() ||
        match->row.von.empty() || match->row.bis.empty())
      return false;
    n.Compared::operator=(g);
    n.std = std::stoi(match->values.std), n.tge = std::stoi(match->values.tge);
    n.von = match->row.von, n.bis = match->row.bis, n.inf = match->row.inf;
    n.abr = match->row.abr;
    return true;
  }

  // The rows of the group's record key are consumed.
  void consume(const Compared& g) {
    for (Row& r : rows_)
      if (!r.consumed && sameKey(r, g)) r.consumed = true;
  }

  // Deletes every consumed row; the cursor is closed.
  void finish() {
    leaveEmployee();
    deleteEmployees();
    cursor_.close();
    open_ = false;
  }

 private:
  // Minutes and days as read, empty when null.
  struct Values {
    std::string std, tge;
  };
  struct Row {
    NewRow row;
    Values values;
    bool consumed = false;
  };

  bool holds(const Compared& g) const {
    return open_ && g.stz == stz_ && g.bdt == bdt_ && g.pnr == pnr_;
  }

  void read(const Compared& g) {
    leaveEmployee();
    const bool sameDate = open_ && g.stz == stz_ && g.bdt == bdt_;
    if (merging_ && sameDate && g.pnr < pnr_) merging_ = false;  // not sorted by employee
    if (!merging_) return readEmployee(g);
    if (!sameDate) openDate(g);
    pnr_ = g.pnr;
    while (ahead_ && next_.row.pnr < pnr_) advance();
    while (ahead_ && next_.row.pnr == pnr_) {
      rows_.push_back(next_);
      advance();
    }
  }

  void openDate(const Compared& g) {
    deleteEmployees();
    stz_ = g.stz, bdt_ = g.bdt, pnr_.clear();
    calc::openCursor(ctx_, cursor_, {ctx_.runKey(), stz_, bdt_});
    open_ = true;
    advance();
  }

  // Groups that do not come sorted by employee read the rows of their
  // employee alone, after the consumed rows read before are deleted.
  void readEmployee(const Compared& g) {
    deleteEmployees();
    cursor_.close();
    stz_ = g.stz, bdt_ = g.bdt, pnr_ = g.pnr, open_ = true, ahead_ = false;
    db::Cursor rows(ctx_.db, kNewRowsOfEmployee, db::Cursor::Mode::FewRows);
    calc::openCursor(ctx_, rows, {ctx_.runKey(), stz_, bdt_, pnr_});
    Row r;
    while (fetchRow(rows, r)) rows_.push_back(r);
  }

  // Reads the next row of the cursor into next_.
  void advance() { ahead_ = fetchRow(cursor_, next_); }

  bool fetchRow(db::Cursor& c, Row& r) {
    NewRow& n = r.row;
    n.stz = stz_, n.bdt = bdt_;
    const int st = c.fetch({n.pnr, n.zkt, n.lna, n.lgr, n.kst, n.ktr, n.von, n.bis, r.values.std,
                            r.values.tge, n.inf, n.abr});
    ctx_.abortIfFatal(st);
    return st == db::kOk;
  }

  // The consumed rows of the employee read last: the employee joins those
  // to be deleted as a whole, or its consumed rows are deleted one by one.
  void leaveEmployee() {
    const auto consumed = [](const Row& r) { return r.consumed; };
    if (!rows_.empty() && std::all_of(rows_.begin(), rows_.end(), consumed) && !pnr_.empty()) {
      employees_.push_back(pnr_);
      if (employees_.size() == db::kMaxInsertRows) deleteEmployees();
    } else {
      for (const Row& r : rows_)
        if (r.consumed) consumed_.push_back(r.row);
      if (consumed_.size() >= db::kMaxInsertRows) deleteEmployees();
    }
    rows_.clear();
  }

  // The alternatives are padded to a power of two with the last employee or
  // row: the same rows go, and a run prepares at most seven texts of each
  // statement instead of one for every number of alternatives.
  void deleteEmployees() {
    deleteConsumed();
    if (employees_.empty()) return;
    const size_t alternatives = std::bit_ceil(employees_.size());
    std::vector<db::In> in{stz_, bdt_, ctx_.runKey()};
    for (size_t i = 0; i < alternatives; ++i)
      in.emplace_back(employees_[std::min(i, employees_.size() - 1)]);
    ctx_.abortIfFatal(ctx_.db.exec(db::moreAlternatives(kConsumeEmployees, alternatives), in));
    employees_.clear();
  }

  void deleteConsumed() {
    for (size_t done = 0; done < consumed_.size();) {
      const size_t n = std::min(db::kMaxInsertRows, consumed_.size() - done);
      const size_t alternatives = std::bit_ceil(n);
      std::vector<db::In> in;
      for (size_t i = 0; i < alternatives; ++i)
        for (db::In& v : consumeValues(consumed_[done + std::min(i, n - 1)])) in.push_back(v);
      ctx_.abortIfFatal(ctx_.db.exec(db::anyOfRows(kConsume, alternatives), in));
      done += n;
    }
    consumed_.clear();
  }

  // Equality of the key columns, empty equal to empty, as the statements compare them.
  static bool sameKey(const Row& r, const Compared& g) {
    const NewRow& n = r.row;
    return n.zkt == g.zkt && n.lna == g.lna && n.lgr == g.lgr && n.kst == g.kst && n.ktr == g.ktr &&
           n.von == g.von && n.bis == g.bis;
  }

  std::vector<db::In> consumeValues(const Compared& c) const {
    return {ctx_.runKey(), c.stz, c.bdt, c.pnr, c.zkt, c.lna, c.lgr, c.kst, c.ktr, c.von, c.bis};
  }

  RunContext& ctx_;
  db::Cursor cursor_{ctx_.db, kNewRowsOfDate};
  bool merging_ = true;  // while the groups come sorted by employee
  bool open_ = false;
  std::string stz_, bdt_, pnr_;  // of the rows in rows_
  std::vector<Row> rows_;
  Row next_;  // the cursor's next row, while ahead_
  bool ahead_ = false;
  std::vector<std::string> employees_;  // whose rows of stz_ and bdt_ are all consumed
  std::vector<NewRow> consumed_;        // consumed rows of the other employees
};

// The run-log lines of one kind of comparison.
struct Messages {
  const char* title;    // logged after a blank line
  const char* changed;  // the value changed
  const char* changedFailed;
  const char* cancelled;  // the value is gone
  const char* cancelledFailed;
  const char* added;  // a value without old record
  const char* addedFailed;
  const char* repostingFailed;  // journal rows
  const char* cancellationFailed;
};

constexpr Messages kRecalculated{"Differenzen ermitteln:",
                                 "Differenzsatz schreiben(1), Pnr: %s",
                                 "  Schreiben ZK1 INSERT-Satz(RR1), Status : %d",
                                 "Differenzsatz schreiben(Del), Pnr: %s",
                                 "  Schreiben ZK1 INSERT-Satz(RR2), Status : %d",
                                 "Differenzsatz schreiben(Ins), Pnr: %s",
                                 "  Schreiben ZK1 INSERT-Satz(RR3), Status : %d",
                                 "  Schreiben ZK5 INSERT-Satz, Status : %d",
                                 "  Schreiben ZK5 DELETE-Satz, Status : %d"};

constexpr Messages kInterim{
    "Zwischenabrechnung : Differenzen ermitteln:", "Diff.satz schreiben(1) ZwiAbr, Pnr: %s",
    "  ZK1 INSERT-Satz(1) ZwiAbr, Status : %d",    "Diff.satz schreiben(Del) ZwiAbr, Pnr: %s",
    "  ZK1 INSERT-Satz(2) ZwiAbr, Status : %d",    "Diff.satz schreiben(Ins) ZwiAbr, Pnr: %s",
    "  ZK1 INSERT-Satz(3) ZwiAbr, Status : %d",    "  ZK5 INSERT-Satz ZwiAbr, Status : %d",
    "  ZK5 DELETE-Satz ZwiAbr, Status : %d"};

// One comparison of old groups and new rows. Against recalculated periods a
// cancellation or a new value whose record key this run has handed over
// already is added to that record, and old records before the cut-off date
// are left alone; against interim runs neither.
class Comparison {
 public:
  Comparison(RunContext& ctx, const Messages& m, bool recalculated, std::string cutoff = {})
      : ctx_(ctx),
        m_(m),
        recalculated_(recalculated),
        cutoff_(std::move(cutoff)),
        journal_(ctx.lug.typeIs("LOGA") || ctx.lug.typeIs("IBM") || ctx.lug.typeIs("LODAS")) {
    if (ctx.lug.typeIs("LOGA2")) ctx.abortIfFatal(numbers_.start(ctx.db));
    // The new rows were written by this run; a failure only costs speed.
    ctx.abortIfFatal(ctx.db.refreshStatistics("Hor331Zk3"));
  }

  void oldGroups(const char* statement, db::Ins in) {
    db::Cursor old(ctx_.db, statement);
    calc::openCursor(ctx_, old, in);
    OldGroup g;
    int st;
    while ((st = fetchOldGroup(old, g)) == db::kOk) {
      if (!ctx_.pnrFilter.empty() && ctx_.pnrFilter != g.pnr) continue;
      NewRow n;
      if (newRows_.counterpart(g, n)) {
        changed(g, n);
        newRows_.consume(g);
      } else {
        cancelled(g);
      }
    }
    ctx_.abortIfFatal(st);
    old.close();
    newRows_.finish();
  }

  // The new rows no old group consumed; then the run key's rows are deleted.
  void newRows() {
    db::Cursor rows(ctx_.db, kNewRows);
    calc::openCursor(ctx_, rows, {ctx_.runKey()});
    NewRow n;
    int st;
    while ((st = fetchNewRow(rows, n)) == db::kOk) added(n);
    ctx_.abortIfFatal(st);
    rows.close();
    ctx_.abortIfFatal(ctx_.db.exec(kDeleteRunRows, {ctx_.runKey()}));
  }

 private:
  void changed(const OldGroup& g, const NewRow& n) {
    const int32_t minutes = n.std - g.std, days = n.tge - g.tge;
    if (minutes == 0 && days == 0) return;
    ctx_.log(m_.changed, g.pnr.c_str());
    double su1 = 0;
    const int st = insertDifference(g, minutes, days, n.inf, n.abr, su1);
    if (st != db::kOk) ctx_.fail(st, m_.changedFailed, st);
    if (!journal_) return;
    journal(n, kReposting, su1, m_.repostingFailed);
    journal(g, kCancellation, g.su1, m_.cancellationFailed);
  }

  void cancelled(const OldGroup& g) {
    if (g.std == 0 && g.tge == 0) return;
    if (recalculated_ && g.bdt < cutoff_) return;
    const int32_t origin = recalculated_ ? originPeriod(g) : ctx_.abrnr;
    ctx_.log(m_.cancelled, g.pnr.c_str());
    if (journal_) journal(g, kCancellation, g.su1, m_.cancellationFailed);
    double su1 = 0;
    store(g, -g.std, -g.tge, g.inf, origin, su1, m_.cancelledFailed);
  }

  void added(const NewRow& n) {
    if (n.std == 0 && n.tge == 0 && !periodAccount(n)) return;
    ctx_.log(m_.added, n.pnr.c_str());
    double su1 = 0;
    store(n, n.std, n.tge, n.inf, n.abr, su1, m_.addedFailed);
    if (journal_) journal(n, kReposting, su1, m_.repostingFailed);
  }

  // The period of the one stored record with exactly the group's values; 0
  // when there is none or more than one.
  int32_t originPeriod(const OldGroup& g) {
    int32_t abr = 0;
    int16_t rre = 0;
    const int st = ctx_.db.exec(kOrigin,
                                {g.stz, g.bdt, g.pnr, g.zkt, g.lna, g.lgr, g.kst, g.ktr, g.krt,
                                 g.von, g.bis, g.upn, g.std, g.tge},
                                {abr, rre});
    ctx_.abortIfFatal(st);
    return st == db::kOk ? abr : 0;
  }

  // Whether the new row's interface line is a period account, whose spans
  // are handed over even without minutes and days.
  bool periodAccount(const NewRow& n) {
    using calc::InterfaceLines;
    const InterfaceLines& lines = InterfaceLines::of(ctx_);
    if (!lines.inMemory()) {
      int16_t ztr = 0;
      ctx_.abortIfFatal(ctx_.db.exec(kPeriodAccountLine,
                                     {ctx_.lug.lug, n.stz, n.zkt, n.lna, n.von, n.bis}, {ztr}));
      return ztr != 0;
    }
    const calc::InterfaceLine* line = nullptr;
    lines.selectOne(
        [&](const InterfaceLines::Line& l) {
          return InterfaceLines::equal(l.values.num, ctx_.lug.lug) &&
                 InterfaceLines::equal(l.values.stz, n.stz) &&
                 InterfaceLines::equal(l.values.ztk, n.zkt) &&
                 InterfaceLines::equal(l.values.lna, n.lna) &&
                 InterfaceLines::validIn(l, n.von, n.bis);
        },
        line);
    return line && line->ztr != 0;
  }

  // A difference record whose key this run has handed over already is added
  // to that record when the comparison allows it.
  void store(const Compared& c, int32_t minutes, int32_t days, int16_t inf, int32_t rrn,
             double& su1, const char* failed) {
    su1 = numbers_.candidate(c.sts);
    const db::Written w = db::insertOrAdd(
        ctx_.db, {.insert = kInsertDifference, .add = recalculated_ ? kAddDifference : nullptr},
        differenceValues(c, minutes, days, inf, rrn, su1),
        {static_cast<double>(minutes), days, ctx_.abrnr, ctx_.lfn, c.stz, c.bdt, c.pnr, c.zkt,
         c.lna, c.lgr, c.kst, c.ktr, c.von, c.bis});
    if (w.status == db::kOk && w.step == db::WriteStep::Insert) numbers_.taken(su1);
    if (w.status != db::kOk) ctx_.fail(w.status, failed, w.status);
  }

  // A difference record of the run's period; `su1` receives its sequence number.
  int insertDifference(const Compared& c, int32_t minutes, int32_t days, int16_t inf, int32_t rrn,
                       double& su1) {
    su1 = numbers_.candidate(c.sts);
    const int st =
        ctx_.db.exec(kInsertDifference, differenceValues(c, minutes, days, inf, rrn, su1));
    if (st == db::kOk) numbers_.taken(su1);
    return st;
  }

  std::vector<db::In> differenceValues(const Compared& c, int32_t minutes, int32_t days,
                                       int16_t inf, int32_t rrn, double su1) const {
    return {ctx_.abrnr,
            ctx_.lfn,
            c.stz,
            c.bdt,
            c.pnr,
            c.zkt,
            c.lna,
            c.lgr,
            c.kst,
            c.ktr,
            c.krt,
            static_cast<double>(minutes),
            days,
            c.von,
            c.bis,
            c.sts,
            kDifferenceRecord,
            c.upn,
            inf,
            rrn,
            su1};
  }

  // A journal row: the values (never the difference) of an old group to be
  // cancelled, or of a new row to be posted.
  void journal(const Compared& c, int32_t kind, double su1, const char* failed) {
    const int st =
        ctx_.db.exec(kInsertJournal, {ctx_.runKey(), ctx_.abrnr, c.stz, c.bdt, c.pnr, c.zkt, c.lna,
                                      c.lgr,         c.kst,      c.ktr, c.krt, c.std, c.tge, c.von,
                                      c.bis,         c.sts,      kind,  c.upn, c.inf, su1});
    if (st != db::kOk) ctx_.fail(st, failed, st);
  }

  RunContext& ctx_;
  const Messages& m_;
  const bool recalculated_;
  const std::string cutoff_;
  const bool journal_;
  calc::SequenceNumbers numbers_;
  NewRowsOfEmployee newRows_{ctx_};
};

}  // namespace

void differenceRecords(RunContext& ctx, const std::string& cutoff) {
  ctx.log("\n%s", kRecalculated.title);
  Comparison c(ctx, kRecalculated, true, cutoff);
  const auto& p = ctx.recalcPeriods;
  if (ctx.lug.typeIs("TOPAS"))
    c.oldGroups(kOldTopasRecords,
                {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11]});
  else
    c.oldGroups(kOldRecords, {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10],
                              p[11], ctx.abrnr});
  c.newRows();
  ctx.status = ctx.db.exec(kUnmask);
  ctx.abortIfFatal(ctx.status);
}

void interimDifferences(RunContext& ctx) {
  ctx.log("\n%s", kInterim.title);
  Comparison c(ctx, kInterim, false);
  c.oldGroups(kInterimRecords, {ctx.abrnr});
  c.newRows();
}

void handOverNewValues(RunContext& ctx) {
  Comparison(ctx, kRecalculated, true).newRows();
}

}  // namespace lug::recalc
