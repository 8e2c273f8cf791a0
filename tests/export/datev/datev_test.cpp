#include "export/datev/datev.h"

#include <gtest/gtest.h>

#include <string>

#include "base/run_exit.h"
#include "support/exporter_fixture.h"
#include "support/installation.h"

namespace lug::exporters {
namespace {

namespace fs = std::filesystem;
using test::Installation;
using test::readFile;
using test::Row;

// Group G1 on interface L1 (DATEV, company 4711, payroll group 01), period 7
// in December 2024.
class DatevTest : public ::testing::Test {
 protected:
  DatevTest() {
    inst.insert("O1001AbrKreis",
                {{"AkrNum", "G1"}, {"AkrLug", "L1"}, {"AkrSsl", 0}, {"AkrRrm", 0}, {"AkrAdt", 0}});
    inst.insert("Hor330Abr", {{"AbrAkr", "G1"},
                              {"AbrNum", 7},
                              {"AbrVon", "2024.12.01"},
                              {"AbrBis", "2024.12.31"},
                              {"AbrSts", 0}});
    fs::create_directories(inst.exportDir());
    fs::create_directories(former);
  }

  void interface(int monthOffset) {
    inst.insert("Hor171Lug", {{"LugLug", "L1"},
                              {"LugLgp", "DATEV"},
                              {"LugMon", monthOffset},
                              {"LugFir", "4711"},
                              {"LugAkr", "01"}});
  }

  // A period record of period 7 booked on its first day; `values` replace
  // the defaults of the same name.
  void record(const Row& values) {
    inst.insert("Hor331Zk1",
                test::periodRecord(test::withDefaults({{"Zk1Bdt", "2024.12.01"}}, values)));
  }

  void line(const std::string& validFrom, int kst, int ktr, test::Cell factor = 0.0) {
    inst.insert("Hor171Lu1", {{"Lu1Num", "L1"},
                              {"Lu1Stz", "LA"},
                              {"Lu1Ztk", "AZ"},
                              {"Lu1Lna", "100"},
                              {"Lu1Gvo", validFrom},
                              {"Lu1Kst", kst},
                              {"Lu1Ktr", ktr},
                              {"Lu1Mog", factor},
                              {"Lu1Fkt", 0}});
  }

  // Runs the exporter in this process and returns datev.csv.
  std::string exportFile(int32_t period = 7) {
    RunContext ctx(inst.db(), runLog);
    ctx.akr = "G1";
    ctx.abrnr = period;
    ctx.exportDir = inst.exportDir().string();
    exportDatev(ctx);
    return readFile(inst.exportDir() / "datev.csv");
  }

  Installation inst;
  base::RunLog runLog{inst.logPath().string()};
  fs::path former = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
};

TEST_F(DatevTest, OneLinePerRecordWithMinutesOrDays) {
  interface(0);
  record({{"Zk1Bdt", "2024.12.05"}, {"Zk1Std", 480}, {"Zk1Ktr", "P1"}});
  record({{"Zk1Bdt", "2024.12.06"}});  // neither minutes nor days: no line
  record({{"Zk1Bdt", "2024.12.25"},
          {"Zk1Zkt", "URL"},
          {"Zk1Lna", "300"},
          {"Zk1Lgr", "ABW"},
          {"Zk1Tge", 10}});
  record({{"Zk1Bdt", "2024.12.27"},
          {"Zk1Zkt", "KRA"},
          {"Zk1Lna", "400"},
          {"Zk1Std", -75},
          {"Zk1Kst", "Büro"}});
  record({{"Zk1Bdt", "2024.12.30"}, {"Zk1Std", 450}, {"Zk1Tge", 5}, {"Zk1Upn", "P-0815"}});
  EXPECT_EQ(exportFile(),
            "4711;01;12/2024\r\n"
            "1001;5;     ;100;8,00;;;;;4100;P1\r\n"
            "1001;25;ABW;300;;1,00;;;;4100;\r\n"
            "1001;27;     ;400;-1,25;;;;;B\xFCro;\r\n"
            "P-0815;30;     ;100;7,50;0,50;;;;4100;\r\n");
}

TEST_F(DatevTest, MonthValueCarriesItsQuantityInTheValueField) {
  interface(0);
  record({{"Zk1Zkt", "UE"}, {"Zk1Lna", "120"}, {"Zk1Std", 90}, {"Zk1Sta", 1}});
  record({{"Zk1Zkt", "URL"}, {"Zk1Lna", "300"}, {"Zk1Tge", 5}, {"Zk1Sta", 1}});
  record({{"Zk1Zkt", "URLS"}, {"Zk1Lna", "301"}, {"Zk1Std", 60}, {"Zk1Tge", 10}, {"Zk1Sta", 1}});
  EXPECT_EQ(exportFile(),
            "4711;01;12/2024\r\n"
            "1001;;;120;;;1,50;;;4100;\r\n"
            "1001;;;300;;;0,50;;;4100;\r\n"
            "1001;;;301;;;1,00;;;4100;\r\n");
}

TEST_F(DatevTest, NumbersBeyondSevenCharactersAreWrittenWhole) {
  interface(0);
  record({{"Zk1Bdt", "2024.12.02"}, {"Zk1Std", 600000}});
  record({{"Zk1Bdt", "2024.12.03"}, {"Zk1Std", -60000}});
  record({{"Zk1Bdt", "2024.12.04"}, {"Zk1Tge", 100000}});
  record({{"Zk1Bdt", "2024.12.09"}, {"Zk1Std", 1}});
  EXPECT_EQ(exportFile(),
            "4711;01;12/2024\r\n"
            "1001;2;     ;100;10000,00;;;;;4100;\r\n"
            "1001;3;     ;100;-1000,00;;;;;4100;\r\n"
            "1001;4;     ;100;;10000,00;;;;4100;\r\n"
            "1001;9;     ;100;0,02;;;;;4100;\r\n");
}

struct MonthCase {
  const char* periodStart;
  int offset;
  const char* header;
};

class DatevHeaderMonth : public DatevTest, public ::testing::WithParamInterface<MonthCase> {};

TEST_P(DatevHeaderMonth, PeriodMonthMovedByTheInterfaceOffset) {
  const MonthCase& c = GetParam();
  inst.insert("Hor330Abr", {{"AbrAkr", "G1"}, {"AbrNum", 9}, {"AbrVon", c.periodStart}});
  interface(c.offset);
  EXPECT_EQ(exportFile(9), c.header);
}

INSTANTIATE_TEST_SUITE_P(Offsets, DatevHeaderMonth,
                         ::testing::Values(MonthCase{"2024.12.01", 1, "4711;01;01/2025\r\n"},
                                           MonthCase{"2025.01.01", -1, "4711;01;12/2024\r\n"},
                                           MonthCase{"2024.12.16", 0, "4711;01;12/2024\r\n"},
                                           MonthCase{"2024.06.01", 13, "4711;01;07/2025\r\n"},
                                           MonthCase{"2024.06.01", -30, "4711;01;12/2021\r\n"}));

TEST_F(DatevTest, CostFlagsOfTheLineValidAtThePeriodStart) {
  interface(0);
  line("2024.11.01", 1, 1);
  line("2024.12.01", 0, 1);  // valid at the period start
  line("2024.12.15", 1, 0);  // valid only later in the period
  record({{"Zk1Bdt", "2024.12.20"}, {"Zk1Std", 60}, {"Zk1Ktr", "P1"}});
  record({{"Zk1Bdt", "2024.12.20"}, {"Zk1Lna", "101"}, {"Zk1Std", 60}, {"Zk1Ktr", "P1"}});
  EXPECT_EQ(exportFile(),
            "4711;01;12/2024\r\n"
            "1001;20;     ;100;1,00;;;;;;P1\r\n"
            "1001;20;     ;101;1,00;;;;;4100;P1\r\n");  // no line for wage type 101
}

TEST_F(DatevTest, LineWithANullColumnLeavesTheCosts) {
  interface(0);
  line("2024.12.01", 0, 0, nullptr);
  record({{"Zk1Std", 60}, {"Zk1Ktr", "P1"}});
  EXPECT_EQ(exportFile(), "4711;01;12/2024\r\n1001;1;     ;100;1,00;;;;;4100;P1\r\n");
}

TEST_F(DatevTest, EmptyPeriodGivesTheHeaderLineOnly) {
  interface(0);
  record({{"Zk1Abr", 8}, {"Zk1Std", 480}});
  EXPECT_EQ(exportFile(), "4711;01;12/2024\r\n");
}

TEST_F(DatevTest, RecordsOfEveryRunOfThePeriodAreHandedOver) {
  interface(0);
  record({{"Zk1Lfn", 0}, {"Zk1Std", 60}});
  record({{"Zk1Lfn", 1}, {"Zk1Std", 30}});
  record({{"Zk1Lfn", 2}, {"Zk1Rre", 2}, {"Zk1Std", -30}});
  EXPECT_EQ(exportFile(),
            "4711;01;12/2024\r\n"
            "1001;1;     ;100;1,00;;;;;4100;\r\n"
            "1001;1;     ;100;0,50;;;;;4100;\r\n"
            "1001;1;     ;100;-0,50;;;;;4100;\r\n");
}

TEST_F(DatevTest, WithoutInterfaceHeaderTheHeaderFieldsStayEmpty) {
  record({{"Zk1Std", 60}});
  EXPECT_EQ(exportFile(), ";;12/2024\r\n1001;1;     ;100;1,00;;;;;4100;\r\n");
}

TEST_F(DatevTest, LogsStartAndEndAndRemovesTheFormerFile) {
  interface(0);
  std::FILE* f = std::fopen((former / "datev.csv").c_str(), "wb");
  std::fclose(f);
  exportFile();
  EXPECT_FALSE(fs::exists(former / "datev.csv"));
  EXPECT_EQ(inst.logText(),
            "\r\nDatev Lohnprogramm Akr: G1, Abrnr: 7 gestartet\r\n"
            "Datev Lohnprogramm beendet\r\n");
}

// The real program: dispatch of the interface type, exit status and run status.
class DatevRunTest : public DatevTest {
 protected:
  DatevRunTest() { interface(0); }
  test::RunResult runFinal() {
    return inst.runLug({inst.service(), "test", "G1", "7", "0"},
                       {{"LUG_SYSDATE", "2025.01.03 07:30:00"}});
  }
  fs::path target = inst.exportDir() / "datev.csv";
};

TEST_F(DatevRunTest, FinalRunEndsWithTheFileAndRunStatus98) {
  const test::RunResult run = runFinal();
  EXPECT_EQ(run.exitStatus, 1) << run.console;
  EXPECT_EQ(readFile(target), "4711;01;12/2024\r\n");
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "98");
  const size_t start = run.log.find("\r\nDatev Lohnprogramm Akr: G1, Abrnr: 7 gestartet\r\n");
  const size_t end = run.log.find("Datev Lohnprogramm beendet\r\n");
  EXPECT_NE(start, std::string::npos);
  EXPECT_NE(end, std::string::npos);
  EXPECT_LT(start, end);
}

// A failed hand-over leaves no file a clerk could import: last period's file
// is gone too.
TEST_F(DatevRunTest, FileThatCannotBeOpenedEndsTheRunWithoutAbortAndWithoutFile) {
  std::FILE* f = std::fopen(target.c_str(), "wb");
  std::fputs("previous\r\n", f);
  std::fclose(f);
  fs::create_directory(inst.exportDir() / ".datev.csv.tmp");  // blocks the new file
  const test::RunResult run = runFinal();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "0");
  EXPECT_NE(run.log.find("Datevdatei kann nicht geoeffnet werden !\r\n"), std::string::npos);
  EXPECT_EQ(run.log.find("Datev Lohnprogramm beendet"), std::string::npos);
  EXPECT_EQ(run.log.find("beendet"), std::string::npos);
}

}  // namespace
}  // namespace lug::exporters
