#include "calc/period_account.h"

#include <gtest/gtest.h>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

class PeriodAccountTest : public CalcTest {
 protected:
  PeriodAccountTest() {
    addGroup(inst);
    usePeriod(1, "2024.01.01", "2024.01.31");
    addDayCode(inst, "HU", "URL");
  }

  void book(const std::vector<std::string>& days, int minutes = 480,
            const std::string& kst = "K1") {
    for (const std::string& day : days)
      addBooking(inst, {.dtm = day, .zkt = "GLZ", .std = minutes, .kst = kst});
  }

  int run(const InterfaceLine& l, const Span& period = {"2024.01.01", "2024.01.31"},
          bool followMonth = false) {
    const Booking group{
        .pnr = "4711", .kst = "K1", .ktr = "T1", .krt = "01", .zkt = "GLZ", .stg = 1};
    return periodAccount(ctx, {group, l, period, "P4711", followMonth}, records, checkDays);
  }

  // Span records: Bdt|Von|Bis|Std|Tge|Inf.
  Lines spans() {
    return joinedRows(inst,
                      "select Zk1Bdt,Zk1Von,Zk1Bis,Zk1Std,Zk1Tge,Zk1Inf from Hor331Zk1 order by "
                      "Zk1Von");
  }

  InterfaceLine line{.stz = "LA", .ztk = "GLZ", .lna = "3000", .rre = 1, .sts = 7, .ztr = 1};
  SequenceNumbers numbers;
  PeriodRecords records{inst.db(), 1, 0, numbers};
  double checkDays = 0;
};

TEST_F(PeriodAccountTest, UnbookedWeekendEndsTheSpan) {
  book(daysOf("2024.01.08", "2024.01.12"));
  book(daysOf("2024.01.15", "2024.01.19"));
  EXPECT_EQ(run(line), 2);
  EXPECT_EQ(spans(), (Lines{"2024.01.08|2024.01.08|2024.01.12|2400|0|0",
                            "2024.01.15|2024.01.15|2024.01.19|2400|0|0"}));
  EXPECT_EQ(periodRecords(inst).front(),
            "1|0|LA|2024.01.08|4711|GLZ|3000|     |K1|T1|01|2400|0|1|2024.01.08|2024.01.12|7|1|2|"
            "P4711|0|0");
}

TEST_F(PeriodAccountTest, TopasBridgesDaysWithoutTarget) {
  ctx.topas = 1;
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  book(daysOf("2024.01.08", "2024.01.12"));
  book(daysOf("2024.01.15", "2024.01.19"));
  EXPECT_EQ(run(line), 1);
  EXPECT_EQ(spans(), (Lines{"2024.01.08|2024.01.08|2024.01.19|4800|0|0"}));
}

TEST_F(PeriodAccountTest, TopasEndsTheSpanOnAnUnbookedTargetDay) {
  ctx.topas = 1;
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  book({"2024.01.08", "2024.01.10"});
  EXPECT_EQ(run(line), 2);
  EXPECT_EQ(spans(), (Lines{"2024.01.08|2024.01.08|2024.01.08|480|0|0",
                            "2024.01.10|2024.01.10|2024.01.10|480|0|0"}));
}

TEST_F(PeriodAccountTest, HalfDayInARunOfWholeDaysSplitsTheRun) {
  book(daysOf("2024.01.08", "2024.01.12"));
  addAttendance(inst, "4711", "2024.01.10", "", "HU");
  EXPECT_EQ(run(line), 3);
  EXPECT_EQ(spans(), (Lines{"2024.01.08|2024.01.08|2024.01.09|960|0|0",
                            "2024.01.10|2024.01.10|2024.01.10|480|0|1",
                            "2024.01.11|2024.01.11|2024.01.12|960|0|0"}));
}

TEST_F(PeriodAccountTest, CheckDayLinesCountWeightedDaysInsteadOfMinutes) {
  line.tge = 1;
  book(daysOf("2024.01.08", "2024.01.11"));
  addAttendance(inst, "4711", "2024.01.11", "", "HU");
  addAttendance(inst, "4711", "2024.01.09", "KR");  // a whole-day code keeps the whole day
  EXPECT_EQ(run(line), 2);
  EXPECT_EQ(spans(), (Lines{"2024.01.08|2024.01.08|2024.01.10|0|30|0",
                            "2024.01.11|2024.01.11|2024.01.11|0|5|1"}));
}

TEST_F(PeriodAccountTest, TargetRuleZeroesDaysWithoutTargetAfterCountingThemForSvt) {
  line.tge = 1, line.sol = 1, line.svk = 1;
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  book(daysOf("2024.01.05", "2024.01.08"));  // Friday to Monday, both weekend days booked
  EXPECT_EQ(run(line), 1);
  EXPECT_EQ(spans(), (Lines{"2024.01.05|2024.01.05|2024.01.08|0|20|0"}));
  EXPECT_EQ(checkDays, 40);
}

TEST_F(PeriodAccountTest, DaysWithoutMinutesBelongToTheSpan) {
  book({"2024.01.08"});
  book({"2024.01.09"}, 0);
  book({"2024.01.10"});
  EXPECT_EQ(run(line), 1);
  EXPECT_EQ(spans(), (Lines{"2024.01.08|2024.01.08|2024.01.10|960|0|0"}));
}

TEST_F(PeriodAccountTest, DayBookedTwiceStaysInTheOpenSpan) {
  book({"2024.01.08", "2024.01.09", "2024.01.10"});
  book({"2024.01.09"}, 60, "K2");
  EXPECT_EQ(run(line), 1);
  EXPECT_EQ(spans(), (Lines{"2024.01.08|2024.01.08|2024.01.10|1500|0|0"}));
}

TEST_F(PeriodAccountTest, FollowMonthSpansAreBookedOneMonthAfterTheirStart) {
  book({"2024.01.08", "2024.01.09", "2024.01.31"});
  EXPECT_EQ(run(line, {"2024.01.01", "2024.01.31"}, true), 2);
  EXPECT_EQ(spans(), (Lines{"2024.02.08|2024.01.08|2024.01.09|960|0|0",
                            "2024.02.29|2024.01.31|2024.01.31|480|0|0"}));
}

TEST_F(PeriodAccountTest, NoBookingDaysWriteNothing) {
  book({"2024.02.01"});
  EXPECT_EQ(run(line), 0);
  EXPECT_TRUE(spans().empty());
}

// June 2024 begins on a Saturday and ends on a Sunday.
class TopasEdgeTest : public PeriodAccountTest {
 protected:
  TopasEdgeTest() {
    ctx.topas = 1;
    addDays(inst, "4711", "2024.05.27", "2024.07.05");
  }
  const Span june{"2024.06.01", "2024.06.30"};
};

TEST_F(TopasEdgeTest, LastSpanReachesThePeriodEndWhenTheNextTargetDayIsBookedOnTheAccount) {
  book(daysOf("2024.06.24", "2024.06.28"));
  book({"2024.07.01"});
  EXPECT_EQ(run(line, june), 1);
  EXPECT_EQ(spans(), (Lines{"2024.06.24|2024.06.24|2024.06.30|2400|0|0"}));
}

TEST_F(TopasEdgeTest, NextTargetDayBookedOnAnotherAccountLeavesTheSpan) {
  book(daysOf("2024.06.24", "2024.06.28"));
  addBooking(inst, {.dtm = "2024.07.01", .zkt = "URL", .std = 480});
  EXPECT_EQ(run(line, june), 1);
  EXPECT_EQ(spans(), (Lines{"2024.06.24|2024.06.24|2024.06.28|2400|0|0"}));
}

TEST_F(TopasEdgeTest, LastSpanReachesBackToThePeriodStart) {
  book({"2024.05.31"});
  book(daysOf("2024.06.03", "2024.06.07"));
  EXPECT_EQ(run(line, june), 1);
  EXPECT_EQ(spans(), (Lines{"2024.06.01|2024.06.01|2024.06.07|2400|0|0"}));
}

TEST_F(TopasEdgeTest, OnlyTheLastSpanIsStretched) {
  book({"2024.05.31"});
  book(daysOf("2024.06.03", "2024.06.07"));
  book(daysOf("2024.06.24", "2024.06.28"));
  EXPECT_EQ(run(line, june), 2);
  EXPECT_EQ(spans(), (Lines{"2024.06.03|2024.06.03|2024.06.07|2400|0|0",
                            "2024.06.24|2024.06.24|2024.06.28|2400|0|0"}));
}

TEST_F(PeriodAccountTest, SecondVariantWritesTheSpansIntoTheWorkTable) {
  WorkRecords work{inst.db(), ctx.runKey(), 1, 3};
  book({"2024.01.08", "2024.01.09"});
  addAttendance(inst, "4711", "2024.01.09", "", "", "HU");
  const Booking group{.pnr = "4711", .kst = "K1", .zkt = "GLZ"};
  EXPECT_EQ(periodAccount(ctx, {group, line, {"2024.01.01", "2024.01.31"}, "P4711", false}, work,
                          checkDays),
            2);
  EXPECT_EQ(joinedRows(inst,
                       "select Zk3Key,Zk3Abr,Zk3Lfn,Zk3Bdt,Zk3Von,Zk3Bis,Zk3Std,Zk3Inf from "
                       "Hor331Zk3 order by Zk3Von"),
            (Lines{"05.02.2024 08:00:00|1|3|2024.01.08|2024.01.08|2024.01.08|480|0",
                   "05.02.2024 08:00:00|1|3|2024.01.09|2024.01.09|2024.01.09|480|1"}));
  EXPECT_TRUE(spans().empty());
}

}  // namespace
}  // namespace lug::calc::test
