#include "export/loga2001/loga2001.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

constexpr char kRunKey[] = "09.01.2025 07:30:00";
constexpr char kCalendar[] = "Loga2001Lp1.csv";
constexpr char kVartab[] = "Loga2001Lpc.csv";

// Group G1 on a LOGA2 interface (company 4711, payroll group 01), period 7,
// handed over on 2025.01.09; period 6 was recalculated.
class Loga2001Test : public test::ExporterTest {
 protected:
  explicit Loga2001Test(const Row& header = {}, const Row& group = {})
      : ExporterTest("LOGA2", header, group) {
    ::setenv("LUG_SYSDATE", "2025.01.09 07:30:00", 1);
    ctx.recalcPeriods = {6};
  }
  ~Loga2001Test() override { ::unsetenv("LUG_SYSDATE"); }

  // A recalculation record of this run (Hor331Zk5) for November 2024.
  void recalculated(const Row& overrides) {
    inst.insert("Hor331Zk5", test::withDefaults({{"Zk5Key", kRunKey},
                                                 {"Zk5Abr", 7},
                                                 {"Zk5Stz", "LA"},
                                                 {"Zk5Bdt", "2024.11.05"},
                                                 {"Zk5Pnr", "1001"},
                                                 {"Zk5Zkt", "AZ"},
                                                 {"Zk5Lna", "100"},
                                                 {"Zk5Kst", "4100"},
                                                 {"Zk5Std", 0},
                                                 {"Zk5Tge", 0},
                                                 {"Zk5Von", "2024.11.01"},
                                                 {"Zk5Bis", "2024.11.30"},
                                                 {"Zk5Sts", 0},
                                                 {"Zk5Rre", 3},
                                                 {"Zk5Upn", "1001"}},
                                                overrides));
  }
  // What period 6 handed over for November 2024.
  void handedOverBefore(int minutes) {
    record({{"Zk1Abr", 6},
            {"Zk1Bdt", "2024.11.05"},
            {"Zk1Std", minutes},
            {"Zk1Dat", "2024.11.30"},
            {"Zk1Von", "2024.11.01"},
            {"Zk1Bis", "2024.11.30"}});
  }
  std::string run() {
    EXPECT_EQ(handOver(loga2001), 0) << logText();
    return exported(kVartab);
  }
};

TEST_F(Loga2001Test, TimeCalendarCommandPerDayByDayRecord) {
  record({{"Zk1Sts", 1}, {"Zk1Su1", 42.0}, {"Zk1Inf", 1}, {"Zk1Tge", 10}, {"Zk1Lgr", "AZ"}});
  record({{"Zk1Bdt", "2024.12.03"}, {"Zk1Sts", 2}, {"Zk1Su1", 43.0}, {"Zk1Std", 480}});
  record({{"Zk1Bdt", "2024.12.04"}, {"Zk1Sts", 1}, {"Zk1Rre", 2}});  // a difference record
  record({{"Zk1Bdt", "2024.12.05"}, {"Zk1Sts", 1}, {"Zk1Lfn", 1}});  // an interim run
  recalculated({{"Zk5Sts", 1}, {"Zk5Rre", 4}, {"Zk5Su1", 7.0}, {"Zk5Tge", 5}});
  EXPECT_EQ(run(), ".\r\n");
  EXPECT_EQ(exported(kCalendar),
            ".\r\n"
            "[ZEITENKAL];INSERT;000000000042;;;;4711;01;1001;;;;2024.12.01;2024.12.31;1;;;;AZ;I;"
            "1.00;;;;;;;;;;;\r\n"
            "[ZEITENKAL];INSERT;000000000043;;;;4711;01;1001;;;;2024.12.01;2024.12.31;;;;;     ;I;"
            ";;;;;;;;;;;\r\n"
            "[ZEITENKAL];DELETE;000000000007;;;;4711;01;1001;;;;2024.11.01;2024.11.30;;;;;;I;0.50;"
            ";;;;;;;;;;\r\n");
}

// Values of a wage type are summed per cost centre and payroll month; hours
// and days are written with a decimal comma, a blanked cost centre or "0"
// is left out and a longer one is cut to seven characters.
TEST_F(Loga2001Test, VariableTableCommandPerMonthlySum) {
  line({{"Lu1Lna", "200"}, {"Lu1Kst", 0}});
  record({{"Zk1Std", 450}});
  record({{"Zk1Bdt", "2024.12.09"}, {"Zk1Tge", 10}});
  record({{"Zk1Lna", "110"}, {"Zk1Kst", "0"}, {"Zk1Std", 100}});
  record({{"Zk1Lna", "120"}, {"Zk1Kst", "Büro-Nord"}, {"Zk1Std", 25}});
  record({{"Zk1Lna", "120"}, {"Zk1Kst", "Büro-Nord"}, {"Zk1Bdt", "2024.12.03"}, {"Zk1Std", 35}});
  record({{"Zk1Lna", "200"}, {"Zk1Tge", 5}});
  record({{"Zk1Lna", "300"}, {"Zk1Std", -90}, {"Zk1Upn", "P-0815"}});
  EXPECT_EQ(
      run(),
      ".\r\n"
      "[VARTAB];INSERT;4711;01;1001;;;;100;1,00;7,50;;;4100;;;;2024-12-01;;2025-01-09;;;;\r\n"
      "[VARTAB];INSERT;4711;01;1001;;;;110;;1,67;;;;;;;2024-12-01;;2025-01-09;;;;\r\n"
      "[VARTAB];INSERT;4711;01;1001;;;;120;;1,00;;;B\xFCro-No;;;;2024-12-01;;2025-01-09;;;;\r\n"
      "[VARTAB];INSERT;4711;01;1001;;;;200;0,50;;;;;;;;2024-12-01;;2025-01-09;;;;\r\n"
      "[VARTAB];INSERT;4711;01;P-0815;;;;300;;-1,50;;;4100;;;;2024-12-01;;2025-01-09;;;;\r\n");
  EXPECT_EQ(exported(kCalendar), ".\r\n");
}

TEST_F(Loga2001Test, FailedSumIsLoggedAndTheOthersAreWritten) {
  record({{"Zk1Lna", "1000"}, {"Zk1Std", 60}});  // wider than the work table's wage type
  record({{"Zk1Std", 60}});
  EXPECT_EQ(run(),
            ".\r\n"
            "[VARTAB];INSERT;4711;01;1001;;;;100;;1,00;;;4100;;;;2024-12-01;;2025-01-09;;;;\r\n");
  EXPECT_NE(logText().find("Hor333Lp2-InsertFehler, Pnr: 1001, Sqlfhl: -12899"), std::string::npos)
      << logText();
}

TEST_F(Loga2001Test, EmptyPeriodGivesFilesWithTheDotOnlyAndRemovesFormerFiles) {
  const std::filesystem::path former = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
  std::filesystem::create_directories(former);
  for (const char* name : {kCalendar, kVartab}) std::ofstream(former / name) << "old";
  EXPECT_EQ(run(), ".\r\n");
  EXPECT_EQ(exported(kCalendar), ".\r\n");
  for (const char* name : {kCalendar, kVartab})
    EXPECT_FALSE(std::filesystem::exists(former / name));
  EXPECT_NE(logText().find("Loga2001 Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"
                           "Loga2001 Lohnprogramm beendet"),
            std::string::npos)
      << logText();
}

// A period record that cannot be read ends the hand-over; the files of an
// earlier run do not stay where a clerk would import them again.
TEST_F(Loga2001Test, UnreadableRecordFailsTheHandOverWithoutFiles) {
  record({{"Zk1Sts", 1}, {"Zk1Su1", 1.0}});
  run();
  ASSERT_TRUE(exists(kCalendar) && exists(kVartab));
  record({{"Zk1Bdt", "2024.12.03"}, {"Zk1Std", 1e12}});
  EXPECT_NE(handOver(loga2001), 0);
  EXPECT_FALSE(exists(kCalendar));
  EXPECT_FALSE(exists(kVartab));
  EXPECT_NE(logText().find("Fehler beim Lesen aus Hor331Zk1, Sqlfhl: "), std::string::npos)
      << logText();
}

TEST_F(Loga2001Test, RecalculationRecordsOfTheRunAreRemoved) {
  recalculated({{"Zk5Std", 60}});
  recalculated({{"Zk5Key", "08.01.2025 07:30:00"}, {"Zk5Std", 60}});
  run();
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk5"), "1");
  EXPECT_EQ(inst.scalar("select Zk5Key from Hor331Zk5"), "08.01.2025 07:30:00");
}

struct CompanyCase {
  const char* fir;
  const char* akr;
  const char* calendarStart;
};

class Loga2001Company : public Loga2001Test, public ::testing::WithParamInterface<CompanyCase> {
 protected:
  Loga2001Company() : Loga2001Test({{"LugFir", GetParam().fir}, {"LugAkr", GetParam().akr}}) {}
};

TEST_P(Loga2001Company, PayrollCompanyOrGroupOrAccountingGroup) {
  record({{"Zk1Sts", 1}});
  run();
  const std::string start = GetParam().calendarStart;
  EXPECT_EQ(exported(kCalendar).substr(0, start.size()), start);
}

INSTANTIATE_TEST_SUITE_P(
    Fallbacks, Loga2001Company,
    ::testing::Values(CompanyCase{"4711", "01", ".\r\n[ZEITENKAL];INSERT;000000000000;;;;4711;01;"},
                      CompanyCase{"", "01", ".\r\n[ZEITENKAL];INSERT;000000000000;;;;01;01;10"},
                      CompanyCase{"", "", ".\r\n[ZEITENKAL];INSERT;000000000000;;;;G1;;1001;"}));

// With the staging-clear flag off the commands of a second run follow those
// of the first in both files.
class Loga2001Accumulating : public Loga2001Test {
 protected:
  Loga2001Accumulating() : Loga2001Test({}, {{"AkrSsl", 0}}) {}
};

TEST_F(Loga2001Accumulating, SecondRunAppendsItsCommands) {
  record({{"Zk1Sts", 1}, {"Zk1Su1", 1.0}});
  record({{"Zk1Bdt", "2024.12.03"}, {"Zk1Std", 60}});
  run();
  inst.db().exec("update Hor331Zk1 set Zk1Su1=2, Zk1Std=120");
  inst.db().commit();
  const std::string vartab = run();
  const std::string calendar = exported(kCalendar);
  EXPECT_EQ(vartab,
            ".\r\n"
            "[VARTAB];INSERT;4711;01;1001;;;;100;;1,00;;;4100;;;;2024-12-01;;2025-01-09;;;;\r\n"
            "[VARTAB];INSERT;4711;01;1001;;;;100;;2,00;;;4100;;;;2024-12-01;;2025-01-09;;;;\r\n");
  EXPECT_NE(calendar.find("INSERT;000000000001;"), std::string::npos) << calendar;
  EXPECT_LT(calendar.find("INSERT;000000000001;"), calendar.find("INSERT;000000000002;"))
      << calendar;
  EXPECT_EQ(inst.scalar("select max(Lp1Idx) from Hor333Lp1"), "2");
}

// A recalculated month of an interface whose payroll month is one month
// after the time period: November's records are December's payroll month.
struct RecalcCase {
  const char* name;
  int oldMinutes;       // handed over by period 6 (0: nothing)
  int reversalMinutes;  // the reversal of the recalculation (0: none)
  int newMinutes;       // the recalculated value (0: none)
  std::string vartab;
  const char* logged;  // a log line, or "" when none of the lookups may log
};

class Loga2001Recalc : public Loga2001Test, public ::testing::WithParamInterface<RecalcCase> {
 protected:
  Loga2001Recalc() : Loga2001Test({{"LugMon", 1}}) {}
};

TEST_P(Loga2001Recalc, ReversalAndDifferenceOfTheMonth) {
  const RecalcCase& c = GetParam();
  if (c.oldMinutes) handedOverBefore(c.oldMinutes);
  if (c.reversalMinutes) recalculated({{"Zk5Rre", 4}, {"Zk5Std", c.reversalMinutes}});
  if (c.newMinutes) recalculated({{"Zk5Rre", 3}, {"Zk5Std", c.newMinutes}});
  EXPECT_EQ(run(), std::string(".\r\n") + c.vartab);
  const std::string log = logText();
  if (*c.logged) {
    EXPECT_NE(log.find(c.logged), std::string::npos) << log;
  } else {
    for (const char* never : {"nicht gefunden", "Differenzbildung"})
      EXPECT_EQ(log.find(never), std::string::npos) << log;
  }
}

constexpr char kDelete600[] =
    "[VARTAB];DELETE;4711;01;1001;;;;100;;10,00;;;4100;;;;2024-12-01;;2024-11-30;;;;\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, Loga2001Recalc,
    ::testing::Values(
        RecalcCase{"ReversalCarriesTheOldValuesAndTheirDate", 600, 600, 0, kDelete600, ""},
        RecalcCase{"NewValueIsTheOldOneChangedByTheDifference", 600, 540, 660,
                   std::string(kDelete600) +
                       "[VARTAB];INSERT;4711;01;1001;;;;100;;12,00;;;4100;;;;2024-12-01;;2025-01-"
                       "09;;;;\r\n",
                   ""},
        RecalcCase{"NewValueWithoutReversalIsWrittenAsItIs", 0, 0, 660,
                   "[VARTAB];INSERT;4711;01;1001;;;;100;;11,00;;;4100;;;;2024-12-01;;2025-01-09;;"
                   ";;\r\n",
                   ""},
        RecalcCase{"ReversalWithoutOldValuesKeepsItsOwn", 0, 600, 0,
                   "[VARTAB];DELETE;4711;01;1001;;;;100;;10,00;;;4100;;;;2024-12-01;;2025-01-09;;"
                   ";;\r\n",
                   "Delete: Datum d.alten Satzes nicht gefunden, Pnr: 1001, Lna: 100, Belegdatum: "
                   "2024-12-01"},
        RecalcCase{"NewValueWithoutOldValuesKeepsItsOwn", 0, 600, 660,
                   "[VARTAB];DELETE;4711;01;1001;;;;100;;10,00;;;4100;;;;2024-12-01;;2025-01-09;;"
                   ";;\r\n"
                   "[VARTAB];INSERT;4711;01;1001;;;;100;;11,00;;;4100;;;;2024-12-01;;2025-01-09;;"
                   ";;\r\n",
                   "Insert: Datum d.alten Satzes nicht gefunden, Pnr: 1001, Lna: 100, Belegdatum: "
                   "2024-12-01"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace lug::exporters
