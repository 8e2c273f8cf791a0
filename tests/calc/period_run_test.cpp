#include "calc/period_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/run_exit.h"
#include "calc/scenario.h"
#include "support/damaged_file.h"

namespace lug::calc::test {
namespace {

class PeriodRunTest : public CalcTest {
 protected:
  explicit PeriodRunTest(const GroupData& group = {}) {
    addGroup(inst, group);
    usePeriod(1, "2024.01.01", "2024.01.31");
  }

  void run() { periodRun(ctx, own, ctx.akr, ctx.abrnr, 0, 0); }
  // A follow-month call for the period `offset` periods before the run's.
  void followMonth(int16_t offset, int32_t abrnr, const std::string& von, const std::string& bis) {
    ctx.abrVon = von, ctx.abrBis = bis;
    periodRun(ctx, own, ctx.akr, abrnr, offset, 1);
  }
  void interim(int16_t lfn, int32_t highest) {
    ctx.interim = 1, ctx.lfn = lfn, ctx.highestLfn = highest;
  }

  // Pnr|Zkt|Bdt|Std|Tge of the period records.
  Lines values() {
    return joinedRows(inst,
                      "select Zk1Pnr,Zk1Zkt,Zk1Bdt,Zk1Std,Zk1Tge from Hor331Zk1 order by "
                      "Zk1Pnr,Zk1Zkt,Zk1Bdt,Zk1Kst,Zk1Ktr");
  }
  // The log lines of the employees of the first call.
  Lines employeeLines() { return logSection(log(), "Pnr", "PersNr-Lesen"); }
  // An employee of group A1 with a master cost assignment.
  void hire(const std::string& pnr) {
    addEmployee(inst, pnr);
    addCost(inst, pnr, "K1", "", "");
  }

  Span own;
};

TEST_F(PeriodRunTest, NewestOfTwoLinesForOneAccountAndWageTypeWins) {
  addLine(inst, {.ztk = "NORM", .lna = "1000", .lgr = "OLD", .gvo = "2020.01.01"});
  addLine(inst, {.ztk = "NORM", .lna = "1000", .lgr = "NEW", .gvo = "2023.06.01"});
  addLine(inst, {.ztk = "NORM", .lna = "1001", .gbi = "2024.01.30"});  // not valid all period
  hire("4711");
  addBooking(inst, {.dtm = "2024.01.31", .zkt = "NORM", .std = 60, .ztr = 3});
  run();
  EXPECT_EQ(joinedRows(inst, "select Zk1Lna,Zk1Lgr from Hor331Zk1"), (Lines{"1000|NEW"}));
  EXPECT_EQ(employeeLines(),
            (Lines{"Pnr: 4711", "Warnung Mehrfache Zuordnung: Zkt: NORM -> Lna: 1000",
                   "PersNr-Lesen Status: 1403"}));
}

TEST_F(PeriodRunTest, DayByDayLinesHandOverEveryBookingDay) {
  addLine(inst, {.ztk = "URL", .lna = "2000", .tgw = 1, .tge = 1, .svk = 1});
  hire("4711");
  addBooking(inst, {.dtm = "2024.01.31", .zkt = "URL", .std = 960, .ztr = 3});
  addDayCode(inst, "UH", "URL");
  for (const char* day : {"2024.01.08", "2024.01.09"})
    addBooking(inst, {.dtm = day, .zkt = "URL", .std = 480, .kst = "K1"});
  addAttendance(inst, "4711", "2024.01.08", "U");
  addAttendance(inst, "4711", "2024.01.09", "", "UH");
  run();
  EXPECT_EQ(values(), (Lines{"4711|URL|2024.01.08|0|10", "4711|URL|2024.01.09|0|5"}));
  EXPECT_EQ(joinedRows(inst, "select distinct Zk1Sta,Zk1Kst,Zk1Von from Hor331Zk1"),
            (Lines{"2|K1|2024.01.01"}));
  EXPECT_EQ(daySummaries(inst), (Lines{"1|4711|2024.01.01|30|28.5|0|0|0|0|0|0|0|0"}));
  EXPECT_EQ(employeeLines(),
            (Lines{"Pnr: 4711", "PNR: 4711, Prueftage: 10, T-Konto: URL, Kst-Stelle: K1, Kst-Art: ",
                   "PNR: 4711, Prueftage: 5, T-Konto: URL, Kst-Stelle: K1, Kst-Art: ",
                   "PersNr-Lesen Status: 1403"}));
}

class LastDayTest : public PeriodRunTest {
 protected:
  LastDayTest() : PeriodRunTest({.dtm = 2}) {}
};

TEST_F(LastDayTest, BookingDateIsThePeriodsLastDay) {
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  addLine(inst, {.ztk = "RUL", .lna = "7000", .lgr = "RUL"});
  addEmployee(inst, "4711");
  addBooking(inst, {.dtm = "2024.01.15", .zkt = "NORM", .std = 60, .ztr = 3});
  run();
  EXPECT_EQ(values(), (Lines{"4711|NORM|2024.01.31|60|0", "4711|RUL|2024.01.31|0|0"}));
}

TEST_F(PeriodRunTest, GroupsWithoutEmployeesLinesOrBookings) {
  run();
  EXPECT_EQ(log().back(), "PersNr-Lesen Status: 1403");
  addEmployee(inst, "4711");
  run();
  EXPECT_EQ(employeeLines(), (Lines{"Pnr: 4711", "Keine Stammkostenstelle für PNR 4711",
                                    "  - keine Daten ermittelt", "PersNr-Lesen Status: 1403"}));
  EXPECT_NE(inst.logText().find("Keine Stammkostenstelle f\xFCr PNR 4711\r\n"), std::string::npos);
  EXPECT_TRUE(periodRecords(inst).empty());
  EXPECT_EQ(daySummaries(inst), (Lines{"1|4711|2024.01.01|30|30|0|0|0|0|0|0|0|0"}));
}

TEST_F(PeriodRunTest, WithoutRecordKindsNothingIsHandedOver) {
  inst.db().exec("delete from Hor170Lg1");
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  addEmployee(inst, "4711");
  addBooking(inst, {.dtm = "2024.01.31", .zkt = "NORM", .std = 60, .ztr = 3});
  run();
  EXPECT_EQ(log()[3], "Keine Satzarten gefunden !");
  EXPECT_TRUE(periodRecords(inst).empty());
}

TEST_F(PeriodRunTest, CheckDaysOfOneEmployeeDoNotReduceAnothersSummary) {
  addLine(inst, {.ztk = "KRANK", .lna = "2100", .tge = 1, .svk = 1});
  for (const char* pnr : {"1", "2"}) addEmployee(inst, pnr);
  addBooking(inst, {.pnr = "1", .dtm = "2024.01.31", .zkt = "KRANK", .std = 480, .ztr = 3});
  addBooking(inst, {.pnr = "1", .dtm = "2024.01.08", .zkt = "KRANK", .std = 480});
  addAttendance(inst, "1", "2024.01.08", "K");
  run();
  EXPECT_EQ(joinedRows(inst, "select Zk2Pnr,Zk2Svt from Hor331Zk2 order by 1"),
            (Lines{"1|29", "2|30"}));
}

TEST_F(PeriodRunTest, CheckDaysOfAllReducingLinesAddUp) {
  addLine(inst, {.ztk = "KRANK", .lna = "2100", .tge = 1, .svk = 1});
  addLine(inst, {.ztk = "KUR", .lna = "2300", .tge = 1, .svk = 1});
  addLine(inst, {.ztk = "NORM", .lna = "1000", .svk = 1});  // no check days: reduces nothing
  hire("4711");
  for (const char* zkt : {"KRANK", "KUR", "NORM"}) {
    addBooking(inst, {.dtm = "2024.01.31", .zkt = zkt, .std = 480, .ztr = 3});
    addBooking(inst, {.dtm = "2024.01.08", .zkt = zkt, .std = 480});
  }
  addAttendance(inst, "4711", "2024.01.08", "K");
  run();
  EXPECT_EQ(joinedRows(inst, "select Zk2Svt from Hor331Zk2"), (Lines{"28"}));
}

TEST_F(PeriodRunTest, BalanceRecordsOfAnEmployeeWithoutCostAssignmentHaveNoCostColumns) {
  addLine(inst, {.ztk = "RUL", .lna = "7000", .lgr = "RUL"});
  hire("1");
  addEmployee(inst, "2");
  inst.insert("Hor332Utg", {{"UtgPnr", "1"}, {"UtgDtm", "2024.01.01"}, {"UtgRtg", 2.0}});
  run();
  EXPECT_EQ(joinedRows(inst, "select Zk1Pnr,Zk1Kst,Zk1Std from Hor331Zk1 order by 1"),
            (Lines{"1|K1|120", "2||0"}));
}

// An employee with two rows in the period: the older row's balance records
// are written with its row, so that a failure is logged under its employee
// (here its payroll number is too long for Zk1Upn).
TEST_F(PeriodRunTest, BalanceRecordsOfAnOlderRowAreWrittenWithTheRow) {
  addLine(inst, {.ztk = "RUL", .lna = "7000", .lgr = "RUL"});
  addEmployee(inst, "1", "A1", "2020.01.01", "2024.01.15", "L12345678");
  addEmployee(inst, "1", "A1", "2024.01.16");
  addCost(inst, "1", "K1", "", "");
  hire("2");
  run();
  EXPECT_EQ(
      employeeLines(),
      (Lines{"Pnr: 1", "  - keine Daten ermittelt", "Pnr: 1   PersNr-LuG verwenden: L12345678",
             "Insert 331Zk1_Status -12899", "  - keine Daten ermittelt", "Pnr: 2",
             "  - keine Daten ermittelt", "PersNr-Lesen Status: 1403"}));
  EXPECT_EQ(joinedRows(inst, "select Zk1Pnr,Zk1Upn from Hor331Zk1 order by 1"),
            (Lines{"1|1", "2|2"}));
}

TEST_F(PeriodRunTest, OlderLineOfAnAccountStaysUnusedInInterimRuns) {
  addLine(inst, {.ztk = "GLZ", .lna = "3000", .gvo = "2023.06.01"});
  addLine(inst, {.ztk = "GLZ", .lna = "3000", .gvo = "2020.01.01", .ztr = 1});
  hire("4711");
  addBooking(inst, {.dtm = "2024.01.08", .zkt = "GLZ", .std = 120});
  interim(1, 0);
  run();
  EXPECT_TRUE(periodRecords(inst).empty());
  EXPECT_EQ(employeeLines()[1], "Warnung Mehrfache Zuordnung: Zkt: GLZ -> Lna: 3000");
}

TEST_F(PeriodRunTest, PayrollNumberRuleSkipsEmployeesWithout) {
  inst.db().exec("update Hor171Lug set LugPnr=1");
  usePeriod(1, "2024.01.01", "2024.01.31");
  addEmployee(inst, "1", "A1", "2020.01.01", "", "P1");
  addCost(inst, "1", "K1", "", "");
  addEmployee(inst, "2");
  addEmployee(inst, "3", "A1", "2020.01.01", "", "0");
  run();
  EXPECT_EQ(logSection(log(), "AbrNum", "PersNr-Lesen"),
            (Lines{"AbrNum: 1, Von: 2024.01.01  bis: 2024.01.31", "Nur LuG-PersNr verarbeiten", "",
                   "Pnr: 1   PersNr-LuG verwenden: P1", "  - keine Daten ermittelt",
                   "PersNr-Lesen Status: 1403"}));
}

TEST_F(PeriodRunTest, FollowMonthHandsOverEarlierBookingsUnderTheRunsPeriod) {
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  addLine(inst, {.ztk = "UEB", .lna = "1100", .flg = 1});
  addLine(inst, {.ztk = "NACHT", .lna = "1200", .flg = 1, .fkt = 1});
  addLine(inst, {.ztk = "GLZ", .lna = "3000", .flg = 1, .ztr = 1});
  addLine(inst, {.ztk = "SONN", .lna = "1300", .flg = 2});
  addEmployee(inst, "4711");
  for (const char* zkt : {"NORM", "UEB", "NACHT", "SONN"}) {
    addBooking(inst, {.dtm = "2024.01.31", .zkt = zkt, .std = 10, .ztr = 3});
    addBooking(inst, {.dtm = "2024.02.29", .zkt = zkt, .std = 20, .ztr = 3});
  }
  addBooking(inst, {.dtm = "2024.01.30", .zkt = "GLZ", .std = 5});
  usePeriod(2, "2024.02.01", "2024.02.29");
  run();
  followMonth(1, 1, "2024.01.01", "2024.01.31");
  EXPECT_EQ(joinedRows(inst,
                       "select Zk1Abr,Zk1Zkt,Zk1Bdt,Zk1Von,Zk1Bis,Zk1Std from Hor331Zk1 order by "
                       "Zk1Zkt,Zk1Von"),
            (Lines{"2|GLZ|2024.02.29|2024.01.30|2024.01.30|5",
                   "2|NACHT|2024.01.01|2024.01.01|2024.01.31|10",
                   "2|NORM|2024.02.01|2024.02.01|2024.02.29|20",
                   "2|UEB|2024.02.01|2024.01.01|2024.01.31|10"}));
  EXPECT_EQ(daySummaries(inst).size(), 1u);
  EXPECT_EQ(logSection(log(), "AbrNum: 1", "PersNr-Lesen").front(),
            "AbrNum: 1, Von: 2024.01.01  bis: 2024.01.31");
}

TEST_F(PeriodRunTest, FollowMonthOfLateEntries) {
  addGroup(inst, {.akr = "B1", .lug = "L2", .kinds = {}});
  addLine(inst, {.ztk = "UEB", .lna = "1100", .flg = 1});
  addLine(inst, {.ztk = "UEB", .lna = "1199", .flg = 1, .lug = "L2"});
  addEmployee(inst, "1", "A1", "2024.02.10");  // no employment in January
  addEmployee(inst, "2", "A1", "2024.02.10");  // came from group B1
  addEmployee(inst, "2", "B1", "2023.01.01", "2024.02.09");
  addEmployee(inst, "3", "A1", "2024.02.10");  // a new employment in the same group
  addEmployee(inst, "3", "A1", "2023.01.01", "2024.01.31");
  for (const char* pnr : {"1", "2", "3"})
    addBooking(inst, {.pnr = pnr, .dtm = "2024.01.31", .zkt = "UEB", .std = 10, .ztr = 3});
  usePeriod(2, "2024.02.01", "2024.02.29");
  run();
  followMonth(1, 1, "2024.01.01", "2024.01.31");
  EXPECT_EQ(joinedRows(inst, "select Zk1Pnr,Zk1Lna,Zk1Std from Hor331Zk1 order by 1"),
            (Lines{"2|1199|10", "3|1100|10"}));
  EXPECT_EQ(logSection(log(), "AbrNum: 1", "PersNr-Lesen"),
            (Lines{"AbrNum: 1, Von: 2024.01.01  bis: 2024.01.31", "Alle PersNr verarbeiten", "",
                   "Pnr: 1", "    -> erst später eingetreten!", "Pnr: 2", "Pnr: 3",
                   "    -> neues Bsv im alten Abrkreis!", "Pnr: 3", "PersNr-Lesen Status: 1403"}));
}

TEST_F(PeriodRunTest, SiteAccountValuesOfOneInstallation) {
  addEmployee(inst, "4711");
  addCost(inst, "4711", "K1", "T1", "01");
  for (double value : {2.0, 1.994, 1.996})
    inst.insert("Hor331Zks", {{"ZksPnr", "4711"},
                              {"ZksDtm", "2024.01.15"},
                              {"ZksZkt", "W" + std::to_string(static_cast<int>(value * 1000))},
                              {"ZksWrt", value}});
  inst.insert("Hor331Zks",
              {{"ZksPnr", "4711"}, {"ZksDtm", "2024.01.16"}, {"ZksZkt", "W2000"}, {"ZksWrt", 5.0}});
  run();
  EXPECT_TRUE(periodRecords(inst).empty());
  std::filesystem::remove(inst.logPath());
  ctx.site = "02272";
  run();
  EXPECT_EQ(periodRecords(inst),
            (Lines{"1|0|LS|2024.01.01|4711|W1994|W1994| |K1|T1|0|199|0|0|2024.01.01|2024.01.31|0|1|"
                   "0|4711|0|0",
                   "1|0|LS|2024.01.01|4711|W1996|W1996| |K1|T1|0|200|0|0|2024.01.01|2024.01.31|0|1|"
                   "0|4711|0|0",
                   "1|0|LS|2024.01.01|4711|W2000|W2000| |K1|T1|0|200|0|0|2024.01.01|2024.01.31|0|1|"
                   "0|4711|0|0"}));
  // The second value of an account is not added: a duplicate is an error here.
  EXPECT_EQ(employeeLines(), (Lines{"Pnr: 4711", "      Fehler Schreiben Zk1: -1",
                                    "  - keine Daten ermittelt", "PersNr-Lesen Status: 1403"}));
}

// A damaged booking table: the first statement that meets the fatal status
// (the day summary's booking days, which have no message of their own) is
// named with the status before the abort routine's line.
TEST_F(PeriodRunTest, FatalStatusOfABookingReadIsLoggedBeforeTheAbort) {
  if (inst.engine() != lug::test::TestEngine::Sqlite) GTEST_SKIP() << "damages a SQLite file";
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  hire("4711");
  addBooking(inst, {.dtm = "2024.01.31", .zkt = "NORM", .std = 60, .ztr = 3});
  const std::string file = inst.service() + "/TEST.db";
  lug::test::checkpoint(file);
  lug::test::damageTable(file, "Hor331Zkb");
  EXPECT_THROW(run(), base::RunExit);
  const Lines lines = log();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Fehler Lesen Hor331zkb: -9999");
  EXPECT_EQ(lines.back(), "Abbruch wegen Fehler, Status: 60");
}

}  // namespace
}  // namespace lug::calc::test
