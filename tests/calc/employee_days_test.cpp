#include "calc/employee_days.h"

#include <gtest/gtest.h>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

// The days read at once must answer every day as the single-row statements
// do: status, codes, target.
class EmployeeDaysTest : public CalcTest {
 protected:
  EmployeeDaysTest() { usePeriod(1, "2024.01.01", "2024.01.31"); }

  std::string codesByStatement(const std::string& pnr, const std::string& day) {
    DayCodes c;
    const int st = readDayCodes(ctx, pnr, day, c);
    return std::to_string(st) + "|" + c.whole + "|" + c.first + "|" + c.second;
  }
  std::string codesRead(EmployeeDays& days, const std::string& pnr, const std::string& day) {
    DayCodes c{"x", "y", "z"};
    const int st = days.dayCodes(pnr, day, c);
    return std::to_string(st) + "|" + c.whole + "|" + c.first + "|" + c.second;
  }
  std::string targetByStatement(const std::string& pnr, const std::string& day) {
    int32_t sol = 0;
    const int st = readDayTarget(ctx, pnr, day, sol);
    return std::to_string(st) + "|" + std::to_string(sol);
  }
  std::string targetRead(EmployeeDays& days, const std::string& pnr, const std::string& day) {
    int32_t sol = 77;
    const int st = days.dayTarget(pnr, day, sol);
    return std::to_string(st) + "|" + std::to_string(sol);
  }

  // Days of the month and either side of it, as the statements compare them.
  std::vector<std::string> probes() {
    std::vector<std::string> days = daysOf("2023.12.30", "2024.02.02");
    days.push_back("");
    days.push_back("2024.01.10 10:00:00");
    return days;
  }

  const Span month{"2024.01.01", "2024.01.31"};
};

TEST_F(EmployeeDaysTest, DayCodesAnswerAsTheStatement) {
  addAttendance(inst, "4711", "2024.01.02", "K");
  addAttendance(inst, "4711", "2024.01.03", "", "KH", "UH");
  addAttendance(inst, "4711", "2024.01.04", "", "", "");  // no code: not a row of either read
  addAttendance(inst, "4711", "2024.01.05", "K");
  addAttendance(inst, "4711", "2024.01.05", "U");  // twice: too many rows
  addAttendance(inst, "4711", "2024.01.31", "", "", "UH");
  addAttendance(inst, "4711", "2024.02.01", "K");  // after the span
  addAttendance(inst, "4712", "2024.01.08", "K");  // another employee
  inst.db().exec(
      "insert into Hor327Tag (TagPnr,TagTag,TagTgb) values ('4711','2024.01.10 10:00:00','K')");
  inst.db().exec(
      "insert into Hor327Tag (TagPnr,TagTag,TagTgb) values ('4711','2024.01.11 00:00:00','K')");
  inst.db().exec("insert into Hor327Tag (TagPnr,TagTag,TagTgb) values ('4711','2024.01.12','')");
  EmployeeDays days(ctx, "4711", month);
  for (const char* pnr : {"4711", "4712"})
    for (const std::string& day : probes())
      EXPECT_EQ(codesRead(days, pnr, day), codesByStatement(pnr, day)) << pnr << " " << day;
  EXPECT_EQ(codesRead(days, "4711", "2024.01.05"), "-1422|||");
  EXPECT_EQ(codesRead(days, "4711", "2024.01.03"), "0||KH|UH");
}

TEST_F(EmployeeDaysTest, DayTargetsAnswerAsTheStatement) {
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  addDay(inst, {.dtm = "2024.01.09", .ztr = 3, .sol = 99});  // not a day record
  addDay(inst, {.dtm = "2024.01.15", .sol = 240});           // twice: too many rows
  addDay(inst, {.dtm = "2024.02.01", .sol = 300});
  addDay(inst, {.pnr = "4712", .dtm = "2024.01.09", .sol = 120});
  inst.db().exec("update Hor320Tgb set TgbSol=NULL where TgbPnr='4711' and TgbDtm='2024.01.10'");
  inst.db().exec(
      "update Hor320Tgb set TgbDtm='2024.01.11 10:00:00' where TgbPnr='4711' and "
      "TgbDtm='2024.01.11'");
  EmployeeDays days(ctx, "4711", month);
  for (const char* pnr : {"4711", "4712"})
    for (const std::string& day : probes())
      EXPECT_EQ(targetRead(days, pnr, day), targetByStatement(pnr, day)) << pnr << " " << day;
  EXPECT_EQ(targetRead(days, "4711", "2024.01.10"), "-1405|0");
  EXPECT_EQ(targetRead(days, "4711", "2024.01.08"), "0|480");
}

TEST_F(EmployeeDaysTest, TheDaysOfTheSpanCostOneStatementForEachKind) {
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  for (const std::string& day : daysOf("2024.01.01", "2024.01.31"))
    addAttendance(inst, "4711", day, "K");
  EmployeeDays days(ctx, "4711", month);
  const int64_t before = inst.db().counters().statements;
  for (const std::string& day : daysOf("2024.01.01", "2024.01.31")) {
    EXPECT_EQ(codesRead(days, "4711", day), "0|K||");
    EXPECT_EQ(targetRead(days, "4711", day), isWeekend(day) ? "0|0" : "0|480");
  }
  EXPECT_EQ(inst.db().counters().statements - before, 2);
}

}  // namespace
}  // namespace lug::calc::test
