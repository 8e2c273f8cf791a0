#include "calc/calendar.h"

#include <memory>

namespace lug::calc {
namespace {

constexpr char kCalendarOfSpan[] =
    "select BakDtm ,(BakDtm+1)  from HORSYSTEM.Hor133Bak where (BakDtm>=:b0 and BakDtm<=:b1)";

}  // namespace

Calendar& Calendar::of(RunContext& ctx) {
  if (!ctx.calendar) ctx.calendar = std::make_shared<Calendar>();
  return *ctx.calendar;
}

const Calendar::Days* Calendar::span(RunContext& ctx, const Span& span) {
  const auto [it, added] = spans_.try_emplace({span.von, span.bis});
  Read& read = it->second;
  if (!added) return read.complete ? &read.days : nullptr;
  db::Cursor rows(ctx.db, kCalendarOfSpan, db::Cursor::Mode::FewRows);
  int st = rows.open({span.von, span.bis});
  std::string day, next;
  while (st == db::kOk || st == db::kNullFetch) {
    st = rows.fetch({db::Out(day).asStored(), db::Out(next).required()});
    if (st != db::kOk && st != db::kNullFetch) break;
    Next& entry = read.days[day];
    entry.next = next;
    entry.status = st;
    ++entry.rows;
  }
  rows.close();
  ctx.abortIfFatal(st);
  read.complete = st == db::kNoData;
  if (!read.complete) read.days.clear();
  return read.complete ? &read.days : nullptr;
}

}  // namespace lug::calc
