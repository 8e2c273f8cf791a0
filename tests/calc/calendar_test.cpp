#include "calc/calendar.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

constexpr char kCalendarOfSpan[] =
    "select BakDtm ,(BakDtm+1)  from HORSYSTEM.Hor133Bak where (BakDtm>=:b0 and BakDtm<=:b1)";

using CalendarTest = CalcTest;

// The days served from memory are the days the statement selects for a
// span: its bounds included, a stored day with a time of day compared as
// its text, no day for an empty bound; each span is read once per run.
TEST_F(CalendarTest, DaysOfASpanAsTheStatementSelectsThem) {
  inst.insert("HORSYSTEM.Hor133Bak", {{"BakDtm", "2024.02.10 12:00:00"}});
  // Beyond the installation's calendar (1990 to 2099).
  for (const char* day : {"0001.01.01", "1900.02.28", "2100.02.28", "2100.12.31", "9998.12.31"})
    inst.insert("HORSYSTEM.Hor133Bak", {{"BakDtm", day}});
  Calendar& calendar = Calendar::of(ctx);
  const Span spans[] = {{"2024.02.01", "2024.02.29"},
                        {"2024.02.10", "2024.02.10"},
                        {"2024.02.10 12:00:00", "2024.02.11"},
                        {"2024.12.31", "2025.01.01"},
                        {"0001.01.01", "1990.01.01"},
                        {"1999.12.31", "2000.03.01"},
                        {"2099.12.31", "9999.12.31"},
                        {"2024.03.01", "2024.02.01"},
                        {"", "2024.02.29"},
                        {"2024.02.01", ""}};
  for (const Span& s : spans) {
    SCOPED_TRACE(s.von + "/" + s.bis);
    std::vector<std::string> expected, served;
    db::Cursor c(ctx.db, kCalendarOfSpan);
    ASSERT_EQ(c.open({s.von, s.bis}), db::kOk);
    std::string day, next;
    while (c.fetch({db::Out(day).asStored(), next}) == db::kOk)
      expected.push_back(day + ">" + next);
    std::sort(expected.begin(), expected.end());
    const Calendar::Days* days = calendar.span(ctx, s);
    ASSERT_NE(days, nullptr);
    for (const auto& [stored, after] : *days) served.push_back(stored + ">" + after.next);
    std::sort(served.begin(), served.end());
    EXPECT_EQ(served, expected);
  }
  const int64_t before = ctx.db.counters().statements;
  EXPECT_EQ(calendar.span(ctx, {"2024.02.01", "2024.02.29"})->size(), 30u);
  EXPECT_EQ(ctx.db.counters().statements, before);
}

// A stored day without a day after it (the statement fails on it) leaves
// the spans holding it to the statements; the other spans are served.
TEST_F(CalendarTest, ADayThatIsNoDateLeavesItsSpansToTheStatements) {
  inst.insert("HORSYSTEM.Hor133Bak", {{"BakDtm", "2024.02.30"}});
  Calendar& calendar = Calendar::of(ctx);
  EXPECT_EQ(calendar.span(ctx, {"2024.02.01", "2024.03.01"}), nullptr);
  EXPECT_EQ(calendar.span(ctx, {"2024.02.01", "2024.03.01"}), nullptr);
  ASSERT_NE(calendar.span(ctx, {"2024.01.01", "2024.01.31"}), nullptr);
  EXPECT_EQ(calendar.span(ctx, {"2024.01.01", "2024.01.31"})->at("2024.01.31").next, "2024.02.01");
}

}  // namespace
}  // namespace lug::calc::test
