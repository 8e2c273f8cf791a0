// Runs of the lug program over several periods, with bookings changed
// between the runs: every period record and journal row that the
// recalculation and the interim-run comparison leave behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

// Abr|Lfn|Bdt|Pnr|Zkt|Lna|Kst|Ktr|Krt|Std|Tge|Von|Bis|Sts|Rre|Sta|Inf|Rrn|Su1
constexpr char kRecords[] =
    "select Zk1Abr,Zk1Lfn,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Kst,Zk1Ktr,Zk1Krt,Zk1Std,Zk1Tge,Zk1Von,"
    "Zk1Bis,Zk1Sts,Zk1Rre,Zk1Sta,Zk1Inf,Zk1Rrn,Zk1Su1 from Hor331Zk1 order by "
    "Zk1Abr,Zk1Lfn,Zk1Pnr,Zk1Zkt,Zk1Bdt";
// Key|Abr|Bdt|Pnr|Zkt|Lna|Kst|Ktr|Krt|Std|Tge|Von|Bis|Sts|Rre|Inf|Su1|Lfn
constexpr char kJournal[] =
    "select Zk5Key,Zk5Abr,Zk5Bdt,Zk5Pnr,Zk5Zkt,Zk5Lna,Zk5Kst,Zk5Ktr,Zk5Krt,Zk5Std,Zk5Tge,Zk5Von,"
    "Zk5Bis,Zk5Sts,Zk5Rre,Zk5Inf,Zk5Su1,Zk5Lfn from Hor331Zk5 order by "
    "Zk5Key,Zk5Pnr,Zk5Bdt,Zk5Rre";

constexpr char kFeb5[] = "2024.02.05 08:00:00";
constexpr char kMar5[] = "2024.03.05 08:00:00";
constexpr char kMar5Later[] = "2024.03.05 09:00:00";
constexpr char kMar6[] = "2024.03.06 08:00:00";

class RecalcScenario : public ::testing::Test {
 protected:
  // A run of group A1 at the clock `now`; none leaves a row in the work table.
  void run(const std::string& now, const std::string& abrnr, const std::string& mode = "0",
           const std::string& akr = "A1") {
    EXPECT_EQ(runAt(inst, now, akr, abrnr, mode).exitStatus, 1) << now;
    EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk3"), "0") << now;
  }
  void month(const std::string& pnr, const std::string& zkt, int minutes,
             const std::string& dtm = "2024.01.31", const std::string& kst = "",
             const std::string& ktr = "", const std::string& krt = "") {
    addBooking(inst, {.pnr = pnr,
                      .dtm = dtm,
                      .zkt = zkt,
                      .std = minutes,
                      .ztr = 3,
                      .kst = kst,
                      .ktr = ktr,
                      .krt = krt});
  }
  void day(const std::string& pnr, const std::string& zkt, const std::string& dtm, int minutes,
           const std::string& kst = "") {
    addBooking(inst, {.pnr = pnr, .dtm = dtm, .zkt = zkt, .std = minutes, .kst = kst});
  }
  // A change of the bookings between runs (the session prepares each text
  // once: pass a literal).
  void change(const char* sql) {
    ASSERT_EQ(inst.db().exec(sql), 0) << sql;
    ASSERT_EQ(inst.db().commit(), 0);
  }
  Lines records() { return joinedRows(inst, kRecords); }
  Lines journal() { return joinedRows(inst, kJournal); }
  // The log lines of all runs that start with `prefix`, sorted.
  Lines logged(const std::string& prefix) const {
    Lines out;
    for (const std::string& line : logLines(fromWindows1252(inst.logText())))
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    std::sort(out.begin(), out.end());
    return out;
  }

  Installation inst;
};

// January 2024 handed over, then corrected: Anna's hours, Bernd's deleted
// leave day, Clara's forgotten hours; Dieter's hours without cost unit and
// cost type stay as they were. February is handed over twice, then March.
TEST_F(RecalcScenario, CorrectionsOfAPeriodHandedOverBefore) {
  addGroup(inst, {.lgp = "LODAS", .recalcDepth = 1});
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  addLine(inst, {.ztk = "URL", .lna = "2000", .tgw = 1});
  for (const char* pnr : {"1001", "1002", "1003", "1004"}) addEmployee(inst, pnr);
  month("1001", "NORM", 9600, "2024.01.31", "K1", "T1", "01");
  day("1002", "URL", "2024.01.10", 480, "K2");
  month("1002", "URL", 480, "2024.01.31", "K2");
  month("1004", "NORM", 7200, "2024.01.31", "K4");
  month("1004", "NORM", 7200, "2024.02.29", "K4");
  run(kFeb5, "1");
  change("update Hor331Zkb set ZkbStd=9000 where ZkbPnr='1001'");
  change("delete from Hor331Zkb where ZkbPnr='1002'");
  month("1003", "NORM", 480, "2024.01.31", "K3");
  run(kMar5, "2");
  run(kMar6, "2");
  run("2024.04.05 08:00:00", "3");  // January's corrections lie before the cut-off date

  EXPECT_EQ(
      records(),
      (Lines{"1|0|2024.01.01|1001|NORM|1000|K1|T1|01|9600|0|2024.01.01|2024.01.31|0|1|1|0||0",
             "1|0|2024.01.10|1002|URL|2000|K2|||480|0|2024.01.01|2024.01.31|0|1|2|0||0",
             "1|0|2024.01.01|1004|NORM|1000|K4|||7200|0|2024.01.01|2024.01.31|0|1|1|0||0",
             "2|0|2024.01.01|1001|NORM|1000|K1|T1|01|-600|0|2024.01.01|2024.01.31|0|2|1|0|1|0",
             "2|0|2024.01.10|1002|URL|2000|K2|||-480|0|2024.01.01|2024.01.31|0|2|1|0|1|0",
             "2|0|2024.01.01|1003|NORM|1000|K3|||480|0|2024.01.01|2024.01.31|0|2|1|0|1|0",
             "2|0|2024.02.01|1004|NORM|1000|K4|||7200|0|2024.02.01|2024.02.29|0|1|1|0||0"}));
  Lines expected;
  for (const std::string key : {"05.03.2024 08:00:00", "06.03.2024 08:00:00"})
    for (const char* row :
         {"|2|2024.01.01|1001|NORM|1000|K1|T1|01|9000|0|2024.01.01|2024.01.31|0|3|0|0|0",
          "|2|2024.01.01|1001|NORM|1000|K1|T1|01|9600|0|2024.01.01|2024.01.31|0|4|0|0|0",
          "|2|2024.01.10|1002|URL|2000|K2|||480|0|2024.01.01|2024.01.31|0|4|0|0|0",
          "|2|2024.01.01|1003|NORM|1000|K3|||480|0|2024.01.01|2024.01.31|0|3|0|0|0"})
      expected.push_back(key + row);
  EXPECT_EQ(journal(), expected);
  EXPECT_EQ(
      logged("Differenzsatz"),
      (Lines{"Differenzsatz schreiben(1), Pnr: 1001", "Differenzsatz schreiben(1), Pnr: 1001",
             "Differenzsatz schreiben(Del), Pnr: 1002", "Differenzsatz schreiben(Del), Pnr: 1002",
             "Differenzsatz schreiben(Ins), Pnr: 1003",
             "Differenzsatz schreiben(Ins), Pnr: 1003"}));
}

// Dieter left A1 for B1 on 21 January; Emil came from B1 on 10 February,
// and his January hours, handed over by B1, were corrected afterwards.
TEST_F(RecalcScenario, EmployeesWhoChangedAccountingGroup) {
  addGroup(inst, {.recalcDepth = 1});
  addGroup(inst, {.akr = "B1", .lug = "L2", .kinds = {}, .firstPeriod = 11});
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  addLine(inst, {.ztk = "NORM", .lna = "1099", .lug = "L2"});
  addEmployee(inst, "1004", "A1", "2020.01.01", "2024.01.20");
  addEmployee(inst, "1004", "B1", "2024.01.21");
  addEmployee(inst, "1005", "B1", "2023.01.01", "2024.02.09");
  addEmployee(inst, "1005", "A1", "2024.02.10");
  month("1004", "NORM", 700);
  month("1005", "NORM", 600);
  run(kFeb5, "1");
  run("2024.02.05 09:00:00", "11", "0", "B1");
  change("update Hor331Zkb set ZkbStd=660 where ZkbPnr='1005'");
  run(kMar5, "2");

  EXPECT_EQ(records(),
            (Lines{"1|0|2024.01.01|1004|NORM|1000||||700|0|2024.01.01|2024.01.31|0|1|1|0||0",
                   "1|0|2024.01.01|1005|NORM|1099||||600|0|2024.01.01|2024.01.31|0|1|1|0|11|0",
                   "2|0|2024.01.01|1005|NORM|1099||||60|0|2024.01.01|2024.01.31|0|2|1|0|1|0",
                   "11|0|2024.01.01|1004|NORM|1099||||700|0|2024.01.01|2024.01.31|0|1|1|0||0"}));
  EXPECT_EQ(logged("Pnr : 1004"), (Lines{"Pnr : 1004 in anderen AbrKreis gewechselt-> nicht "
                                         "berechnen"}));
  EXPECT_EQ(logged("     => Datensätze"), (Lines{"     => Datensätze temporär maskieren!"}));
  EXPECT_EQ(journal(), Lines{});
}

// Fritz left A1 for B1 on 16 January and came back on 1 February: his old
// A1 employment, ended before February, brings B1's January records along
// when January is recalculated (his new one starts after January), and
// February reverses B1's wage type and hands over A1's.
TEST_F(RecalcScenario, EmployeeBackFromAnotherGroupBringsItsRecords) {
  addGroup(inst, {.recalcDepth = 1});
  addGroup(inst, {.akr = "B1", .lug = "L2", .kinds = {}, .firstPeriod = 11});
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  addLine(inst, {.ztk = "NORM", .lna = "1099", .lug = "L2"});
  addEmployee(inst, "1006", "A1", "2020.01.01", "2024.01.15");
  addEmployee(inst, "1006", "B1", "2024.01.16", "2024.01.31");
  addEmployee(inst, "1006", "A1", "2024.02.01");
  month("1006", "NORM", 300);
  run("2024.02.05 09:00:00", "11", "0", "B1");
  run(kMar5, "2");

  Lines rows = records();  // February's two records differ only in the wage type
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows,
            (Lines{"1|0|2024.01.01|1006|NORM|1099||||300|0|2024.01.01|2024.01.31|0|1|1|0|11|0",
                   "2|0|2024.01.01|1006|NORM|1000||||300|0|2024.01.01|2024.01.31|0|2|1|0|1|0",
                   "2|0|2024.01.01|1006|NORM|1099||||-300|0|2024.01.01|2024.01.31|0|2|1|0|1|0"}));
}

// Two interim runs of February, then its final run: a period account whose
// spans changed, vanished and appeared between the runs.
TEST_F(RecalcScenario, InterimRunsAndTheFinalRunOfAPeriod) {
  addGroup(inst, {.lgp = "LODAS"});
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  addLine(inst, {.ztk = "GLZ", .lna = "3000", .ztr = 1});
  addEmployee(inst, "2001");
  month("2001", "NORM", 600, "2024.02.29");
  day("2001", "GLZ", "2024.02.05", 30);
  day("2001", "GLZ", "2024.02.06", 30);
  day("2001", "GLZ", "2024.02.08", 45);
  run(kMar5, "2", "1");
  change("update Hor331Zkb set ZkbStd=60 where ZkbDtm='2024.02.06'");
  change("delete from Hor331Zkb where ZkbDtm='2024.02.08'");
  day("2001", "GLZ", "2024.02.16", 20);
  run(kMar5Later, "2", "1");
  change("update Hor331Zkb set ZkbStd=25 where ZkbDtm='2024.02.16'");
  run(kMar6, "2");

  EXPECT_EQ(records(),
            (Lines{"2|0|2024.02.16|2001|GLZ|3000||||5|0|2024.02.16|2024.02.16|0|2|1|0|2|0",
                   "2|0|2024.02.01|2001|NORM|1000||||600|0|2024.02.01|2024.02.29|0|1|1|0||0",
                   "2|1|2024.02.05|2001|GLZ|3000||||60|0|2024.02.05|2024.02.06|0|1|2|0||0",
                   "2|1|2024.02.08|2001|GLZ|3000||||45|0|2024.02.08|2024.02.08|0|1|2|0||0",
                   "2|2|2024.02.05|2001|GLZ|3000||||30|0|2024.02.05|2024.02.06|0|2|1|0|2|0",
                   "2|2|2024.02.08|2001|GLZ|3000||||-45|0|2024.02.08|2024.02.08|0|2|1|0|2|0",
                   "2|2|2024.02.16|2001|GLZ|3000||||20|0|2024.02.16|2024.02.16|0|2|1|0|2|0"}));
  EXPECT_EQ(
      journal(),
      (Lines{
          "05.03.2024 09:00:00|2|2024.02.05|2001|GLZ|3000||||90|0|2024.02.05|2024.02.06|0|3|0|0|0",
          "05.03.2024 09:00:00|2|2024.02.05|2001|GLZ|3000||||60|0|2024.02.05|2024.02.06|0|4|0|0|0",
          "05.03.2024 09:00:00|2|2024.02.08|2001|GLZ|3000||||45|0|2024.02.08|2024.02.08|0|4|0|0|0",
          "05.03.2024 09:00:00|2|2024.02.16|2001|GLZ|3000||||20|0|2024.02.16|2024.02.16|0|3|0|0|0",
          "06.03.2024 08:00:00|2|2024.02.16|2001|GLZ|3000||||25|0|2024.02.16|2024.02.16|0|3|0|0|0",
          "06.03.2024 08:00:00|2|2024.02.16|2001|GLZ|3000||||20|0|2024.02.16|2024.02.16|0|4|0|0|"
          "0"}));
  EXPECT_EQ(logged("Diff.satz"), (Lines{"Diff.satz schreiben(1) ZwiAbr, Pnr: 2001",
                                        "Diff.satz schreiben(1) ZwiAbr, Pnr: 2001",
                                        "Diff.satz schreiben(Del) ZwiAbr, Pnr: 2001",
                                        "Diff.satz schreiben(Ins) ZwiAbr, Pnr: 2001"}));
}

// LOGA2 numbers every record with a status above 0, difference records too;
// the journal carries the number of the difference record on the re-posting
// and the largest number of the old records on the cancellation, and the
// hand-over passes both on.
TEST_F(RecalcScenario, Loga2JournalCarriesTheSequenceNumbers) {
  addGroup(inst, {.lgp = "LOGA2", .recalcDepth = 1});
  addLine(inst, {.ztk = "NORM", .lna = "1000", .sts = 1});
  addEmployee(inst, "3001");
  month("3001", "NORM", 600);
  run(kFeb5, "1");
  change("update Hor331Zkb set ZkbStd=660 where ZkbPnr='3001'");
  month("3001", "NORM", 300, "2024.02.29");
  run(kMar5, "2");

  EXPECT_EQ(records(),
            (Lines{"1|0|2024.01.01|3001|NORM|1000||||600|0|2024.01.01|2024.01.31|1|1|1|0||1",
                   "2|0|2024.01.01|3001|NORM|1000||||60|0|2024.01.01|2024.01.31|1|2|1|0|1|3",
                   "2|0|2024.02.01|3001|NORM|1000||||300|0|2024.02.01|2024.02.29|1|1|1|0||2"}));
  // The LOGA2001 hand-over reads the run's journal (and then removes it): its
  // time-calendar commands cancel record 1 and post the difference record 3.
  EXPECT_EQ(journal(), Lines{});
  EXPECT_EQ(joinedRows(inst, "select Lp1Fld from Hor333Lp1 order by Lp1Idx"),
            (Lines{"[ZEITENKAL];INSERT;000000000001;;;;A1;;3001;;;;2024.01.01;2024.01.31;;;;;     "
                   ";I;;;;;;;;;;;;",
                   "[ZEITENKAL];INSERT;000000000002;;;;A1;;3001;;;;2024.02.01;2024.02.29;;;;;     "
                   ";I;;;;;;;;;;;;",
                   "[ZEITENKAL];DELETE;000000000001;;;;A1;;3001;;;;2024.01.01;2024.01.31;;;;;     "
                   ";I;;;;;;;;;;;;",
                   "[ZEITENKAL];INSERT;000000000003;;;;A1;;3001;;;;2024.01.01;2024.01.31;;;;;     "
                   ";I;;;;;;;;;;;;"}));
}

// A follow-month period account of a period with interim runs is handed over
// as a new value, with a recalculation of earlier periods or without.
class FollowMonthAfterInterimRuns : public RecalcScenario,
                                    public ::testing::WithParamInterface<int> {};

TEST_P(FollowMonthAfterInterimRuns, IsHandedOverAsNewValue) {
  addGroup(inst, {.recalcDepth = GetParam()});
  addLine(inst, {.ztk = "GLZ", .lna = "3000", .ztr = 1});
  addLine(inst, {.ztk = "UEB", .lna = "3100", .flg = 1, .ztr = 1});
  addEmployee(inst, "4001");
  day("4001", "GLZ", "2024.02.05", 30);
  day("4001", "UEB", "2024.01.10", 90);
  day("4001", "UEB", "2024.01.11", 30);
  run(kMar5, "2", "1");
  run(kMar6, "2");

  EXPECT_EQ(records(),
            (Lines{"2|0|2024.02.10|4001|UEB|3100||||120|0|2024.01.10|2024.01.11|0|2|1|0|2|0",
                   "2|1|2024.02.05|4001|GLZ|3000||||30|0|2024.02.05|2024.02.05|0|1|2|0||0"}));
  EXPECT_EQ(logged("Differenzsatz"), (Lines{"Differenzsatz schreiben(Ins), Pnr: 4001"}));
}

INSTANTIATE_TEST_SUITE_P(RecalcDepth, FollowMonthAfterInterimRuns, ::testing::Values(0, 1));

// A single day of a period account turns from a whole into a half day: the
// difference record carries the half-day flag, and the comparisons do not
// read it back as an old record of its own.
TEST_F(RecalcScenario, DifferenceRecordsAreNotReadBackAsOldRecords) {
  addGroup(inst, {.recalcDepth = 1});
  addLine(inst, {.ztk = "GLZ", .lna = "3000", .ztr = 1});
  addEmployee(inst, "5001");
  addEmployee(inst, "5002");
  day("5001", "GLZ", "2024.01.10", 480);
  month("5001", "GLZ", 480);
  day("5002", "GLZ", "2024.02.07", 480);
  run(kFeb5, "1");
  run(kMar5, "2", "1");
  change("update Hor331Zkb set ZkbStd=240 where ZkbZkt='GLZ'");
  addAttendance(inst, "5001", "2024.01.10", "", "HU");
  addAttendance(inst, "5002", "2024.02.07", "", "HU");
  run(kMar5Later, "2", "1");

  EXPECT_EQ(records(),
            (Lines{"1|0|2024.01.10|5001|GLZ|3000||||480|0|2024.01.10|2024.01.10|0|1|2|0||0",
                   "2|1|2024.02.07|5002|GLZ|3000||||480|0|2024.02.07|2024.02.07|0|1|2|0||0",
                   "2|2|2024.01.10|5001|GLZ|3000||||-240|0|2024.01.10|2024.01.10|0|2|1|1|1|0",
                   "2|2|2024.02.07|5002|GLZ|3000||||-240|0|2024.02.07|2024.02.07|0|2|1|1|2|0"}));
  EXPECT_EQ(logged("Diff.satz"), (Lines{"Diff.satz schreiben(1) ZwiAbr, Pnr: 5002"}));
  EXPECT_EQ(logged("Differenzsatz"), (Lines{"Differenzsatz schreiben(1), Pnr: 5001"}));
}

// With the period's last day as booking date, a deleted day value of the
// oldest recalculated period is still cancelled.
TEST_F(RecalcScenario, DayValueOfTheOldestPeriodIsCancelledWithLastDayBookingDates) {
  addGroup(inst, {.dtm = 2, .recalcDepth = 1});
  addLine(inst, {.ztk = "URL", .lna = "2000", .tgw = 1});
  addEmployee(inst, "6001");
  day("6001", "URL", "2024.01.10", 480);
  month("6001", "URL", 480);
  run(kFeb5, "1");
  change("delete from Hor331Zkb");
  run(kMar5, "2");

  EXPECT_EQ(records(),
            (Lines{"1|0|2024.01.10|6001|URL|2000||||480|0|2024.01.01|2024.01.31|0|1|2|0||0",
                   "2|0|2024.01.10|6001|URL|2000||||-480|0|2024.01.01|2024.01.31|0|2|1|0|1|0"}));
}

// A "LOGA" interface keeps the recalculated values of record kind "ZR" for
// its exporter, which removes them when it is done; the carried spans
// ("ZR*E") survive, older copies do not.
TEST_F(RecalcScenario, LogaKeepsTheRecalculatedZrValues) {
  addGroup(inst, {.lgp = "LOGA", .kinds = {"LA", "ZR"}, .recalcDepth = 1});
  addLine(inst, {.ztk = "NORM", .lna = "1000"});
  addLine(inst, {.stz = "ZR", .ztk = "KRANK", .lna = "4000", .ztr = 1});
  addEmployee(inst, "7001");
  month("7001", "NORM", 600);
  month("7001", "KRANK", 960);
  day("7001", "KRANK", "2024.01.15", 480);
  day("7001", "KRANK", "2024.01.16", 480);
  for (const char* stz : {"ZR*E", "ZR"})
    inst.insert("Hor331Zk4",
                {{"Zk4Key", "05.01.2024 08:00:00"}, {"Zk4Abr", 0}, {"Zk4Stz", stz}, {"Zk4Std", 1}});
  run(kFeb5, "1");
  run(kMar5, "2");

  EXPECT_EQ(
      joinedRows(inst,
                 "select Zk4Key,Zk4Abr,Zk4Lfn,Zk4Stz,Zk4Bdt,Zk4Pnr,Zk4Zkt,Zk4Lna,Zk4Std,Zk4Von,"
                 "Zk4Bis,Zk4Sts from Hor331Zk4 order by Zk4Key"),
      (Lines{"05.01.2024 08:00:00|0||ZR*E|||||1|||"}));
  EXPECT_EQ(records().size(), 2u);
  EXPECT_EQ(journal(), Lines{});
}

}  // namespace
}  // namespace lug::calc::test
