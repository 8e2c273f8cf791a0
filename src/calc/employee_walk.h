#pragma once
// The walk over an accounting group's employment rows (by personnel number,
// newest row first) that the period run and the recalculation share: it skips
// the rows of employees who left for another group or entered the group later,
// and computes a row of one who came from another group under that group.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "calc/source_rows.h"

namespace lug::calc {

struct EmploymentCursor {
  const char *all, *payroll;  // statements: all employees, those with LugPnr != 0
  int (*fetch)(db::Cursor& c, Employment& e);
  const char *leftGroup, *interfaceReadFailed;  // messages: with the pnr, with the status
};

struct WalkScope {
  std::string akr;   // the group walked
  InterfaceRow lug;  // its interface
  Span own, booked;  // rows reach to own's last day and back to booked's first
};

class EmployeeWalk {
 protected:
  EmployeeWalk(RunContext& ctx, const EmploymentCursor& cursor) : ctx_(ctx), cursor_(cursor) {}
  ~EmployeeWalk() = default;
  RunContext& ctx_;  // the run's, shared with the steps

  void walk(const WalkScope& scope) {
    scope_ = scope;
    db::Cursor rows(ctx_.db, scope.lug.pnr != 0 ? cursor_.payroll : cursor_.all);
    rows.open({scope.akr, scope.own.bis, scope.booked.von});  // a failure shows at the fetch
    Ahead ahead(rows, cursor_.fetch, ctx_.pnrFilter);
    Employment row;
    while (ahead.next(row)) {
      ctx_.walkAhead = ahead.pnrs(row);
      logEmployment(ctx_, row);
      const bool first = row.pnr != previousPnr_;
      if (first) previousPnr_ = row.pnr, employedDays_ = 0;
      if (left(row) || (row.gvo > scope_.booked.bis && !enteredLater(row))) continue;
      compute(row, first);
      other_.reset();
    }
    ctx_.walkAhead.clear();
    ctx_.fail(ahead.status(), "PersNr-Lesen Status: %d", ahead.status());
    rows.close();
  }

  const std::string& akr() const { return other_ ? other_->akr : scope_.akr; }   // of the row
  const InterfaceRow& lug() const { return other_ ? other_->lug : scope_.lug; }  // of akr()
  double& employedDays() { return employedDays_; }  // of the employee's rows so far

  virtual void leftGroup(const Employment&) {}                  // skipped: the employee left
  virtual void stillInGroup(const Employment&) {}               // ended, the employee stays
  virtual void cameFromOtherGroup(const Employment&) {}         // computed under the former group
  virtual void compute(const Employment& row, bool first) = 0;  // first: the employee's newest

 private:
  bool left(const Employment& row) {
    std::string group;
    if (openEnd(row.gbi) || row.gbi > scope_.own.von ||
        readGroupInSpan(ctx_, row.pnr, scope_.own, group) != db::kOk)
      return false;
    if (group == scope_.akr) {
      stillInGroup(row);
      return false;
    }
    ctx_.log(cursor_.leftGroup, row.pnr.c_str());
    leftGroup(row);
    return true;
  }

  bool enteredLater(const Employment& row) {
    other_ =
        enteredFromOtherGroup(ctx_, row, scope_.booked, scope_.akr, cursor_.interfaceReadFailed);
    if (!other_) {
      previousPnr_.clear();
      return false;
    }
    cameFromOtherGroup(row);
    return true;
  }

  // The employment rows fetched ahead of the one computed (those of the
  // personnel number filter, when there is one), so that reads can take
  // several employees at once and send the next ones' reads ahead
  // (calc/rows_ahead.h: three windows of 32).
  class Ahead {
   public:
    Ahead(db::Cursor& rows, int (*fetch)(db::Cursor&, Employment&), const std::string& filter)
        : rows_(rows), fetch_(fetch), filter_(filter) {}

    bool next(Employment& row) {
      while (status_ == db::kOk && fetched_.size() < kRows) {
        Employment e;
        if ((status_ = fetch_(rows_, e)) == db::kOk && (filter_.empty() || filter_ == e.pnr))
          fetched_.push_back(std::move(e));
      }
      if (fetched_.empty()) return false;
      row = std::move(fetched_.front());
      fetched_.pop_front();
      return true;
    }
    // The personnel numbers of `row` and of the rows fetched after it, each once.
    std::vector<std::string> pnrs(const Employment& row) const {
      std::vector<std::string> out{row.pnr};
      for (const Employment& e : fetched_)
        if (e.pnr != out.back()) out.push_back(e.pnr);
      return out;
    }
    int status() const { return status_; }  // of the last fetch: 1403 at the normal end

   private:
    static constexpr size_t kRows = 96;
    db::Cursor& rows_;
    int (*const fetch_)(db::Cursor&, Employment&);
    const std::string& filter_;
    std::deque<Employment> fetched_;
    int status_ = db::kOk;
  };

  const EmploymentCursor cursor_;
  WalkScope scope_;
  std::optional<OtherGroup> other_;  // the group the employee came from
  std::string previousPnr_;
  double employedDays_ = 0;
};

}  // namespace lug::calc
