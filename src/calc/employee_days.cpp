#include "calc/employee_days.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include "db/dialect.h"

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
// The same rows for the employees of a window (NULL where it has fewer),
// each row with its personnel number first, and the single rows that the
// day summary reads for every employee. The day bookings come with all
// their columns, so that they also answer the cursors over one account's
// days (EmployeeDays::accountDays).
constexpr char kAttendanceAhead[] =
    "select TagPnr ,TagTag ,TagTgb ,TagHtv ,TagHtn  from Hor327Tag where ((TagPnr "
    "in " LUG_PNRS_AHEAD " and TagTag>=:b32) and TagTag<=:b33)";
constexpr char kDayRecordsAhead[] =
    "select TgbPnr ,TgbDtm ,TgbSol ,TgbUnb  from Hor320Tgb where (((TgbPnr in " LUG_PNRS_AHEAD
    " and TgbZtr=1) and TgbDtm>=:b32) and TgbDtm<=:b33)";
constexpr char kDayBookingsAhead[] =
    "select ZkbPnr ,ZkbDtm ,ZkbZkt ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSta ,ZkbDat "
    " "
    "from Hor331zkb where (((ZkbPnr in " LUG_PNRS_AHEAD
    " and ZkbZtr=1) and ZkbDtm>=:b32) and ZkbDtm<=:b33)";
constexpr char kMonthValuesAhead[] =
    "select ZkbPnr ,ZkbDtm ,ZkbZkt ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSta ,ZkbDat "
    " "
    "from Hor331Zkb where (((ZkbPnr in " LUG_PNRS_AHEAD
    " and ZkbZtr=3) and ZkbDtm>=:b32) and ZkbDtm<=:b33) order by ZkbPnr,ZkbZkt,ZkbDtm";
// Grouped as the period run's summed day values of one account, and ordered
// as the engines return that statement's groups: by the grouped columns.
constexpr char kSummedDayValuesAhead[] =
    "select ZkbPnr ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,sum(ZkbStd) ,sum(ZkbTge) ,ZkbStg ,ZkbSta  from "
    "Hor331Zkb where ((((ZkbPnr in " LUG_PNRS_AHEAD
    " and ZkbZkt=:b32) and ZkbZtr=1) and ZkbDtm>=:b33) and ZkbDtm<=:b34) group by "
    "ZkbPnr,ZkbZtr,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbStg,ZkbSta order by "
    "ZkbPnr,ZkbZtr,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbStg,ZkbSta";
constexpr char kMonthMaximumAhead[] =
    "select TgbPnr ,TgbMax  from Hor320Tgb where ((TgbPnr in " LUG_PNRS_AHEAD
    " and TgbZtr=3) and TgbDtm=:b32)";
constexpr char kMasterCostAhead[] =
    "select ZuoPnr ,ZuoKst ,ZuoKtr ,ZuoKrt  from HOR311ZUO where ((ZuoPnr in " LUG_PNRS_AHEAD
    " and ZuoGvo<=:b32) and (ZuoGbi>=:b33 or ZuoGbi is null ))";

std::vector<db::Out> outputs(DaysRows::AttendanceRow& r) {
  return {db::Out(r.day).asStored(), r.whole, r.first, r.second};
}
std::vector<db::Out> outputs(DaysRows::DayRecord& r) {
  return {db::Out(r.day).asStored(), r.sol, r.unb};
}
std::vector<db::Out> outputs(DaysRows::DayBooking& r) {
  return {db::Out(r.day).asStored(), r.zkt, r.kst, r.ktr, r.std};
}
std::vector<db::Out> summedOutputs(DaysRows::DayBooking& r) {
  return {r.kst, r.ktr, r.krt, r.zkt, r.std, r.tge, r.stg, r.sta};
}
std::vector<db::Out> allOutputs(DaysRows::DayBooking& r) {
  return {db::Out(r.day).asStored(), r.zkt, r.kst, r.ktr, r.krt, r.std, r.tge, r.stg, r.sta, r.dat};
}

// A number as an output of type T receives it: cut to a whole number, NULL
// as 0. False when it does not fit (NaN included).
template <class T>
bool fetchedAs(const std::optional<double>& number, T& out) {
  const double whole = number ? std::trunc(*number) : 0;
  if (!(whole >= std::numeric_limits<T>::min() && whole <= std::numeric_limits<T>::max()))
    return false;
  out = static_cast<T>(whole);
  return true;
}

// A target that a single-row statement reads into a whole number: 0, or
// 1403 when it does not fit (the statement then answers).
int wholeMinutes(double sol, int32_t& out) {
  return fetchedAs(std::optional<double>(sol), out) ? db::kOk : db::kNoData;
}

// Bookings as a cursor of all their columns fetches them into Booking (ztr
// as selected); std::nullopt when a number would not fit its output.
std::optional<std::vector<Booking>> asFetched(
    const std::string& pnr, int16_t ztr, const std::vector<const DaysRows::DayBooking*>& rows) {
  std::vector<Booking> out(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const DaysRows::DayBooking& r = *rows[i];
    Booking& b = out[i];
    b = {.pnr = pnr,
         .ztr = ztr,
         .dtm = db::dayAsFetched(r.day),
         .kst = r.kst,
         .ktr = r.ktr,
         .krt = r.krt,
         .zkt = r.zkt,
         .dat = r.dat};
    if (!fetchedAs(r.std, b.std) || !fetchedAs(r.tge, b.tge) || !fetchedAs(r.stg, b.stg) ||
        !fetchedAs(r.sta, b.sta))
      return std::nullopt;
  }
  return out;
}

// All the rows read ahead for an employee, as above; std::nullopt also
// without rows (the statement must answer).
std::optional<std::vector<Booking>> asFetched(const std::string& pnr, int16_t ztr,
                                              const RowsAhead<DaysRows::DayBooking>::Rows& rows) {
  if (!rows) return std::nullopt;
  std::vector<const DaysRows::DayBooking*> all;
  for (const DaysRows::DayBooking& r : *rows) all.push_back(&r);
  return asFetched(pnr, ztr, all);
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
  for (const DayRecord& r : *records_)
    if (inSpan(r.day, span) && r.sol && *r.sol > 0) ++t.days, t.minutes += *r.sol;
  return t;
}

std::optional<std::vector<std::string>> EmployeeDays::unpaidDays(const Span& span) {
  if (!within(span) || !loadTargets()) return std::nullopt;
  std::set<std::string> days;
  for (const DayRecord& r : *records_)
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
  for (const DayBooking& b : *bookings_) {
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
  for (const DayBooking& b : *bookings_) {
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
  for (const DayBooking& b : *bookings_) {
    // Cost centre and cost unit compare empty as equal to empty.
    if (!inSpan(b.day, span) || b.kst != account.kst || b.ktr != account.ktr ||
        !InterfaceLines::equal(b.zkt, account.zkt))
      continue;
    for (const InterfaceLines::Line* l : *lines)
      if (booked(b, *l, Minutes::ZeroOnly)) days.insert(b.day);
  }
  std::set<std::tuple<std::string, std::string, std::string>> rows;
  for (const AttendanceRow& r : *attendance_)
    if (days.count(r.day)) rows.emplace(r.day, r.first, r.second);
  std::vector<Attendance> out;
  for (const auto& [day, first, second] : rows)
    out.push_back({db::dayAsFetched(day), first, second});
  return out;
}

std::optional<std::vector<Booking>> EmployeeDays::accountDays(const std::string& zkt,
                                                              const Span& span, Bookings which) {
  if (!ctx_.daysAhead || !within(span) || !loadBookings() || bookingsLoad_ != Load::Ahead)
    return std::nullopt;
  std::vector<const DayBooking*> rows;
  for (const DayBooking& b : *bookings_)
    if (inSpan(b.day, span) && InterfaceLines::equal(b.zkt, zkt) &&
        (which == Bookings::All || (b.std && *b.std > 0)))
      rows.push_back(&b);
  std::stable_sort(rows.begin(), rows.end(),
                   [](const DayBooking* a, const DayBooking* b) { return a->day < b->day; });
  return asFetched(pnr_, 1, rows);
}

DaysAhead::DaysAhead(RunContext& ctx)
    : ctx_(ctx),
      attendance_(ctx, kAttendanceAhead, [](DaysRows::AttendanceRow& r) { return outputs(r); }),
      records_(ctx, kDayRecordsAhead, [](DaysRows::DayRecord& r) { return outputs(r); }),
      bookings_(ctx, kDayBookingsAhead, allOutputs),
      monthValues_(ctx, kMonthValuesAhead, allOutputs),
      monthMaximum_(ctx, kMonthMaximumAhead,
                    [](MonthMaximum& r) { return std::vector<db::Out>{r.max}; }),
      masterCost_(ctx, kMasterCostAhead, [](CostAssignment& r) {
        return std::vector<db::Out>{r.kst, r.ktr, r.krt};
      }) {}

RowsAhead<DaysRows::AttendanceRow>::Rows DaysAhead::attendance(const std::string& pnr,
                                                               const Span& span) {
  return attendance_.of(ctx_, pnr, {span.von, span.bis});
}

RowsAhead<DaysRows::DayRecord>::Rows DaysAhead::dayRecords(const std::string& pnr,
                                                           const Span& span) {
  return records_.of(ctx_, pnr, {span.von, span.bis});
}

RowsAhead<DaysRows::DayBooking>::Rows DaysAhead::dayBookings(const std::string& pnr,
                                                             const Span& span) {
  return bookings_.of(ctx_, pnr, {span.von, span.bis});
}

std::optional<std::vector<Booking>> DaysAhead::monthValues(const std::string& pnr,
                                                           const Span& span) {
  return asFetched(pnr, 3, monthValues_.of(ctx_, pnr, {span.von, span.bis}));
}

std::optional<std::vector<Booking>> DaysAhead::summedDayValues(const std::string& pnr,
                                                               const std::string& zkt,
                                                               const Span& span) {
  std::unique_ptr<RowsAhead<DaysRows::DayBooking>>& window = summed_[zkt];
  if (!window)
    window = std::make_unique<RowsAhead<DaysRows::DayBooking>>(ctx_, kSummedDayValuesAhead,
                                                               summedOutputs);
  return asFetched(pnr, 1, window->of(ctx_, pnr, {zkt, span.von, span.bis}));
}

std::optional<int> DaysAhead::monthMaximum(const std::string& pnr, const std::string& day,
                                           double& max) {
  MonthMaximum row;
  const std::optional<int> st = singleRow(monthMaximum_.of(ctx_, pnr, {day}), row);
  if (st == db::kOk && !row.max) return std::nullopt;  // NULL into an output without indicator
  if (st) max = row.max.value_or(0);
  return st;
}

std::optional<int> DaysAhead::masterCost(const std::string& pnr, const Span& span,
                                         CostAssignment& cost) {
  return singleRow(masterCost_.of(ctx_, pnr, {span.bis, span.von}), cost);
}

std::optional<int> DaysAhead::numbers(const char* statement, const char* ahead,
                                      const std::string& pnr, const std::vector<db::In>& values,
                                      db::Outs out, WindowOn on) {
  NumbersAhead& reads = numbers_[statement];
  if (!reads.window) {
    reads.indicators = db::translate(statement, ctx_.db.engine().dialect()).outputIndicators;
    const size_t columns = std::min(reads.indicators.size(), kNumbers);
    reads.window = std::make_unique<RowsAhead<Numbers>>(
        ctx_, ahead,
        [columns](Numbers& r) { return std::vector<db::Out>(r.begin(), r.begin() + columns); }, on);
  }
  if (out.size() != reads.indicators.size() || out.size() > kNumbers) return std::nullopt;
  Numbers row;
  const std::optional<int> st = singleRow(reads.window->of(ctx_, pnr, values), row);
  if (!st) return st;
  for (const db::Out& o : out) o.clear();
  if (*st == db::kNoData) return st;
  // Each value stored as the statement stores it: cut to a whole number for
  // a whole-number output, a NULL refused by an output without indicator.
  size_t i = 0;
  for (const db::Out& o : out) {
    const std::optional<double>& v = row[i];
    if (o.store(v ? db::Value::real(*v) : db::Value::null(), reads.indicators[i]) != db::kOk)
      return std::nullopt;
    ++i;
  }
  return st;
}

// Reads the rows of a kind over the span once, from the window of employees
// read ahead (Load::Ahead) or else with `statement` (Load::Done); `keep` then
// takes each row. True when every row was read.
template <class Row, class Keep>
bool EmployeeDays::load(
    Load& state, std::shared_ptr<const std::vector<Row>>& into,
    std::shared_ptr<const std::vector<Row>> (DaysAhead::*ahead)(const std::string&, const Span&),
    const char* statement, Keep keep) {
  if (state != Load::NotYet) return state != Load::Failed;
  if (ctx_.daysAhead) into = ((*ctx_.daysAhead).*ahead)(pnr_, span_);
  const bool fromWindow = into != nullptr;
  int st = db::kNoData;
  if (!into) {
    auto read = std::make_shared<std::vector<Row>>();
    db::Cursor rows(ctx_.db, statement, db::Cursor::Mode::FewRows);
    st = rows.open({pnr_, span_.von, span_.bis});
    Row row;
    const std::vector<db::Out> out = outputs(row);
    while (st == db::kOk && (st = rows.fetch(out)) == db::kOk) read->push_back(row);
    rows.close();
    ctx_.abortIfFatal(st);
    into = std::move(read);
  }
  state = st != db::kNoData ? Load::Failed : fromWindow ? Load::Ahead : Load::Done;
  if (state != Load::Failed)
    for (const Row& row : *into) keep(row);
  return state != Load::Failed;
}

bool EmployeeDays::loadCodes() {
  return load(codesLoad_, attendance_, &DaysAhead::attendance, kAttendanceOfSpan,
              [&](const AttendanceRow& r) {
                if (r.whole.empty() && r.first.empty() && r.second.empty()) return;
                Codes& entry = codes_[r.day];
                entry.codes = {r.whole, r.first, r.second};
                ++entry.rows;
              });
}

// A NULL target reads as the single-row statement answers it: -1405 and 0.
// A target that does not fit a whole number is left to the statement.
bool EmployeeDays::loadTargets() {
  return load(targetsLoad_, records_, &DaysAhead::dayRecords, kDayRecordsOfSpan,
              [&](const DayRecord& r) {
                Target& entry = targets_[r.day];
                entry.status = r.sol ? wholeMinutes(*r.sol, entry.sol) : db::kNullFetch;
                ++entry.rows;
              });
}

bool EmployeeDays::loadBookings() {
  return load(bookingsLoad_, bookings_, &DaysAhead::dayBookings, kDayBookingsOfSpan,
              [](const DayBooking&) {});
}

}  // namespace lug::calc
