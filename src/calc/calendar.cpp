#include "calc/calendar.h"

#include <algorithm>

#include "calc/source_rows.h"
#include "db/oracle.h"

namespace lug::calc {
namespace {

constexpr char kCalendar[] = "select BakDtm  from HORSYSTEM.Hor133Bak";

// The parts of a day stored as "yyyy.mm.dd" without a time, as nearly every
// calendar day is; false for any other text.
bool plainDay(const std::string& s, db::oracle::DateTime& day) {
  const auto digits = [&](size_t from, size_t n) {
    int value = 0;
    for (size_t i = from; i < from + n; ++i) {
      if (s[i] < '0' || s[i] > '9') return -1;
      value = value * 10 + (s[i] - '0');
    }
    return value;
  };
  if (s.size() != 10 || s[4] != '.' || s[7] != '.') return false;
  day = {.year = digits(0, 4), .month = digits(5, 2), .day = digits(8, 2)};
  return day.year >= 1 && day.month >= 1 && day.day >= 1 &&
         day.day <= db::oracle::daysInMonth(day.year, day.month);
}

// The text "(BakDtm+1)" reads for a stored day, by the date rules the
// engines' own date arithmetic follows (db/oracle.h); computed here rather
// than by the server, which would call its date functions once per day.
// False for a text that is no date: the statement would fail on it.
bool dayAfter(const std::string& stored, std::string& next) {
  db::oracle::DateTime d;
  if (plainDay(stored, d) && d.year < 9999) {  // the day after 9999.12.31 is no date
    if (d.day < db::oracle::daysInMonth(d.year, d.month))
      ++d.day;
    else if (d.month < 12)
      d.day = 1, ++d.month;
    else
      d.day = 1, d.month = 1, ++d.year;
    next = db::oracle::canonical(d);
    return true;
  }
  try {
    next = db::dayAsFetched(
        db::oracle::canonical(db::oracle::addDays(db::oracle::parseDate(stored), 1)));
    return true;
  } catch (const db::oracle::Error&) {
    return false;
  }
}

}  // namespace

Calendar& Calendar::of(RunContext& ctx) {
  if (!ctx.calendar) ctx.calendar.reset(new Calendar(ctx));
  return *ctx.calendar;
}

Calendar::Calendar(RunContext& ctx) {
  db::Cursor c(ctx.db, kCalendar);
  int st = openCursor(ctx, c, {});
  Day d;
  bool dates = true;
  while (st == db::kOk && (st = c.fetch({db::Out(d.day).asStored()})) == db::kOk) {
    if (d.day.empty()) continue;  // a NULL day lies in no span
    dates = dates && dayAfter(d.day, d.next);
    days_.push_back(d);
  }
  c.close();
  ctx.abortIfFatal(st);
  inMemory_ = st == db::kNoData && dates;
  if (!inMemory_) days_.clear();
  const auto earlier = [](const Day& a, const Day& b) { return a.day < b.day; };
  // The table's days usually come in order already.
  if (!std::is_sorted(days_.begin(), days_.end(), earlier))
    std::stable_sort(days_.begin(), days_.end(), earlier);
}

std::vector<const Calendar::Day*> Calendar::between(const std::string& von,
                                                    const std::string& bis) const {
  std::vector<const Day*> out;
  if (von.empty() || bis.empty()) return out;  // NULL bounds select nothing
  auto it = std::lower_bound(days_.begin(), days_.end(), von,
                             [](const Day& d, const std::string& v) { return d.day < v; });
  for (; it != days_.end() && it->day <= bis; ++it) out.push_back(&*it);
  return out;
}

}  // namespace lug::calc
