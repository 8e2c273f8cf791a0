#pragma once
// The walk over an accounting group's employment rows (by personnel number,
// newest row first) that the period run and the recalculation share: it skips
// the rows of employees who left for another group or entered the group later,
// and computes a row of one who came from another group under that group.
#include <optional>
#include <string>

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
    Employment row;
    int st;
    while ((st = cursor_.fetch(rows, row)) == db::kOk) {
      if (!ctx_.pnrFilter.empty() && ctx_.pnrFilter != row.pnr) continue;
      logEmployment(ctx_, row);
      const bool first = row.pnr != previousPnr_;
      if (first) previousPnr_ = row.pnr, employedDays_ = 0;
      if (left(row) || (row.gvo > scope_.booked.bis && !enteredLater(row))) continue;
      compute(row, first);
      other_.reset();
    }
    ctx_.fail(st, "PersNr-Lesen Status: %d", st);  // 1403 at the normal end
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

  const EmploymentCursor cursor_;
  WalkScope scope_;
  std::optional<OtherGroup> other_;  // the group the employee came from
  std::string previousPnr_;
  double employedDays_ = 0;
};

}  // namespace lug::calc
