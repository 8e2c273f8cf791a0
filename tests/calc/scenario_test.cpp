// Whole accounting groups through the lug program: final and interim runs,
// follow months and the personnel filter, with every period record, day
// summary and log line of the period calculation.
#include "calc/scenario.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lug::calc::test {
namespace {

constexpr char kMarch5[] = "2024.03.05 08:00:00";

class ScenarioTest : public ::testing::Test {
 protected:
  lug::test::RunResult run(const std::string& akr, const std::string& abrnr,
                           const std::string& mode = "0", const std::string& filter = "",
                           const std::string& now = kMarch5) {
    return runAt(inst, now, akr, abrnr, mode, filter);
  }
  // The log lines of one call of the period calculation, from "AbrNum" on.
  Lines calculation(const std::string& abrNum) const {
    return logSection(logLines(fromWindows1252(inst.logText())), "AbrNum: " + abrNum,
                      "PersNr-Lesen Status");
  }
  Installation inst;
};

// Group A1 (interface L1) with five employees, handed over for February 2024
// with January as follow month; group B1 (interface L2) is where two of them
// came from or went to.
class FinalRunScenario : public ScenarioTest {
 protected:
  FinalRunScenario() {
    addGroup(inst);
    addGroup(inst, {.akr = "B1", .lug = "L2", .kinds = {}});
    addLines();
    anna();
    bernd();
    addEmployee(inst, "1003", "A1", "2020.01.01");  // Clara: no bookings
    addCost(inst, "1003", "K300", "", "");
    dieter();
    emil();
  }

  void addLines() {
    addLine(inst, {.ztk = "NORM", .lna = "1000"});
    addLine(inst, {.ztk = "URL", .lna = "2000", .lgr = "U", .tgw = 1});
    addLine(inst, {.ztk = "GLZ", .lna = "3000", .sts = 7, .ztr = 1});
    addLine(inst, {.ztk = "KRANK", .lna = "2100", .tge = 1, .sol = 1, .svk = 1});
    addLine(inst, {.ztk = "LEER", .lna = "2200"});
    addLine(inst, {.ztk = "UEB", .lna = "1100", .flg = 1});
    addLine(inst, {.ztk = "UEB", .lna = "1199", .flg = 1, .lug = "L2"});
    addLine(inst, {.ztk = "UNB", .lna = "9000", .rre = 1, .sts = 112});
    const char* keys[][2] = {{"SFR", "7000"},  {"RUL", "7100"}, {"GLT", "7200"},  {"MGF", "7300"},
                             {"MGFV", "7400"}, {"RZT", "7500"}, {"SLD5V", "7600"}};
    for (const auto& [key, lna] : keys) addLine(inst, {.ztk = key, .lna = lna, .lgr = key});
    addDayCode(inst, "UH", "URL");
  }

  // Anna: month values, day-by-day leave, a period account with a half
  // day, check days under the target rule, a follow month and every balance.
  void anna() {
    addEmployee(inst, "1001", "A1", "2020.01.01", "", "L1001", "SF");
    addCost(inst, "1001", "K100", "T1", "01");
    addDays(inst, "1001", "2024.02.01", "2024.03.03");
    addBooking(inst, {.pnr = "1001",
                      .dtm = "2024.02.29",
                      .zkt = "NORM",
                      .std = 9600,
                      .stg = 20,
                      .ztr = 3,
                      .kst = "K100",
                      .ktr = "T1",
                      .krt = "01"});
    addBooking(inst, {.pnr = "1001", .dtm = "2024.02.29", .zkt = "URL", .std = 960, .ztr = 3});
    for (const char* day : {"2024.02.12", "2024.02.13"})
      addBooking(inst, {.pnr = "1001", .dtm = day, .zkt = "URL", .std = 480, .kst = "K100"});
    for (const std::string& day : daysOf("2024.02.05", "2024.02.09"))
      addBooking(inst, {.pnr = "1001", .dtm = day, .zkt = "GLZ", .std = 30, .kst = "K100"});
    addAttendance(inst, "1001", "2024.02.07", "", "UH");
    addBooking(inst, {.pnr = "1001", .dtm = "2024.02.29", .zkt = "KRANK", .std = 1440, .ztr = 3});
    addBooking(inst, {.pnr = "1001", .dtm = "2024.02.29", .zkt = "LEER", .ztr = 3});  // nothing
    for (const char* day : {"2024.02.19", "2024.02.20", "2024.02.24"}) {
      addBooking(inst, {.pnr = "1001", .dtm = day, .zkt = "KRANK", .std = 480});
      addAttendance(inst, "1001", day, "KR");
    }
    addBooking(inst, {.pnr = "1001", .dtm = "2024.01.31", .zkt = "UEB", .std = 90, .ztr = 3});
    addBooking(inst, {.pnr = "1001", .dtm = "2024.02.29", .zkt = "UEB", .std = 45, .ztr = 3});
    balances();
  }

  void balances() {
    inst.db().exec(
        "update Hor320Tgb set Tgbsa1=100,TgbVt1=10,Tgbsa2=200,TgbVt2=20,Tgbsa3=300,TgbVt3=30,"
        "TgbVt5=50 where TgbPnr='1001' and TgbDtm='2024.02.29'");
    inst.db().exec("update Hor320Tgb set TgbVt2=21,TgbVt5=51 where TgbDtm='2024.03.01'");
    inst.db().commit();
    inst.insert("Hor332Utg",
                {{"UtgPnr", "1001"}, {"UtgDtm", "2024.02.01"}, {"UtgRtg", 12.0}, {"UtgVtg", 3.0}});
    inst.insert("Hor332Sfz", {{"SfzPnr", "1001"},
                              {"SfzDtm", "2024.02.29"},
                              {"SfzAnt", 8},
                              {"SfzGen", 2},
                              {"SfzGvv", 1}});
    inst.insert("Hor155Sfr", {{"SfrMod", "SF"}, {"SfrAnz", 3}});
    addDay(inst, {.pnr = "1001", .dtm = "2024.02.01", .ztr = 3, .max = 600});
  }

  // Bernd: two employment rows in February, two month values without cost
  // unit and cost type, and unpaid days from January into February.
  void bernd() {
    addEmployee(inst, "1002", "A1", "2024.02.15");
    addEmployee(inst, "1002", "A1", "2020.01.01", "2024.02.14");
    addDays(inst, "1002", "2024.01.01", "2024.02.29");
    addBooking(
        inst,
        {.pnr = "1002", .dtm = "2024.02.10", .zkt = "NORM", .std = 100, .ztr = 3, .kst = "K200"});
    addBooking(
        inst,
        {.pnr = "1002", .dtm = "2024.02.29", .zkt = "NORM", .std = 200, .ztr = 3, .kst = "K200"});
    inst.db().exec(
        "update Hor320Tgb set TgbUnb=TgbSol where TgbPnr='1002' and TgbSol>0 and ((TgbDtm>="
        "'2024.01.25' and TgbDtm<='2024.02.02') or (TgbDtm>='2024.02.19' and "
        "TgbDtm<='2024.02.23'))");
    inst.db().commit();
  }

  // Dieter left for group B1 on 21 January; his January overtime is not A1's.
  void dieter() {
    addEmployee(inst, "1004", "A1", "2020.01.01", "2024.01.20");
    addEmployee(inst, "1004", "B1", "2024.01.21");
    addBooking(inst, {.pnr = "1004", .dtm = "2024.01.31", .zkt = "UEB", .std = 70, .ztr = 3});
  }

  // Emil came from group B1 on 10 February: his January overtime is handed
  // over with B1's wage type.
  void emil() {
    addEmployee(inst, "1005", "A1", "2024.02.10");
    addEmployee(inst, "1005", "B1", "2023.01.01", "2024.02.09");
    addBooking(inst, {.pnr = "1005", .dtm = "2024.01.31", .zkt = "UEB", .std = 80, .ztr = 3});
  }
};

TEST_F(FinalRunScenario, EveryRecordSummaryAndLogLine) {
  const auto result = run("A1", "2");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(
      periodRecords(inst),
      (Lines{
          "2|0|LA|2024.02.01|1001|GLT|7200| "
          "|K100|T1|01|110|0|0|2024.02.01|2024.02.29|0|0|0|L1001|0|0",
          "2|0|LA|2024.02.05|1001|GLZ|3000|     "
          "|K100|||60|0|0|2024.02.05|2024.02.06|7|1|2|L1001|0|0",
          "2|0|LA|2024.02.07|1001|GLZ|3000|     "
          "|K100|||30|0|0|2024.02.07|2024.02.07|7|1|2|L1001|1|0",
          "2|0|LA|2024.02.08|1001|GLZ|3000|     "
          "|K100|||60|0|0|2024.02.08|2024.02.09|7|1|2|L1001|0|0",
          "2|0|LA|2024.02.01|1001|KRANK|2100|     ||||0|20|0|2024.02.01|2024.02.29|0|1|1|L1001|0|0",
          "2|0|LA|2024.02.01|1001|MGF|7300| "
          "|K100|T1|01|220|0|0|2024.02.01|2024.02.29|0|0|0|L1001|0|0",
          "2|0|LA|2024.02.01|1001|MGFV|7400| "
          "|K100|T1|01|21|0|0|2024.02.01|2024.02.29|0|0|0|L1001|0|0",
          "2|0|LA|2024.02.01|1001|NORM|1000|     |K100|T1|01|9600|0|20|2024.02.01|2024.02.29|0|1|1|"
          "L1001|0|0",
          "2|0|LA|2024.02.01|1001|RUL|7100| "
          "|K100|T1|01|720|0|0|2024.02.01|2024.02.29|0|0|0|L1001|0|0",
          "2|0|LA|2024.02.01|1001|RZT|7500| "
          "|K100|T1|01|330|0|0|2024.02.01|2024.02.29|0|0|0|L1001|0|0",
          "2|0|LA|2024.02.01|1001|SFR|7000| "
          "|K100|T1|01|300|0|0|2024.02.01|2024.02.29|0|0|0|L1001|0|0",
          "2|0|LA|2024.02.01|1001|SLD5V|7600| "
          "|K100|T1|01|51|0|0|2024.02.01|2024.02.29|0|0|0|L1001|0|"
          "0",
          "2|0|LA|2024.02.01|1001|UEB|1100|     ||||90|0|0|2024.01.01|2024.01.31|0|1|1|L1001|0|0",
          "2|0|LA|2024.02.12|1001|URL|2000|U|K100|||480|0|0|2024.02.01|2024.02.29|0|1|2|L1001|0|0",
          "2|0|LA|2024.02.13|1001|URL|2000|U|K100|||480|0|0|2024.02.01|2024.02.29|0|1|2|L1001|0|0",
          "2|0|LA|2024.02.01|1002|9000|9000| ||||1|0|0|2024.02.01|2024.02.29|112|1|0|1002|0|0",
          "2|0|LA|2024.02.01|1002|GLT|7200| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1002|0|0",
          "2|0|LA|2024.02.01|1002|MGF|7300| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1002|0|0",
          "2|0|LA|2024.02.01|1002|MGFV|7400| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1002|0|0",
          "2|0|LA|2024.02.01|1002|NORM|1000|     "
          "|K200|||300|0|0|2024.02.01|2024.02.29|0|1|1|1002|0|0",
          "2|0|LA|2024.02.01|1002|RUL|7100| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1002|0|0",
          "2|0|LA|2024.02.01|1002|RZT|7500| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1002|0|0",
          "2|0|LA|2024.02.01|1002|SFR|7000| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1002|0|0",
          "2|0|LA|2024.02.01|1002|SLD5V|7600| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1002|0|0",
          "2|0|LA|2024.02.01|1003|GLT|7200| |K300|||0|0|0|2024.02.01|2024.02.29|0|0|0|1003|0|0",
          "2|0|LA|2024.02.01|1003|MGF|7300| |K300|||0|0|0|2024.02.01|2024.02.29|0|0|0|1003|0|0",
          "2|0|LA|2024.02.01|1003|MGFV|7400| |K300|||0|0|0|2024.02.01|2024.02.29|0|0|0|1003|0|0",
          "2|0|LA|2024.02.01|1003|RUL|7100| |K300|||0|0|0|2024.02.01|2024.02.29|0|0|0|1003|0|0",
          "2|0|LA|2024.02.01|1003|RZT|7500| |K300|||0|0|0|2024.02.01|2024.02.29|0|0|0|1003|0|0",
          "2|0|LA|2024.02.01|1003|SFR|7000| |K300|||0|0|0|2024.02.01|2024.02.29|0|0|0|1003|0|0",
          "2|0|LA|2024.02.01|1003|SLD5V|7600| |K300|||0|0|0|2024.02.01|2024.02.29|0|0|0|1003|0|0",
          "2|0|LA|2024.02.01|1005|GLT|7200| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1005|0|0",
          "2|0|LA|2024.02.01|1005|MGF|7300| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1005|0|0",
          "2|0|LA|2024.02.01|1005|MGFV|7400| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1005|0|0",
          "2|0|LA|2024.02.01|1005|RUL|7100| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1005|0|0",
          "2|0|LA|2024.02.01|1005|RZT|7500| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1005|0|0",
          "2|0|LA|2024.02.01|1005|SFR|7000| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1005|0|0",
          "2|0|LA|2024.02.01|1005|SLD5V|7600| ||||0|0|0|2024.02.01|2024.02.29|0|0|0|1005|0|0",
          "2|0|LA|2024.02.01|1005|UEB|1199|     ||||80|0|0|2024.01.01|2024.01.31|0|1|1|1005|0|0"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk1 where Zk1Dat is null"), "0");
  EXPECT_EQ(daySummaries(inst), (Lines{"2|1001|2024.02.01|30|28|21|0|168|0|10|0|0|0",
                                       "2|1002|2024.02.01|29|29|21|0|168|0|0|0|0|0",
                                       "2|1003|2024.02.01|30|30|0|0|0|0|0|0|0|0",
                                       "2|1005|2024.02.01|20|20|0|0|0|0|0|0|0|0"}));
  EXPECT_EQ(calculation("2"),
            (Lines{"AbrNum: 2, Von: 2024.02.01  bis: 2024.02.29", "Alle PersNr verarbeiten", "",
                   "Pnr: 1001   PersNr-LuG verwenden: L1001",
                   "PNR: 1001, Prueftage: 20, M-Konto: KRANK,Kst-Stelle: , Kst-Art: ", "Pnr: 1002",
                   "Keine Stammkostenstelle für PNR 1002",
                   "--- 10 SollTage zwischen 2024.02.02 und 2024.02.19", "--- Unterbrechungen: 1",
                   "Pnr: 1002", "Keine Stammkostenstelle für PNR 1002", "  - keine Daten ermittelt",
                   "Pnr: 1003", "  - keine Daten ermittelt", "Pnr: 1005",
                   "Keine Stammkostenstelle für PNR 1005", "  - keine Daten ermittelt",
                   "PersNr-Lesen Status: 1403"}));
  EXPECT_EQ(calculation("1"),
            (Lines{"AbrNum: 1, Von: 2024.01.01  bis: 2024.01.31", "Alle PersNr verarbeiten", "",
                   "Pnr: 1001   PersNr-LuG verwenden: L1001", "Pnr: 1002",
                   "    -> neues Bsv im alten Abrkreis!", "Pnr: 1002", "  - keine Daten ermittelt",
                   "Pnr: 1003", "  - keine Daten ermittelt", "Pnr: 1004",
                   "Pnr : 1004 in anderen AbrKreis gewechselt ->nicht berechnen", "Pnr: 1005",
                   "PersNr-Lesen Status: 1403"}));
}

TEST_F(FinalRunScenario, RepeatedFinalRunReplacesTheRecords) {
  run("A1", "2");
  const Lines first = periodRecords(inst);
  inst.db().exec("update Hor331Zkb set ZkbStd=9000 where ZkbPnr='1001' and ZkbZkt='NORM'");
  inst.db().commit();
  run("A1", "2");
  const Lines second = periodRecords(inst);
  ASSERT_EQ(second.size(), first.size());
  EXPECT_EQ(joinedRows(inst, "select Zk1Std from Hor331Zk1 where Zk1Pnr='1001' and Zk1Zkt='NORM'"),
            (Lines{"9000"}));
  EXPECT_EQ(daySummaries(inst).size(), 4u);
}

TEST_F(FinalRunScenario, FilterRecomputesOneEmployee) {
  run("A1", "2");
  inst.db().exec("update Hor331Zkb set ZkbStd=ZkbStd+1 where ZkbZkt='NORM'");
  inst.db().commit();
  std::filesystem::remove(inst.logPath());
  const auto result = run("A1", "2", "0", "/p1002");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(joinedRows(inst, "select Zk1Pnr,Zk1Std from Hor331Zk1 where Zk1Zkt='NORM' order by 1"),
            (Lines{"1001|9600", "1002|302"}));
  EXPECT_EQ(daySummaries(inst).size(), 4u);
  EXPECT_EQ(logLines(result.log)[3], "     FILTER AUF PNR: 1002 GESETZT !!");
  EXPECT_EQ(calculation("2"),
            (Lines{"AbrNum: 2, Von: 2024.02.01  bis: 2024.02.29", "Alle PersNr verarbeiten", "",
                   "Pnr: 1002", "Keine Stammkostenstelle für PNR 1002",
                   "--- 10 SollTage zwischen 2024.02.02 und 2024.02.19", "--- Unterbrechungen: 1",
                   "Pnr: 1002", "Keine Stammkostenstelle für PNR 1002", "  - keine Daten ermittelt",
                   "PersNr-Lesen Status: 1403"}));
}

// A month value and a period account of one employee in February 2024.
class InterimScenario : public ScenarioTest {
 protected:
  InterimScenario() {
    addGroup(inst);
    addLine(inst, {.ztk = "NORM", .lna = "1000"});
    addLine(inst, {.ztk = "GLZ", .lna = "3000", .ztr = 1});
    addEmployee(inst, "2001");
    addCost(inst, "2001", "K1", "", "");
    addBooking(inst, {.pnr = "2001", .dtm = "2024.02.29", .zkt = "NORM", .std = 600, .ztr = 3});
    for (const char* day : {"2024.02.05", "2024.02.06"})
      addBooking(inst, {.pnr = "2001", .dtm = day, .zkt = "GLZ", .std = 30});
  }
  Lines records() {
    return joinedRows(inst,
                      "select Zk1Lfn,Zk1Zkt,Zk1Bdt,Zk1Std,Zk1Von,Zk1Bis from Hor331Zk1 order by "
                      "Zk1Lfn,Zk1Zkt");
  }
  Lines workRows() {
    return joinedRows(
        inst,
        "select Zk3Key,Zk3Abr,Zk3Lfn,Zk3Zkt,Zk3Bdt,Zk3Std,Zk3Von,Zk3Bis from Hor331Zk3 "
        "order by Zk3Key");
  }
};

TEST_F(InterimScenario, InterimRunsNextToTheFinalRunOfThePeriod) {
  EXPECT_EQ(run("A1", "2", "1").exitStatus, 1);
  EXPECT_EQ(records(), (Lines{"1|GLZ|2024.02.05|60|2024.02.05|2024.02.06"}));
  EXPECT_EQ(daySummaries(inst), (Lines{"2|2001|2024.02.01|0|0|0|0|0|0|0|0|0|0"}));
  EXPECT_EQ(calculation("2"),
            (Lines{"AbrNum: 2, Von: 2024.02.01  bis: 2024.02.29", "Alle PersNr verarbeiten", "",
                   "Pnr: 2001", "PersNr-Lesen Status: 1403"}));

  // Once the period has an interim run, period accounts go to the work table,
  // where the comparison with the interim runs consumes them: unchanged, they
  // hand nothing over.
  run("A1", "2", "1", "", "2024.03.05 09:00:00");
  EXPECT_EQ(records(), (Lines{"1|GLZ|2024.02.05|60|2024.02.05|2024.02.06"}));
  run("A1", "2", "0", "", "2024.03.06 08:00:00");
  EXPECT_EQ(records(), (Lines{"0|NORM|2024.02.01|600|2024.02.01|2024.02.29",
                              "1|GLZ|2024.02.05|60|2024.02.05|2024.02.06"}));
  EXPECT_EQ(workRows(), Lines{});
  EXPECT_EQ(daySummaries(inst), (Lines{"2|2001|2024.02.01|30|30|0|0|0|0|0|0|0|0"}));
}

TEST_F(ScenarioTest, Loga2RecordsAreNumberedOnFromTheLargestStoredNumber) {
  addGroup(inst, {.lgp = "LOGA2"});
  addLine(inst, {.ztk = "NORM", .lna = "1000", .sts = 1});
  addLine(inst, {.ztk = "UEB", .lna = "1100", .sts = 2});
  addLine(inst, {.ztk = "RUL", .lna = "7100", .lgr = "RUL"});
  inst.insert("Hor331Zk1", {{"Zk1Abr", 1}, {"Zk1Lfn", 0}, {"Zk1Su1", 500.0}});
  for (const char* pnr : {"3001", "3002"}) {
    addEmployee(inst, pnr);
    for (const char* zkt : {"NORM", "UEB"})
      addBooking(inst, {.pnr = pnr, .dtm = "2024.02.29", .zkt = zkt, .std = 60, .ztr = 3});
  }
  addBooking(inst, {.pnr = "3002", .dtm = "2024.03.31", .zkt = "NORM", .std = 60, .ztr = 3});
  run("A1", "2");
  run("A1", "2");  // a repeated run numbers its records again from the same start
  run("A1", "3", "0", "", "2024.04.02 08:00:00");
  EXPECT_EQ(
      joinedRows(inst,
                 "select Zk1Abr,Zk1Pnr,Zk1Zkt,Zk1Su1 from Hor331Zk1 where Zk1Abr>1 "
                 "order by Zk1Abr,Zk1Pnr,Zk1Su1"),
      (Lines{"2|3001|RUL|0", "2|3001|NORM|501", "2|3001|UEB|502", "2|3002|RUL|0", "2|3002|NORM|503",
             "2|3002|UEB|504", "3|3001|RUL|0", "3|3002|RUL|0", "3|3002|NORM|505"}));
}

// February 2024 of a TOPAS interface: a period account over two weeks.
class TopasScenario : public ScenarioTest {
 protected:
  TopasScenario() {
    addGroup(inst, {.lgp = "TOPAS"});
    addLine(inst, {.ztk = "NORM", .lna = "1000"});
    addLine(inst, {.ztk = "GLZ", .lna = "3000", .ztr = 1});
    addEmployee(inst, "4001");
    addCost(inst, "4001", "K1", "", "");
    addDays(inst, "4001", "2024.02.01", "2024.02.29");
    for (const std::string& day : daysOf("2024.02.05", "2024.02.16")) {
      if (isWeekend(day)) continue;
      addBooking(inst, {.pnr = "4001", .dtm = day, .zkt = "GLZ", .std = 60});
      addBooking(inst, {.pnr = "4001", .dtm = day, .zkt = "NORM", .std = 480});
    }
    addBooking(inst, {.pnr = "4001", .dtm = "2024.02.29", .zkt = "NORM", .std = 4800, .ztr = 3});
  }
  Lines records() {
    return joinedRows(
        inst,
        "select Zk1Lfn,Zk1Zkt,Zk1Bdt,Zk1Std,Zk1Sta,Zk1Von,Zk1Bis from Hor331Zk1 order "
        "by Zk1Lfn,Zk1Zkt");
  }
};

TEST_F(TopasScenario, FinalRunBridgesWeekendsWithoutTarget) {
  run("A1", "2");
  EXPECT_EQ(records(), (Lines{"0|GLZ|2024.02.05|600|2|2024.02.05|2024.02.16",
                              "0|NORM|2024.02.01|4800|1|2024.02.01|2024.02.29"}));
}

TEST_F(TopasScenario, PartialRunHandsOverTheDaysUpToYesterday) {
  const auto result = run("A1", "2", "0", "", "2024.02.15 08:00:00");
  EXPECT_EQ(records(), (Lines{"2|GLZ|2024.02.05|480|2|2024.02.05|2024.02.14",
                              "2|NORM|2024.02.01|3840|1|2024.02.01|2024.02.14"}));
  EXPECT_EQ(daySummaries(inst), (Lines{"2|4001|2024.02.01|0|0|0|0|0|0|0|0|0|0"}));
  EXPECT_EQ(calculation("2").front(), "AbrNum: 2, Von: 2024.02.01  bis: 2024.02.14");
}

}  // namespace
}  // namespace lug::calc::test
