#include "export/topas/topas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

namespace fs = std::filesystem;
using test::Row;
using test::withDefaults;

// A line of LGD038IM (26 fields) and of LGD034IM (17 fields) of company 471.
std::string wageLine(const std::string& pnr, const std::string& month, const std::string& lna,
                     const std::string& hours, const std::string& days, const std::string& minutes,
                     const std::string& bdt) {
  return "471;" + pnr + ";" + month + ";" + month + ";" + lna + ";" + hours + ";" + days + ";;;;" +
         minutes + ";;;;;;" + bdt + std::string(9, ';') + "\r\n";
}
std::string absenceLine(const std::string& pnr, const std::string& span, const std::string& days,
                        const std::string& hours) {
  return "471;" + pnr + ";" + span + ";UR;300;" + days + ";" + hours + std::string(9, ';') + "\r\n";
}

// Group G1 on a TOPAS interface (company "4711", handed over as "471"),
// period 7 = December 2024, final run.
class TopasTest : public test::ExporterTest {
 protected:
  explicit TopasTest(const Row& header = {}, const Row& group = {})
      : ExporterTest("TOPAS", header, group) {}

  // A wage record (kind LS) and an absence record (kind SS, leave URL as
  // wage type 300 of group UR) of the final run.
  void wage(const Row& overrides) { record(withDefaults({{"Zk1Stz", "LS"}}, overrides)); }
  void absence(const Row& overrides) {
    record(withDefaults({{"Zk1Stz", "SS"}, {"Zk1Zkt", "URL"}, {"Zk1Lna", "300"}, {"Zk1Lgr", "UR"}},
                        overrides));
  }
  int run() { return handOver(topas); }
  std::string wages() const { return exported("LGD038IM"); }
  std::string absences() const { return exported("LGD034IM"); }
  std::vector<std::string> logSection() const {
    std::vector<std::string> lines;
    const std::string log = logText();
    size_t at = log.find("TOPAS-Lohnexport Akr");
    while (at != std::string::npos && at < log.size()) {
      const size_t end = log.find('\n', at);
      lines.push_back(log.substr(at, end == std::string::npos ? end : end - at));
      if (lines.back() == "TOPAS-Lohnexport beendet" || end == std::string::npos) break;
      at = end + 1;
    }
    return lines;
  }
  bool logged(const std::string& text) const { return logText().find(text) != std::string::npos; }
};

TEST_F(TopasTest, WageAndAbsenceRecordsGiveTheTwoFiles) {
  wage({{"Zk1Std", 450}});
  wage({{"Zk1Zkt", "UE"}, {"Zk1Std", 30}});  // same wage type and month: added
  wage({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Lna", "200"}, {"Zk1Tge", 30}});
  wage({{"Zk1Zkt", "ZU"}, {"Zk1Lna", "1234"}, {"Zk1Std", -75}, {"Zk1Bdt", "2024.12.31"}});
  wage({{"Zk1Zkt", "NIX"}});  // neither minutes nor days: skipped, not counted
  record({{"Zk1Stz", "XX"}, {"Zk1Std", 60}});
  absence({{"Zk1Tge", 25}, {"Zk1Von", "2024.12.09"}, {"Zk1Bis", "2024.12.11"}});
  absence({{"Zk1Pnr", "1002"},
           {"Zk1Upn", "1002"},
           {"Zk1Zkt", "KRA"},
           {"Zk1Lna", "400"},
           {"Zk1Lgr", "     "},
           {"Zk1Std", 120},
           {"Zk1Von", "2024.12.16"},
           {"Zk1Bis", "2024.12.16"}});
  absence({{"Zk1Pnr", "1003"}, {"Zk1Upn", "P-0815"}, {"Zk1Tge", 10}});
  ASSERT_EQ(run(), 0);
  expectGolden(wages(), "export/topas/golden/LGD038IM-mixed.txt");
  expectGolden(absences(), "export/topas/golden/LGD034IM-mixed.txt");
  EXPECT_EQ(logSection(), (std::vector<std::string>{
                              "TOPAS-Lohnexport Akr: G1, Abrnr: 7 gestartet",
                              "Satzart nicht unterstützt: XX",
                              "3 Datensätze in Datei LGD038IM (LS) geschrieben.",
                              "3 Datensätze in Datei LGD034IM (SS) geschrieben.",
                              "8 Datensätze aus Hor333Zk1 übergeben.",
                              "TOPAS-Lohnexport beendet",
                          }));
}

TEST_F(TopasTest, EmptyPeriodGivesEmptyFiles) {
  ASSERT_EQ(run(), 0);
  EXPECT_TRUE(exists("LGD038IM"));
  EXPECT_TRUE(exists("LGD034IM"));
  EXPECT_EQ(wages() + absences(), "");
}

struct LimitCase {
  const char* kind;
  int minutes, tenths;
  const char* amounts;  // fields 6 and 7 of a wage line, 7 and 8 of an absence line
  bool logged;
};

TEST_F(TopasTest, ValuesBeyondTheFileLimitsAreCutAndLogged) {
  const std::vector<LimitCase> cases = {
      {"LS", 599999, 0, "999998;", false},  // 9999.98 hours
      {"LS", 600000, 0, "999900;", true},   // 10000 hours reach the limit
      {"LS", 720000, 0, "999900;", true},         {"LS", -59999, 0, "-99998;", false},
      {"LS", -60000, 0, "-99900;", true},  // -1000 hours
      {"LS", -72000, 0, "-99900;", true},         {"LS", 0, 30, ";300", false},
      {"LS", 0, 100000, ";999900", true},  // 10000 days
      {"SS", 0, 1000000, "10000000;", false},     {"SS", 0, 1000010, "10000000;", true},
      {"SS", 0, -1000010, "-10000000;", true},    {"SS", 600000060, 0, ";1000000000", true},
      {"SS", -60000000, 0, ";-100000000", false}, {"SS", -60000060, 0, ";-100000000", true}};
  auto pnr = [](size_t i) { return "L" + std::to_string(10 + i); };
  for (size_t i = 0; i < cases.size(); ++i)
    record({{"Zk1Stz", cases[i].kind},
            {"Zk1Pnr", pnr(i)},
            {"Zk1Upn", pnr(i)},
            {"Zk1Std", cases[i].minutes},
            {"Zk1Tge", cases[i].tenths}});
  ASSERT_EQ(run(), 0);
  const std::string files = wages() + absences();
  for (size_t i = 0; i < cases.size(); ++i) {
    const LimitCase& c = cases[i];
    const std::string line =
        "471;" + pnr(i) +
        (std::string(c.kind) == "LS" ? ";202412;202412;100;" : ";01.12.2024;31.12.2024;?;100;") +
        c.amounts + ";";
    EXPECT_NE(files.find(line), std::string::npos) << line;
    EXPECT_EQ(logged("PNR " + pnr(i) + ": Stundenwert zu groß f.Übergabe"), c.logged) << pnr(i);
  }
}

struct MonthCase {
  int offset;
  const char* bookingDate;
  const char* month;
  const char* date;  // the booking date handed over
};

class TopasMonthShift : public TopasTest, public ::testing::WithParamInterface<MonthCase> {
 protected:
  TopasMonthShift() : TopasTest({{"LugMon", GetParam().offset}}) {}
};

TEST_P(TopasMonthShift, PayrollMonthAndBookingDateMoveByTheInterfaceOffset) {
  wage({{"Zk1Bdt", GetParam().bookingDate}, {"Zk1Std", 60}});
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1001", GetParam().month, "100", "100", "", "", GetParam().date));
}

// A booking date moved into a shorter month becomes that month's last day.
INSTANTIATE_TEST_SUITE_P(Offsets, TopasMonthShift,
                         ::testing::Values(MonthCase{0, "2024.12.02", "202412", "02.12.2024"},
                                           MonthCase{1, "2024.12.31", "202501", "31.01.2025"},
                                           MonthCase{2, "2024.12.31", "202502", "28.02.2025"},
                                           MonthCase{-1, "2024.12.31", "202411", "30.11.2024"},
                                           MonthCase{14, "2024.12.30", "202602", "28.02.2026"}));

TEST_F(TopasTest, FinalRunAfterPartialRunsHandsOverTheRemainder) {
  wage({{"Zk1Lfn", 2}, {"Zk1Std", 2400}, {"Zk1Bis", "2024.12.14"}});
  wage({{"Zk1Std", 10200}});  // 170 hours, 40 of them handed over: 130
  wage({{"Zk1Lfn", 2}, {"Zk1Zkt", "UE"}, {"Zk1Lna", "120"}, {"Zk1Std", 300}});
  wage({{"Zk1Zkt", "UE"}, {"Zk1Lna", "120"}, {"Zk1Std", 300}});  // all of it handed over
  // A correction of an earlier period is handed over whole.
  wage({{"Zk1Zkt", "UE"}, {"Zk1Lna", "120"}, {"Zk1Std", 90}, {"Zk1Rre", 2}, {"Zk1Kst", "4200"}});
  absence({{"Zk1Lfn", 2}, {"Zk1Tge", 40}, {"Zk1Von", "2024.12.09"}, {"Zk1Bis", "2024.12.14"}});
  absence({{"Zk1Tge", 90}, {"Zk1Von", "2024.12.09"}, {"Zk1Bis", "2024.12.19"}});
  // Leave after the partial runs has no partial span: handed over whole.
  absence({{"Zk1Tge", 20}, {"Zk1Von", "2024.12.27"}, {"Zk1Bis", "2024.12.30"}});
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1001", "202412", "100", "13000", "", "", "02.12.2024") +
                         wageLine("1001", "202412", "120", "150", "", "", "02.12.2024"));
  // The absence file is sorted by the days within a person.
  EXPECT_EQ(absences(), absenceLine("1001", "27.12.2024;30.12.2024", "200", "") +
                            absenceLine("1001", "15.12.2024;19.12.2024", "500", ""));
  EXPECT_TRUE(logged("4 Datensätze aus Hor333Zk1 übergeben."));
}

TEST_F(TopasTest, PartialRunHandsOverItsOwnRecords) {
  wage({{"Zk1Lfn", 2}, {"Zk1Std", 2400}});
  wage({{"Zk1Std", 9999}});
  ctx.lfn = 2;
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1001", "202412", "100", "4000", "", "", "02.12.2024"));
}

struct SpanCase {
  const char* from;
  const char* to;
  const char* partialFrom;
  const char* partialTo;
  const char* span;  // the absence line's from and to
};

// The span is computed on calendar days: the day after the last of a month
// is the first of the next, and dates compare by the calendar.
TEST_F(TopasTest, AbsenceCoversWhatThePartialRunsLeft) {
  const std::vector<SpanCase> cases = {
      {"01.12.2024", "31.12.2024", "01.12.2024", "14.12.2024", "15.12.2024;31.12.2024"},
      {"25.11.2024", "10.12.2024", "25.11.2024", "30.11.2024", "01.12.2024;10.12.2024"},
      {"25.11.2024", "10.12.2024", "01.12.2024", "10.12.2024", "25.11.2024;30.11.2024"},
      {"20.12.2024", "31.12.2024", "20.12.2024", "02.01.2025", "01.01.2025;02.01.2025"},
      {"01.03.2024", "10.03.2024", "27.02.2024", "10.03.2024", "27.02.2024;29.02.2024"},
      {"01.12.2024", "31.12.2024", "01.12.2024", "31.12.2024", "01.12.2024;31.12.2024"}};
  auto date = [](const std::string& d) {
    return d.substr(6, 4) + "." + d.substr(3, 2) + "." + d.substr(0, 2);
  };
  std::string expected;
  for (size_t i = 0; i < cases.size(); ++i) {
    const SpanCase& c = cases[i];
    const std::string pnr = "S" + std::to_string(i);
    const Row person{{"Zk1Pnr", pnr}, {"Zk1Upn", pnr}};
    absence(withDefaults({{"Zk1Lfn", 2},
                          {"Zk1Tge", 10},
                          {"Zk1Von", date(c.partialFrom)},
                          {"Zk1Bis", date(c.partialTo)}},
                         person));
    absence(
        withDefaults({{"Zk1Tge", 30}, {"Zk1Von", date(c.from)}, {"Zk1Bis", date(c.to)}}, person));
    expected += absenceLine(pnr, c.span, "200", "");
  }
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(absences(), expected);
}

TEST_F(TopasTest, MirroredCorrectionsWithAnotherCostCentreAreNotHandedOver) {
  wage({{"Zk1Std", 480}, {"Zk1Rre", 2}, {"Zk1Kst", "4100"}});
  wage({{"Zk1Std", -480}, {"Zk1Rre", 2}, {"Zk1Kst", "4200"}});
  wage({{"Zk1Std", 60}, {"Zk1Rre", 2}, {"Zk1Zkt", "UE"}, {"Zk1Lna", "120"}});
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1001", "202412", "120", "100", "", "", "02.12.2024"));
  EXPECT_EQ(inst.rows("select Zk1Kst, Zk1Sta from Hor331Zk1 order by Zk1Std"),
            (std::vector<std::vector<std::string>>{{"4200", "8"}, {"4100", "2"}, {"4100", "8"}}));
}

TEST_F(TopasTest, SiteRuleHandsWageTypes654And655OverAsMinutes) {
  wage({{"Zk1Lna", "654"}, {"Zk1Std", 480}});
  wage({{"Zk1Lna", "654"}, {"Zk1Zkt", "ALT"}, {"Zk1Std", 60}, {"Zk1Von", "2023.12.01"}});
  wage({{"Zk1Lna", "654"}, {"Zk1Zkt", "NUL"}, {"Zk1Std", 30}, {"Zk1Von", nullptr}});
  wage({{"Zk1Lna", "655"}, {"Zk1Std", 90}});
  wage({{"Zk1Lna", "656"}, {"Zk1Std", 90}});
  ctx.site = "02272";
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1001", "202412", "654", "", "", "480", "02.12.2024") +
                         wageLine("1001", "202412", "655", "", "", "90", "02.12.2024") +
                         wageLine("1001", "202412", "656", "150", "", "", "02.12.2024"));
}

TEST_F(TopasTest, OtherSitesHandWageType654OverAsHours) {
  wage({{"Zk1Lna", "654"}, {"Zk1Std", 480}, {"Zk1Von", "2023.12.01"}});
  ctx.site = "01000";
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1001", "202312", "654", "800", "", "", "02.12.2024"));
}

TEST_F(TopasTest, FactorOfTheInterfaceLineMultipliesTheWageValue) {
  line({{"Lu1Stz", "LS"}, {"Lu1Mog", 1.5}});
  wage({{"Zk1Std", 480}});
  wage({{"Zk1Zkt", "UE"}, {"Zk1Std", 60}, {"Zk1Bdt", "2024.12.03"}});  // no line: 1 hour
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1001", "202412", "100", "1300", "", "", "02.12.2024"));
}

TEST_F(TopasTest, SeparatorInAFieldKeepsTheRecordOutOfTheFiles) {
  wage({{"Zk1Std", 60}, {"Zk1Upn", "10;01"}});
  wage({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 60}});
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1002", "202412", "100", "100", "", "", "02.12.2024"));
  EXPECT_TRUE(logged("Pnr 10;01: Trennzeichen im Feld (10;01)"));
}

TEST_F(TopasTest, CompanyIsTheGroupWhenTheInterfaceHasNone) {
  inst.db().exec("update Hor171Lug set LugFir=null");
  inst.db().commit();
  wage({{"Zk1Std", 60}});
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages().substr(0, 8), "G1;1001;");
}

TEST_F(TopasTest, MissingInterfaceIsLoggedAndTheGroupIsTheCompany) {
  inst.db().exec("delete from Hor171Lug");
  inst.db().commit();
  wage({{"Zk1Std", 60}});
  ASSERT_EQ(run(), 0);
  EXPECT_TRUE(logged("Hor171Lug-Lesenfehler: 1403"));
  EXPECT_EQ(wages().substr(0, 8), "G1;1001;");
}

// An absence file that cannot be created ends the run with exit status 1,
// and the wage file written before it does not appear either.
TEST_F(TopasTest, AbsenceFileThatCannotBeOpenedEndsTheRun) {
  wage({{"Zk1Std", 60}});
  fs::create_directories(inst.exportDir() / ".LGD034IM.tmp" / "blocked");
  EXPECT_EQ(run(), 1);
  EXPECT_TRUE(logged("TOPAS-Exportdatei(SS) kann nicht geoeffnet werden !"));
  EXPECT_FALSE(logged("TOPAS-Lohnexport beendet"));
  EXPECT_FALSE(exists("LGD038IM"));
}

TEST_F(TopasTest, FormerTransferDirectoryIsLeftAlone) {
  const fs::path former = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
  fs::create_directories(former);
  std::ofstream(former / "LGD038IM") << "old";
  wage({{"Zk1Std", 60}});
  ASSERT_EQ(run(), 0);
  EXPECT_TRUE(fs::exists(former / "LGD038IM"));
  EXPECT_TRUE(exists("LGD038IM"));
}

class TopasKeptStagingTest : public TopasTest {
 protected:
  TopasKeptStagingTest() : TopasTest({}, {{"AkrSsl", 0}}) {}
};

// Without "Schnittstelle leeren" a second run adds its wage values to the
// staged ones, and an absence of the same span takes the new value.
TEST_F(TopasKeptStagingTest, SecondRunAddsWagesAndReplacesAbsences) {
  wage({{"Zk1Std", 60}});
  absence({{"Zk1Tge", 20}});
  ASSERT_EQ(run(), 0);
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(wages(), wageLine("1001", "202412", "100", "200", "", "", "02.12.2024"));
  EXPECT_EQ(absences(), absenceLine("1001", "01.12.2024;31.12.2024", "200", ""));
}

}  // namespace
}  // namespace lug::exporters
