#include "calc/employee_days.h"

namespace lug::calc {
namespace {

constexpr char kDayCodesOfSpan[] =
    "select TagTag ,TagTgb ,TagHtv ,TagHtn  from Hor327Tag where (((TagPnr=:b0 and TagTag>=:b1) "
    "and TagTag<=:b2) and ((TagTgb is  not null  or TagHtv is  not null ) or TagHtn is  not null "
    "))";
constexpr char kDayTargetsOfSpan[] =
    "select TgbDtm ,TgbSol  from Hor320Tgb where (((TgbPnr=:b0 and TgbZtr=1) and TgbDtm>=:b1) and "
    "TgbDtm<=:b2)";

}  // namespace

// The span's rows are those whose stored day lies between its bounds as text,
// which is how the statements compare days; so every row that equals a day
// between the bounds was read.
bool EmployeeDays::covers(const std::string& pnr, const std::string& day) const {
  return pnr == pnr_ && !pnr_.empty() && !span_.von.empty() && !span_.bis.empty() &&
         span_.von <= day && day <= span_.bis;
}

int EmployeeDays::dayCodes(const std::string& pnr, const std::string& day, DayCodes& codes) {
  if (covers(pnr, day) && codesLoad_ == Load::NotYet) loadCodes();
  if (!covers(pnr, day) || codesLoad_ != Load::Done) return readDayCodes(ctx_, pnr, day, codes);
  const auto it = codes_.find(day);
  if (it == codes_.end()) {
    codes = DayCodes{};
    return db::kNoData;
  }
  if (it->second.rows > 1) return readDayCodes(ctx_, pnr, day, codes);
  codes = it->second.codes;
  return db::kOk;
}

int EmployeeDays::dayTarget(const std::string& pnr, const std::string& day, int32_t& sol) {
  if (covers(pnr, day) && targetsLoad_ == Load::NotYet) loadTargets();
  if (!covers(pnr, day) || targetsLoad_ != Load::Done) return readDayTarget(ctx_, pnr, day, sol);
  const auto it = targets_.find(day);
  if (it == targets_.end()) {
    sol = 0;
    return db::kNoData;
  }
  if (it->second.rows > 1) return readDayTarget(ctx_, pnr, day, sol);
  sol = it->second.sol;
  return it->second.status;
}

void EmployeeDays::loadCodes() {
  db::Cursor rows(ctx_.db, kDayCodesOfSpan);
  int st = rows.open({pnr_, span_.von, span_.bis});
  std::string day;
  DayCodes c;
  while (st == db::kOk &&
         (st = rows.fetch({db::Out(day).asStored(), c.whole, c.first, c.second})) == db::kOk) {
    Codes& entry = codes_[day];
    entry.codes = c;
    ++entry.rows;
  }
  rows.close();
  ctx_.abortIfFatal(st);
  codesLoad_ = st == db::kNoData ? Load::Done : Load::Failed;
}

// A NULL target reads as the single-row statement answers it: -1405 and 0.
void EmployeeDays::loadTargets() {
  db::Cursor rows(ctx_.db, kDayTargetsOfSpan);
  int st = rows.open({pnr_, span_.von, span_.bis});
  std::string day;
  int32_t sol = 0;
  while (st == db::kOk || st == db::kNullFetch) {
    st = rows.fetch({db::Out(day).asStored(), db::Out(sol).required()});
    if (st != db::kOk && st != db::kNullFetch) break;
    Target& entry = targets_[day];
    entry.status = st;
    entry.sol = sol;
    ++entry.rows;
  }
  rows.close();
  ctx_.abortIfFatal(st);
  targetsLoad_ = st == db::kNoData ? Load::Done : Load::Failed;
}

}  // namespace lug::calc
