#include "calc/employee_days.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <tuple>

namespace lug::calc {
namespace {

constexpr char kAttendanceOfSpan[] =
    "select TagTag ,TagTgb ,TagHtv ,TagHtn  from Hor327Tag where ((TagPnr=:b0 and TagTag>=:b1) "
    "and TagTag<=:b2)";
constexpr char kDayRecordsOfSpan[] =
    "select TgbDtm ,TgbSol ,TgbUnb  from Hor320Tgb where (((TgbPnr=:b0 and TgbZtr=1) and "
    "TgbDtm>=:b1) and TgbDtm<=:b2)";
// The table spelled as in the statements this one stands for, so that a
// failure names it alike in the run log.
constexpr char kDayBookingsOfSpan[] =
    "select ZkbDtm ,ZkbZkt ,ZkbKst ,ZkbKtr ,ZkbStd  from Hor331zkb where (((ZkbPnr=:b0 and "
    "ZkbZtr=1) and ZkbDtm>=:b1) and ZkbDtm<=:b2)";

// A target that a single-row statement reads into a whole number: 0, or
// 1403 when it does not fit (the statement then answers).
int wholeMinutes(double sol, int32_t& out) {
  const double whole = std::trunc(sol);
  if (!(whole >= INT32_MIN && whole <= INT32_MAX)) return db::kNoData;  // NaN included
  out = static_cast<int32_t>(whole);
  return db::kOk;
}

// Distinct stored days, in order, as a cursor fetches them.
std::vector<std::string> asFetched(const std::set<std::string>& days) {
  std::vector<std::string> out;
  for (const std::string& day : days) out.push_back(db::dayAsFetched(day));
  return out;
}

}  // namespace

std::shared_ptr<EmployeeDays> EmployeeDays::of(RunContext& ctx, const std::string& pnr,
                                               const Span& span) {
  if (!ctx.keepEmployeeDays || span.von.empty() || span.bis.empty())
    return std::make_shared<EmployeeDays>(ctx, pnr, span);
  std::shared_ptr<EmployeeDays>& kept = ctx.employeeDays;
  if (kept && kept->pnr_ == pnr && kept->within(span)) return kept;
  Span read = span;
  if (kept && kept->pnr_ == pnr && !kept->span_.von.empty() && !kept->span_.bis.empty())
    read = {std::min(span.von, kept->span_.von), std::max(span.bis, kept->span_.bis)};
  kept = std::make_shared<EmployeeDays>(ctx, pnr, read);
  return kept;
}

// The span's rows are those whose stored day lies between its bounds as text,
// which is how the statements compare days; so every row that equals a day
// between the bounds was read.
bool EmployeeDays::covers(const std::string& pnr, const std::string& day) const {
  return pnr == pnr_ && !pnr_.empty() && inSpan(day, span_);
}

bool EmployeeDays::within(const Span& span) const {
  return !span_.von.empty() && !span_.bis.empty() && span_.von <= span.von && span.bis <= span_.bis;
}

// A bound that is NULL (empty) selects nothing.
bool EmployeeDays::inSpan(const std::string& day, const Span& span) const {
  return !span.von.empty() && !span.bis.empty() && span.von <= day && day <= span.bis;
}

int EmployeeDays::dayCodes(const std::string& pnr, const std::string& day, DayCodes& codes) {
  if (!covers(pnr, day) || !loadCodes()) return readDayCodes(ctx_, pnr, day, codes);
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
  if (!covers(pnr, day) || !loadTargets()) return readDayTarget(ctx_, pnr, day, sol);
  const auto it = targets_.find(day);
  if (it == targets_.end()) {
    sol = 0;
    return db::kNoData;
  }
  if (it->second.rows > 1 || it->second.status == db::kNoData)
    return readDayTarget(ctx_, pnr, day, sol);
  sol = it->second.sol;
  return it->second.status;
}

std::optional<EmployeeDays::Targets> EmployeeDays::targets(const Span& span) {
  if (!within(span) || !loadTargets()) return std::nullopt;
  Targets t;
  for (const DayRecord& r : records_)
    if (inSpan(r.day, span) && r.sol && *r.sol > 0) ++t.days, t.minutes += *r.sol;
  return t;
}

std::optional<std::vector<std::string>> EmployeeDays::unpaidDays(const Span& span) {
  if (!within(span) || !loadTargets()) return std::nullopt;
  std::set<std::string> days;
  for (const DayRecord& r : records_)
    if (inSpan(r.day, span) && r.sol && r.unb && *r.sol != 0 && *r.sol <= *r.unb)
      days.insert(r.day);
  return asFetched(days);
}

// A booking counts as a booked day on a line of its account with minutes
// above 0, or on a line of Lu1Art 1 with minutes of 0 (or of any value,
// NULL included, for Minutes::Any).
bool EmployeeDays::booked(const DayBooking& b, const InterfaceLines::Line& l,
                          Minutes withoutMinutes) {
  if (!InterfaceLines::equal(l.values.ztk, b.zkt)) return false;
  if (b.std && *b.std > 0) return true;
  const bool zero = withoutMinutes == Minutes::Any || (b.std && *b.std == 0);
  return zero && l.art == 1;
}

std::optional<std::vector<std::string>> EmployeeDays::bookedDays(const std::string& akr,
                                                                 int16_t sts, const Span& span,
                                                                 Minutes withoutMinutes) {
  const auto* lines = InterfaceLines::of(ctx_).ofGroup(ctx_, akr);
  if (!lines || !within(span) || !loadBookings()) return std::nullopt;
  std::set<std::string> days;
  for (const DayBooking& b : bookings_) {
    if (!inSpan(b.day, span)) continue;
    for (const InterfaceLines::Line* l : *lines)
      if (l->values.sts == sts && booked(b, *l, withoutMinutes)) days.insert(b.day);
  }
  return asFetched(days);
}

std::optional<double> EmployeeDays::unpaidMinutes(const std::string& akr, const Span& span) {
  const auto* lines = InterfaceLines::of(ctx_).ofGroup(ctx_, akr);
  if (!lines || !within(span) || !loadBookings()) return std::nullopt;
  double minutes = 0;
  for (const DayBooking& b : bookings_) {
    if (!inSpan(b.day, span) || !b.std) continue;
    for (const InterfaceLines::Line* l : *lines)
      if (InterfaceLines::equal(l->values.ztk, b.zkt) &&
          (l->values.sts == 4 || l->values.sts == 104))
        minutes += *b.std;
  }
  return minutes;
}

std::optional<std::vector<EmployeeDays::Attendance>> EmployeeDays::bookedAttendance(
    const std::string& akr, const Booking& account, const Span& span) {
  const auto* lines = InterfaceLines::of(ctx_).ofGroup(ctx_, akr);
  if (!lines || !within(span) || !loadBookings() || !loadCodes()) return std::nullopt;
  std::set<std::string> days;
  for (const DayBooking& b : bookings_) {
    // Cost centre and cost unit compare empty as equal to empty.
    if (!inSpan(b.day, span) || b.kst != account.kst || b.ktr != account.ktr ||
        !InterfaceLines::equal(b.zkt, account.zkt))
      continue;
    for (const InterfaceLines::Line* l : *lines)
      if (booked(b, *l, Minutes::ZeroOnly)) days.insert(b.day);
  }
  std::set<std::tuple<std::string, std::string, std::string>> rows;
  for (const AttendanceRow& r : attendance_)
    if (days.count(r.day)) rows.emplace(r.day, r.first, r.second);
  std::vector<Attendance> out;
  for (const auto& [day, first, second] : rows)
    out.push_back({db::dayAsFetched(day), first, second});
  return out;
}

// Reads the rows of `statement` over the span once: `fetch` reads a row,
// `keep` takes it. True when every row was read.
template <class Fetch, class Keep>
bool EmployeeDays::load(Load& state, const char* statement, Fetch fetch, Keep keep) {
  if (state != Load::NotYet) return state == Load::Done;
  db::Cursor rows(ctx_.db, statement, db::Cursor::Mode::FewRows);
  int st = rows.open({pnr_, span_.von, span_.bis});
  while (st == db::kOk && (st = fetch(rows)) == db::kOk) keep();
  rows.close();
  ctx_.abortIfFatal(st);
  state = st == db::kNoData ? Load::Done : Load::Failed;
  return state == Load::Done;
}

bool EmployeeDays::loadCodes() {
  AttendanceRow r;
  return load(
      codesLoad_, kAttendanceOfSpan,
      [&](db::Cursor& c) {
        return c.fetch({db::Out(r.day).asStored(), r.whole, r.first, r.second});
      },
      [&] {
        attendance_.push_back(r);
        if (r.whole.empty() && r.first.empty() && r.second.empty()) return;
        Codes& entry = codes_[r.day];
        entry.codes = {r.whole, r.first, r.second};
        ++entry.rows;
      });
}

// A NULL target reads as the single-row statement answers it: -1405 and 0.
// A target that does not fit a whole number is left to the statement.
bool EmployeeDays::loadTargets() {
  DayRecord r;
  return load(
      targetsLoad_, kDayRecordsOfSpan,
      [&](db::Cursor& c) {
        return c.fetch({db::Out(r.day).asStored(), r.sol, r.unb});
      },
      [&] {
        records_.push_back(r);
        Target& entry = targets_[r.day];
        entry.status = r.sol ? wholeMinutes(*r.sol, entry.sol) : db::kNullFetch;
        ++entry.rows;
      });
}

bool EmployeeDays::loadBookings() {
  DayBooking b;
  return load(
      bookingsLoad_, kDayBookingsOfSpan,
      [&](db::Cursor& c) {
        return c.fetch({db::Out(b.day).asStored(), b.zkt, b.kst, b.ktr, b.std});
      },
      [&] { bookings_.push_back(b); });
}

}  // namespace lug::calc
