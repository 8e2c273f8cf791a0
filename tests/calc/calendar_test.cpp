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
// its text, no day for an empty bound.
TEST_F(CalendarTest, DaysOfASpanAsTheStatementSelectsThem) {
  inst.insert("HORSYSTEM.Hor133Bak", {{"BakDtm", "2024.02.10 12:00:00"}});
  // Beyond the installation's calendar (1990 to 2099).
  for (const char* day : {"0001.01.01", "1900.02.28", "2100.02.28", "2100.12.31", "9998.12.31"})
    inst.insert("HORSYSTEM.Hor133Bak", {{"BakDtm", day}});
  const Calendar& calendar = Calendar::of(ctx);
  ASSERT_TRUE(calendar.inMemory());
  const struct {
    std::string von, bis;
  } spans[] = {{"2024.02.01", "2024.02.29"},
               {"2024.02.10", "2024.02.10"},
               {"2024.02.10 12:00:00", "2024.02.11"},
               {"2024.12.31", "2025.01.01"},
               {"0001.01.01", "1990.01.01"},
               {"1999.12.31", "2000.03.01"},
               {"2099.12.31", "9999.12.31"},
               {"2024.03.01", "2024.02.01"},
               {"", "2024.02.29"},
               {"2024.02.01", ""}};
  for (const auto& s : spans) {
    SCOPED_TRACE(s.von + "/" + s.bis);
    std::vector<std::string> expected, served;
    db::Cursor c(ctx.db, kCalendarOfSpan);
    ASSERT_EQ(c.open({s.von, s.bis}), db::kOk);
    std::string day, next;
    while (c.fetch({db::Out(day).asStored(), next}) == db::kOk)
      expected.push_back(day + ">" + next);
    std::sort(expected.begin(), expected.end());
    for (const Calendar::Day* d : calendar.between(s.von, s.bis))
      served.push_back(d->day + ">" + d->next);
    std::sort(served.begin(), served.end());
    EXPECT_EQ(served, expected);
  }
  EXPECT_EQ(calendar.between("2024.02.01", "2024.02.29").size(), 30u);
}

// A stored day without a day after it (the statement would fail on it)
// leaves the calendar to the statements.
TEST_F(CalendarTest, ADayThatIsNoDateLeavesTheCalendarToTheStatements) {
  inst.insert("HORSYSTEM.Hor133Bak", {{"BakDtm", "2024.02.30"}});
  EXPECT_FALSE(Calendar::of(ctx).inMemory());
}

}  // namespace
}  // namespace lug::calc::test
