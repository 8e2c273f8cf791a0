#include "calc/calendar.h"

#include <algorithm>

#include "calc/source_rows.h"

namespace lug::calc {
namespace {

constexpr char kCalendar[] = "select BakDtm ,(BakDtm+1)  from HORSYSTEM.Hor133Bak";

}  // namespace

Calendar& Calendar::of(RunContext& ctx) {
  if (!ctx.calendar) ctx.calendar.reset(new Calendar(ctx));
  return *ctx.calendar;
}

Calendar::Calendar(RunContext& ctx) {
  db::Cursor c(ctx.db, kCalendar);
  int st = openCursor(ctx, c, {});
  Day d;
  while (st == db::kOk || st == db::kNullFetch) {
    st = c.fetch({db::Out(d.day).asStored(), db::Out(d.next).required()});
    if (st != db::kOk && st != db::kNullFetch) break;
    d.status = st;
    if (!d.day.empty()) days_.push_back(d);  // a NULL day lies in no span
  }
  c.close();
  ctx.abortIfFatal(st);
  inMemory_ = st == db::kNoData;
  if (!inMemory_) days_.clear();
  std::stable_sort(days_.begin(), days_.end(),
                   [](const Day& a, const Day& b) { return a.day < b.day; });
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
