#include "calc/day_counts.h"

#include <gtest/gtest.h>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

class CheckDaysTest : public CalcTest {
 protected:
  CheckDaysTest() {
    addGroup(inst);
    usePeriod(1, "2024.01.01", "2024.01.31");
    addLine(inst, {.ztk = "KRANK", .lna = "2100", .tge = 1});
    addDayCode(inst, "KH", "KRANK");
    addDayCode(inst, "UH", "URL");
  }

  // One booking day of the account with an attendance record.
  void sickDay(const std::string& day, const std::string& first = "",
               const std::string& second = "", int minutes = 480) {
    addBooking(inst, {.dtm = day, .zkt = "KRANK", .std = minutes, .kst = "K1"});
    addAttendance(inst, "4711", day, first.empty() && second.empty() ? "K" : "", first, second);
  }

  int32_t count(const Span& range = {"2024.01.01", "2024.01.31"}, const std::string& ktr = "") {
    return checkDays(ctx, "A1", line,
                     Booking{.pnr = "4711", .kst = "K1", .ktr = ktr, .zkt = "KRANK"}, range);
  }

  InterfaceLine line{.ztk = "KRANK", .tge = 1};
};

TEST_F(CheckDaysTest, HalfDayCodesOfTheAccountCountHalf) {
  sickDay("2024.01.08");
  EXPECT_EQ(count(), 10);
  sickDay("2024.01.09", "KH");
  EXPECT_EQ(count(), 15);
  sickDay("2024.01.10", "KH", "KH");
  EXPECT_EQ(count(), 25);
  sickDay("2024.01.11", "UH");  // a half day of another account: the day counts whole
  EXPECT_EQ(count(), 35);
  sickDay("2024.01.12", "", "XX");  // an unknown code counts whole as well
  EXPECT_EQ(count(), 45);
  EXPECT_EQ(count({"2024.01.09", "2024.01.09"}), 5);
}

TEST_F(CheckDaysTest, Status102CountsEveryHalfDayCode) {
  line.sts = 102;
  sickDay("2024.01.11", "UH");
  sickDay("2024.01.12", "XX", "UH");
  EXPECT_EQ(count(), 15);
}

TEST_F(CheckDaysTest, TargetRuleSkipsDaysWithoutTarget) {
  addDays(inst, "4711", "2024.01.01", "2024.01.31");
  sickDay("2024.01.05");
  sickDay("2024.01.06", "KH");  // Saturday: target 0
  sickDay("2024.01.15");
  addDay(inst, {.dtm = "2024.01.15", .ztr = 3, .sol = 0});  // a month record is no day record
  EXPECT_EQ(count(), 25);
  line.sol = 1;
  EXPECT_EQ(count(), 20);
}

TEST_F(CheckDaysTest, OnlyBookedDaysOfTheCostAssignmentWithAttendanceRecordCount) {
  sickDay("2024.01.08");
  addBooking(inst, {.dtm = "2024.01.09", .zkt = "KRANK", .std = 480, .kst = "K1"});
  sickDay("2024.01.10", "", "", 0);  // no minutes
  addBooking(inst, {.dtm = "2024.01.11", .zkt = "KRANK", .std = 480, .kst = "K2"});
  addAttendance(inst, "4711", "2024.01.11", "K");
  addBooking(inst, {.dtm = "2024.01.12", .zkt = "KRANK", .std = 480, .kst = "K1", .ktr = "T1"});
  addAttendance(inst, "4711", "2024.01.12", "K");
  EXPECT_EQ(count(), 10);
  EXPECT_EQ(count({"2024.01.01", "2024.01.31"}, "T1"), 10);
}

TEST_F(CheckDaysTest, DaysWithoutMinutesCountOnLinesOfKindOne) {
  inst.db().exec("update Hor171Lu1 set Lu1Art=1 where Lu1Ztk='KRANK'");
  sickDay("2024.01.10", "", "", 0);
  EXPECT_EQ(count(), 10);
}

class ShareTest : public CalcTest {
 protected:
  ShareTest() {
    addGroup(inst);
    addLine(inst, {.ztk = "ANW", .lna = "4000", .sts = 102});
    addLine(inst, {.ztk = "URL", .lna = "2000", .sts = 105});
    addDayCode(inst, "U", "URL");
    addDayCode(inst, "D", "DIEN");
  }
  double share() { return bookedShare(ctx, "A1", "4711", {"2024.01.01", "2024.01.31"}); }
};

TEST_F(ShareTest, BookedDaysLessTheirReducingDayCodes) {
  addBooking(inst, {.dtm = "2024.01.08", .zkt = "ANW", .std = 480});
  addBooking(inst, {.dtm = "2024.01.08", .zkt = "ANW", .std = 60, .kst = "K2"});  // one day
  addBooking(inst, {.dtm = "2024.01.09", .zkt = "ANW", .std = 240});
  addAttendance(inst, "4711", "2024.01.09", "", "U");
  addBooking(inst, {.dtm = "2024.01.10", .zkt = "ANW", .std = 240});
  addAttendance(inst, "4711", "2024.01.10", "U");
  addBooking(inst, {.dtm = "2024.01.11", .zkt = "ANW", .std = 480});
  addAttendance(inst, "4711", "2024.01.11", "D", "D");
  addBooking(inst, {.dtm = "2024.01.12", .zkt = "ANW", .std = 0});
  addBooking(inst, {.dtm = "2024.01.12", .zkt = "URL", .std = 480});
  EXPECT_EQ(share(), 10 + 5 + 0 + 10);
}

class InterruptionsTest : public CalcTest {
 protected:
  InterruptionsTest() {
    addGroup(inst);
    addDays(inst, "4711", "2023.12.01", "2024.02.29");
  }
  // Marks weekdays as wholly unpaid days.
  void unpaid(const std::string& von, const std::string& bis) {
    inst.db().exec(
        "update Hor320Tgb set TgbUnb=TgbSol where TgbSol>0 and TgbDtm>=:b0 and TgbDtm<=:b1",
        {von, bis});
    inst.db().commit();
  }
  int32_t handOver(const Span& period) {
    const InterruptionLine line{.lna = "9000", .stz = "LA", .rre = 1};
    return handOverInterruptions(
        ctx, line, {"4711", "P4711", period, period.von, {"K1", "T1", "01"}}, records);
  }
  const Span january{"2024.01.01", "2024.01.31"}, february{"2024.02.01", "2024.02.29"};
  SequenceNumbers numbers;
  PeriodRecords records{inst.db(), 2, 0, numbers};
};

TEST_F(InterruptionsTest, TargetFreeWeekendDoesNotEndABlock) {
  unpaid("2024.01.08", "2024.01.16");  // Monday to Friday, Monday and Tuesday
  EXPECT_EQ(handOver(january), 1);
  EXPECT_EQ(log(), (Lines{"--- Unterbrechungen: 1"}));
  EXPECT_EQ(periodRecords(inst),
            (Lines{"2|0|LA|2024.01.01|4711|9000|9000| |K1|T1|01|1|0|0|2024.01.01|2024.01.31|112|"
                   "1|0|P4711|0|0"}));
}

TEST_F(InterruptionsTest, FourDaysAreNoInterruption) {
  unpaid("2024.01.08", "2024.01.11");
  EXPECT_EQ(handOver(january), 0);
  EXPECT_TRUE(log().empty());
  EXPECT_TRUE(periodRecords(inst).empty());
}

TEST_F(InterruptionsTest, TargetDaysBetweenEndTheBlock) {
  unpaid("2024.01.08", "2024.01.12");
  unpaid("2024.01.17", "2024.01.25");
  unpaid("2024.01.29", "2024.01.30");
  EXPECT_EQ(handOver(january), 2);
  EXPECT_EQ(log(),
            (Lines{"--- 2 SollTage zwischen 2024.01.12 und 2024.01.17",
                   "--- 1 SollTage zwischen 2024.01.25 und 2024.01.29", "--- Unterbrechungen: 2"}));
}

TEST_F(InterruptionsTest, BlockCountedInTheMonthBeforeIsNotCountedAgain) {
  unpaid("2024.01.24", "2024.02.02");  // six days in January, two in February
  EXPECT_EQ(handOver(february), 0);
  EXPECT_TRUE(periodRecords(inst).empty());
}

TEST_F(InterruptionsTest, BlockTooShortInTheMonthBeforeIsCountedInThisPeriod) {
  unpaid("2024.01.10", "2024.01.10");
  unpaid("2024.01.26", "2024.02.01");  // four days in January, one in February
  EXPECT_EQ(handOver(february), 1);
  EXPECT_EQ(log(), (Lines{"--- 11 SollTage zwischen 2024.01.26 und 2024.01.10",
                          "--- Unterbrechungen: 1"}));
}

TEST_F(InterruptionsTest, JanuaryDoesNotLookBack) {
  unpaid("2023.12.25", "2024.01.02");
  EXPECT_EQ(handOver(january), 0);
  unpaid("2024.01.03", "2024.01.05");
  EXPECT_EQ(handOver(january), 1);
}

TEST_F(InterruptionsTest, StoredRecordStaysAsItIs) {
  unpaid("2024.01.08", "2024.01.12");
  handOver(january);
  unpaid("2024.01.22", "2024.01.26");
  EXPECT_EQ(handOver(january), 2);
  EXPECT_EQ(inst.scalar("select Zk1Std from Hor331Zk1"), "1");
}

}  // namespace
}  // namespace lug::calc::test
