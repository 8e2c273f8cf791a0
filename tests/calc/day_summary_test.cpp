#include "calc/day_summary.h"

#include <gtest/gtest.h>

#include <string_view>

#include "calc/balance_keys.h"
#include "calc/employee_days.h"
#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

const Span kJanuary{"2024.01.01", "2024.01.31"};

class DaySummaryTest : public CalcTest {
 protected:
  DaySummaryTest() { addGroup(inst); }

  DayFigures figures(const Span& span, const Span& period = kJanuary, bool psybr = false) {
    const SummaryInput in{"4711", span, period, "A1", psybr};
    DayFigures f = employmentFigures(ctx, in, employedDays);
    bookingFigures(ctx, in, f);
    return f;
  }
  double employedDays = 0;
};

TEST_F(DaySummaryTest, EmploymentDaysAreThirtyForAWholePeriodAndAtMostThirtyPerEmployee) {
  EXPECT_EQ(figures(kJanuary).stt, 30);
  employedDays = 0;
  EXPECT_EQ(figures({"2024.02.01", "2024.02.29"}, {"2024.02.01", "2024.02.29"}).stt, 30);
  employedDays = 0;
  EXPECT_EQ(figures({"2024.01.22", "2024.01.31"}).stt, 10);
  EXPECT_EQ(figures({"2024.01.01", "2024.01.21"}).stt, 20);
  EXPECT_EQ(employedDays, 30);
  EXPECT_EQ(figures({"2024.01.01", "2024.01.05"}).stt, 0);
}

TEST_F(DaySummaryTest, TargetDaysAndHoursOfTheSpan) {
  addDays(inst, "4711", "2024.01.01", "2024.01.31");  // 23 working days
  addDay(inst, {.dtm = "2024.01.01", .ztr = 3, .sol = 999, .max = 9000});
  const DayFigures f = figures({"2024.01.01", "2024.01.26"});
  EXPECT_EQ(f.slt, 20);
  EXPECT_EQ(f.sln, 9600);
  EXPECT_EQ(f.zes, 9000);
  EXPECT_EQ(figures(kJanuary, kJanuary, true).zes, 0);  // not read for "PSYBR"
  const DayFigures written = finished(f, 55);
  EXPECT_EQ(written.sln, 160);
  EXPECT_EQ(written.zes, 150);
  EXPECT_EQ(written.svt, 26 - 5.5);
}

TEST_F(DaySummaryTest, DaysAndMinutesOfStatusAccounts) {
  addLine(inst, {.ztk = "DIEN", .lna = "5000", .sts = 103});
  addLine(inst, {.ztk = "UNB", .lna = "5100", .sts = 104});
  addLine(inst, {.ztk = "ABW", .lna = "5200", .sts = 4});
  addLine(inst, {.ztk = "ANW", .lna = "5300", .sts = 102});
  for (const char* day : {"2024.01.08", "2024.01.09"}) {
    addBooking(inst, {.dtm = day, .zkt = "DIEN", .std = 60});
    addBooking(inst, {.dtm = day, .zkt = "DIEN", .std = 30, .kst = "K2"});
  }
  addBooking(inst, {.dtm = "2024.01.10", .zkt = "DIEN", .std = 0});
  addBooking(inst, {.dtm = "2024.01.10", .zkt = "UNB", .std = 120});
  addBooking(inst, {.dtm = "2024.01.11", .zkt = "ABW", .std = 45});
  addBooking(inst, {.dtm = "2024.01.11", .zkt = "ANW", .std = 480});
  addBooking(inst, {.dtm = "2024.02.01", .zkt = "UNB", .std = 500});
  const DayFigures f = figures(kJanuary);
  EXPECT_EQ(f.bzt, 2);
  EXPECT_EQ(f.unt, 1);
  EXPECT_EQ(f.uns, 165);
  EXPECT_EQ(f.ant, 10);
}

TEST_F(DaySummaryTest, PsybrCountsDaysOfTheWorkingTimeModel) {
  addLine(inst, {.ztk = "DIEN", .lna = "5000", .sts = 103});
  inst.insert("Hor140Azv", {{"AzvNum", "M1"}, {"AzvSol", 450}, {"AzvGvo", "2020.01.01"}});
  for (const char* day : {"2024.01.08", "2024.01.09", "2024.01.10", "2024.01.11"})
    inst.insert("Hor329Ztg", {{"ZtgPnr", "4711"}, {"ZtgVon", day}, {"ZtgAzt", "M1"}});
  addDay(inst, {.dtm = "2024.01.09", .sol = 480});
  addDay(inst, {.dtm = "2024.01.10", .sol = 480});
  addDay(inst, {.dtm = "2024.01.11", .sol = 480});
  inst.insert(
      "Hor327Tag",
      {{"TagPnr", "4711"}, {"TagTag", "2024.01.09"}, {"TagVon", "2024.01.09"}, {"TagKom", 1}});
  inst.insert(
      "Hor327Tag",
      {{"TagPnr", "4711"}, {"TagTag", "2024.01.10"}, {"TagVon", "2024.01.10"}, {"TagGeh", 1}});
  addBooking(inst, {.dtm = "2024.01.10", .zkt = "DIEN", .std = 60});
  const DayFigures f = figures(kJanuary, kJanuary, true);
  // 08: model day without day record; 09: flagged, no booking; 10: booked
  // (counted once); 11: neither flag nor booking.
  EXPECT_EQ(f.bzt, 3);
  EXPECT_EQ(f.slt, 4);
  EXPECT_EQ(f.sln, 3 * 480 + 450);
}

TEST_F(DaySummaryTest, WrittenSummariesAreRoundedAndAddedUp) {
  DayFigures f{
      .stt = 20, .slt = 3, .ant = 12.5, .sln = 100, .uns = 10, .zes = 1, .bzt = 1, .unt = 2};
  writeDaySummary(ctx, 1, "4711", "2024.01.01", 0, finished(f, 5));
  writeDaySummary(ctx, 1, "4711", "2024.01.01", 0, finished({.stt = 10}, 0));
  EXPECT_EQ(daySummaries(inst), (Lines{"1|4711|2024.01.01|30|29.5|3|12.5|1.67|.17|.02|1|2|0"}));
  EXPECT_TRUE(log().empty());
}

TEST_F(DaySummaryTest, MasterCostAssignmentValidInThePeriod) {
  inst.insert(
      "Hor311Zuo",
      {{"ZuoPnr", "4711"}, {"ZuoKst", "OLD"}, {"ZuoGvo", "2020.01.01"}, {"ZuoGbi", "2023.12.31"}});
  CostAssignment cost{"X", "Y", "Z"};
  EXPECT_EQ(readMasterCost(ctx, "4711", kJanuary, cost), db::kNoData);
  EXPECT_EQ(cost.kst + cost.ktr + cost.krt, "");
  inst.insert("Hor311Zuo",
              {{"ZuoPnr", "4711"}, {"ZuoKst", "NEW"}, {"ZuoKtr", "T"}, {"ZuoGvo", "2024.01.15"}});
  EXPECT_EQ(readMasterCost(ctx, "4711", kJanuary, cost), 0);
  EXPECT_EQ(cost.kst + "/" + cost.ktr + "/" + cost.krt, "NEW/T/");
}

class SpecialKeysTest : public CalcTest {
 protected:
  SpecialKeysTest() {
    addGroup(inst);
    for (const char* key : {"SFR", "RUL", "GLT", "MGF", "MGFV", "RZT", "SLD5V"})
      addLine(inst, {.stz = "SK", .ztk = key, .lna = key, .lgr = key});
  }
  Lines write(bool psybr = false, const std::string& runDate = "2024.02.05") {
    writeSpecialKeys(ctx, {row, kJanuary, "L1", psybr, "2024.01.31", runDate, {"K1", "", "01"}},
                     records);
    return joinedRows(inst, "select Zk1Lna,Zk1Std from Hor331Zk1 order by Zk1Lna");
  }
  Employment row{.pnr = "4711", .sfr = "M1"};
  SequenceNumbers numbers;
  PeriodRecords records{inst.db(), 1, 0, numbers};
};

TEST_F(SpecialKeysTest, MissingBalancesAreHandedOverAsZero) {
  EXPECT_EQ(write(), (Lines{"GLT|0", "MGF|0", "MGFV|0", "RUL|0", "RZT|0", "SFR|0", "SLD5V|0"}));
  EXPECT_EQ(periodRecords(inst).front(),
            "1|0|SK|2024.01.31|4711|GLT|GLT| |K1||01|0|0|0|2024.01.01|2024.01.31|0|0|0|4711|0|0");
}

TEST_F(SpecialKeysTest, BalancesOfTheDayProgram) {
  addDay(inst, {.dtm = "2024.01.30", .sa1 = 100, .vt1 = 5, .sa2 = 7, .vt2 = 1, .sa3 = 9, .vt3 = 2});
  addDay(inst, {.dtm = "2024.01.31", .sa1 = 0, .vt1 = 3, .sa2 = 20, .vt2 = 2, .sa3 = 30, .vt3 = 3});
  addDay(inst, {.dtm = "2024.02.01", .vt2 = 44, .vt5 = 55});
  addDay(inst, {.dtm = "2024.02.02", .vt2 = 66, .vt5 = 77});
  EXPECT_EQ(write(), (Lines{"GLT|3", "MGF|22", "MGFV|44", "RUL|0", "RZT|33", "SFR|0", "SLD5V|55"}));
}

TEST_F(SpecialKeysTest, FlexitimeOfARunningPeriodIsTheDayBeforeTheLastBalance) {
  addDay(inst, {.dtm = "2024.01.29", .sa1 = 40, .vt1 = 2});
  addDay(inst, {.dtm = "2024.01.30", .sa1 = 100, .vt1 = 5});
  addDay(inst, {.dtm = "2024.01.31", .sa1 = 0, .vt1 = 3});
  EXPECT_EQ(write(false, "2024.01.31").front(), "GLT|42");
}

TEST_F(SpecialKeysTest, LeaveAndTargetFreeHours) {
  inst.insert("Hor332Utg", {{"UtgPnr", "4711"}, {"UtgDtm", "2023.12.31"}, {"UtgRtg", 20.0}});
  inst.insert("Hor332Utg",
              {{"UtgPnr", "4711"}, {"UtgDtm", "2024.01.15"}, {"UtgRtg", 12.0}, {"UtgVtg", 3.0}});
  inst.insert("Hor332Utg", {{"UtgPnr", "4711"}, {"UtgDtm", "2024.02.15"}, {"UtgRtg", 1.0}});
  inst.insert(
      "Hor332Sfz",
      {{"SfzPnr", "4711"}, {"SfzDtm", "2024.01.31"}, {"SfzAnt", 10}, {"SfzGen", 5}, {"SfzGvv", 3}});
  inst.insert("Hor155Sfr", {{"SfrMod", "M1"}, {"SfrAnz", 2}});
  const Lines values = write();
  EXPECT_EQ(values[3], "RUL|720");
  EXPECT_EQ(values[5], "SFR|360");
  inst.db().exec("delete from Hor331Zk1");
  EXPECT_EQ(write(true)[3], "RUL|900");
}

TEST_F(SpecialKeysTest, TargetFreeHoursNeedTheModel) {
  inst.insert(
      "Hor332Sfz",
      {{"SfzPnr", "4711"}, {"SfzDtm", "2024.01.31"}, {"SfzAnt", 10}, {"SfzGen", 0}, {"SfzGvv", 0}});
  row.sfr.clear();
  EXPECT_EQ(write()[5], "SFR|0");
}

TEST_F(SpecialKeysTest, StoredRecordsStayAsTheyAre) {
  addDay(inst, {.dtm = "2024.01.31", .sa2 = 20, .vt2 = 2});
  write();
  inst.db().exec("update Hor320Tgb set Tgbsa2=1000");
  EXPECT_EQ(write()[1], "MGF|22");
  EXPECT_TRUE(log().empty());
}

// The balances read for a window of employees answer as each employee's
// statements: several day records and leave rows, fractions cut, negative
// values, a NULL balance (its statement answers), an employee without rows
// and one the walk does not name; the period over and still running.
TEST_F(SpecialKeysTest, BalancesReadAheadAnswerAsTheStatements) {
  const std::vector<std::string> walked{"4711", "4712", "4713", "4714"};
  for (const char* pnr : {"4711", "4712", "4714", "4799"}) {
    addDay(inst, {.pnr = pnr, .dtm = "2024.01.29", .sa1 = 40, .vt1 = 2, .sa2 = 3, .sa3 = 4});
    addDay(inst, {.pnr = pnr, .dtm = "2024.01.30", .sa1 = 100, .vt1 = 5, .sa2 = 7, .vt2 = 1});
    addDay(inst, {.pnr = pnr, .dtm = "2024.01.31", .vt1 = 3, .sa2 = 20, .vt2 = 2, .sa3 = 30});
    addDay(inst, {.pnr = pnr, .dtm = "2024.02.01", .vt2 = 44, .vt5 = 55});
    addDay(inst, {.pnr = pnr, .dtm = "2024.02.02", .vt2 = 66, .vt5 = 77});
    inst.insert("Hor332Utg", {{"UtgPnr", pnr}, {"UtgDtm", "2023.12.31"}, {"UtgRtg", 20.0}});
    inst.insert("Hor332Utg",
                {{"UtgPnr", pnr}, {"UtgDtm", "2024.01.15"}, {"UtgRtg", 12.5}, {"UtgVtg", 3.0}});
  }
  addDay(inst, {.pnr = "4799", .dtm = "2024.01.20", .sa2 = 9});
  inst.db().exec("update Hor320Tgb set Tgbsa2=NULL, TgbVt1=NULL where TgbPnr='4712'");
  inst.db().exec("update Hor332Utg set UtgVtg=NULL where UtgPnr='4712'");
  inst.db().exec("update Hor320Tgb set Tgbsa2=-7.9, Tgbsa3=30.9, TgbVt5=-55.5 where TgbPnr='4714'");
  inst.db().exec("update Hor332Utg set UtgRtg=-0.25 where UtgPnr='4714'");

  // The rows written, and the executions of statements and windows that read
  // the day records and the leave rows.
  struct Written {
    Lines rows;
    int64_t balanceReads = 0;
  };
  const auto balanceReads = [&] {
    int64_t executions = 0;
    for (const db::StatementCount& c : inst.db().counters().perStatement)
      if (std::string_view(c.sql).find(" from HOR3") != std::string_view::npos)
        executions += c.executions;
    return executions;
  };
  const auto written = [&](const std::vector<std::string>& pnrs, const std::string& runDate) {
    inst.db().exec("delete from Hor331Zk1");
    const int64_t before = balanceReads();
    for (const std::string& pnr : pnrs) {
      const Employment employee{.pnr = pnr};
      writeSpecialKeys(ctx, {employee, kJanuary, "L1", true, "2024.01.31", runDate, {}}, records);
    }
    return Written{joinedRows(inst, "select Zk1Pnr,Zk1Lna,Zk1Std from Hor331Zk1 order by 1,2"),
                   balanceReads() - before};
  };
  for (const char* runDate : {"2024.02.05", "2024.01.31"}) {
    ctx.daysAhead.reset();
    const Written byStatements = written(walked, runDate);
    const Written otherByStatements = written({"4799"}, runDate);
    ctx.walkAhead = walked;
    ctx.daysAhead = std::make_shared<DaysAhead>(ctx);
    const Written ahead = written(walked, runDate);
    EXPECT_EQ(ahead.rows, byStatements.rows) << runDate;
    // Six statements per employee; ahead one window per balance, and the
    // two statements of 4712 that meet a NULL without indicator.
    EXPECT_EQ(byStatements.balanceReads, 4 * 6) << runDate;
    EXPECT_EQ(ahead.balanceReads, 6 + 2) << runDate;
    EXPECT_EQ(written({"4799"}, runDate).rows, otherByStatements.rows) << runDate;
  }
}

}  // namespace
}  // namespace lug::calc::test
