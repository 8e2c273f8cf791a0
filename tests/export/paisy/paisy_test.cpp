#include "export/paisy/paisy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

// Group G1 on a PAISY interface (company 4711), period 7 = December 2024.
class PaisyTest : public test::ExporterTest {
 protected:
  explicit PaisyTest(const Row& header = {}) : ExporterTest("PAISY", header) {
    recordKind({{"Lg1Stz", "P1"}, {"Lg1Stt", 1}, {"Lg1Svt", 1}, {"Lg1P4A", 0}});
    recordKind({{"Lg1Stz", "P3"}, {"Lg1Stt", 1}, {"Lg1Svt", 1}, {"Lg1P4A", 0}});
    recordKind({{"Lg1Stz", "P4"}, {"Lg1Stt", 1}, {"Lg1Svt", 0}, {"Lg1P4A", 0}});
  }
  int run() { return handOver(paisy); }
  void counters(const std::string& pnr, double stt, double svt, double ant) {
    inst.insert("Hor331Zk2", {{"Zk2Abr", 7},
                              {"Zk2Pnr", pnr},
                              {"Zk2Bdt", "2024.12.01"},
                              {"Zk2Stt", stt},
                              {"Zk2Svt", svt},
                              {"Zk2Ant", ant},
                              {"Zk2Rre", 0}});
  }
  // A P3 row remembered in Hor331Zk5 by an earlier run.
  void remembered(const std::string& key, int abr, const std::string& von, const std::string& bis,
                  int minutes) {
    inst.insert("Hor331Zk5", {{"Zk5Key", key},
                              {"Zk5Abr", abr},
                              {"Zk5Stz", "P3"},
                              {"Zk5Pnr", "1001"},
                              {"Zk5Lna", "300"},
                              {"Zk5Ktr", "47"},
                              {"Zk5Std", minutes},
                              {"Zk5Von", von},
                              {"Zk5Bis", bis},
                              {"Zk5Zkt", "URL"},
                              {"Zk5Rre", 2}});
  }
  bool logHas(const std::string& line) const {
    return logText().find(line + "\n") != std::string::npos;
  }
};

TEST_F(PaisyTest, MixedPeriodGivesTheThreeFiles) {
  line({{"Lu1Stz", "P1"}});
  line({{"Lu1Stz", "P1"}, {"Lu1Ztk", "PR"}, {"Lu1Lna", "150"}, {"Lu1Bau", 1}});
  line({{"Lu1Stz", "LS"}, {"Lu1Ztk", "ZU"}, {"Lu1Lna", "200"}, {"Lu1Kst", 0}, {"Lu1Mog", 2.0}});
  counters("1001", 30, 28, 20);
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 480}});
  record({{"Zk1Stz", "P1"}, {"Zk1Zkt", "AZX"}, {"Zk1Std", 90}});  // same staging row
  record({{"Zk1Stz", "P1"}, {"Zk1Zkt", "PR"}, {"Zk1Lna", "150"}, {"Zk1Std", 1234}});
  record({{"Zk1Stz", "P1"}, {"Zk1Bdt", "2024.12.03"}, {"Zk1Lgr", "ZUS"}, {"Zk1Std", -75}});
  record({{"Zk1Stz", "P4"}, {"Zk1Zkt", "UA"}, {"Zk1Sts", 103}, {"Zk1Tge", 20}});
  record({{"Zk1Stz", "P4"}, {"Zk1Zkt", "MA"}, {"Zk1Sts", 3}, {"Zk1Std", 600}});
  record({{"Zk1Stz", "P3"},
          {"Zk1Zkt", "URL"},
          {"Zk1Lna", "300"},
          {"Zk1Std", 1440},
          {"Zk1Von", "2024.12.10"},
          {"Zk1Bis", "2024.12.12"}});
  record({{"Zk1Stz", "LS"},
          {"Zk1Pnr", "1002"},
          {"Zk1Upn", "P-1002X"},
          {"Zk1Zkt", "ZU"},
          {"Zk1Lna", "200"},
          {"Zk1Tge", 15}});
  ASSERT_EQ(run(), 0) << logText();
  expectGolden(exported("PaisyP1.txt"), "export/paisy/golden/PaisyP1.txt");
  expectGolden(exported("PaisyP3.txt"), "export/paisy/golden/PaisyP3.txt");
  expectGolden(exported("PaisyP4.txt"), "export/paisy/golden/PaisyP4.txt");
  EXPECT_TRUE(logHas("8 Datensätze aus Hor333Zk1 übergeben.")) << logText();
  EXPECT_LT(logText().find("Paisy Lohnprogramm beendet"), std::string::npos);
}

// Hours beyond 999 are cut to 999.99 with a log line, and hours × 100 are
// written with the sign at the end.
TEST_F(PaisyTest, HoursFieldLimitsAndSign) {
  record({{"Zk1Stz", "P1"}, {"Zk1Pnr", "2001"}, {"Zk1Upn", "2001"}, {"Zk1Std", 60030}});
  record({{"Zk1Stz", "P1"}, {"Zk1Pnr", "2002"}, {"Zk1Upn", "2002"}, {"Zk1Std", -75}});
  record({{"Zk1Stz", "P1"}, {"Zk1Pnr", "2003"}, {"Zk1Upn", "2003"}, {"Zk1Std", -60030}});
  record({{"Zk1Stz", "P1"}, {"Zk1Pnr", "2004"}, {"Zk1Upn", "2004"}, {"Zk1Std", 100}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(exported("PaisyP1.txt"),
            "P147  2001      0212241110000100*1199999*20  4100*\r\n"
            "P147  2002      0212241110000100*110125-*20  4100*\r\n"
            "P147  2003      0212241110000100*119999-*20  4100*\r\n"
            "P147  2004      0212241110000100*1100167*20  4100*\r\n");
  EXPECT_TRUE(logHas("PNR 2001: Stundenwert zu groß f.Übergabe"));
  EXPECT_TRUE(logHas("PNR 2003: Stundenwert zu groß f.Übergabe"));
  EXPECT_TRUE(logHas("   ->Pnr 2003   : Überlauf Stundenwert !!!")) << logText();
}

struct MonthCase {
  const char* bookingDate;
  int offset;
  const char* dayAndMonth;  // columns 17 to 22 of the P1 line
  const char* logLine;
};

class PaisyPayrollMonth : public PaisyTest, public ::testing::WithParamInterface<MonthCase> {
 protected:
  PaisyPayrollMonth() : PaisyTest({{"LugMon", GetParam().offset}}) {}
};

TEST_P(PaisyPayrollMonth, DayAndMonthOfTheBooking) {
  record({{"Zk1Stz", "P1"}, {"Zk1Bdt", GetParam().bookingDate}, {"Zk1Std", 60}});
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(exported("PaisyP1.txt").substr(16, 6), GetParam().dayAndMonth);
  if (*GetParam().logLine) {
    EXPECT_TRUE(logHas(GetParam().logLine)) << logText();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, PaisyPayrollMonth,
    ::testing::Values(MonthCase{"2024.01.31", 1, "290224", ""},
                      MonthCase{"2025.04.30", 1, "310525", ""},
                      MonthCase{"2025.01.29", 1, "280225", ""},
                      MonthCase{"2024.12.31", 0, "311224", ""},
                      MonthCase{"2024.12.15", 1, "150125", "Hor331Zk1-Datum+12: 2024.12.15"},
                      MonthCase{"2024.01.10", -1, "101223", "Hor331Zk1-Datum-1: 2024.01.10"}));

struct CompanyCase {
  Row header;
  const char* company;
};

class PaisyCompany : public PaisyTest, public ::testing::WithParamInterface<CompanyCase> {
 protected:
  PaisyCompany() : PaisyTest(GetParam().header) {}
};

TEST_P(PaisyCompany, FirstTwoCharactersOfCompanyGroupOrAccountingGroup) {
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 60}});
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(exported("PaisyP1.txt").substr(0, 4), std::string("P1") + GetParam().company);
}

INSTANTIATE_TEST_SUITE_P(Codes, PaisyCompany,
                         ::testing::Values(CompanyCase{{{"LugFir", "_7"}, {"LugAkr", ""}}, " 7"},
                                           CompanyCase{{{"LugFir", ""}, {"LugAkr", "03"}}, "03"},
                                           CompanyCase{{{"LugFir", ""}, {"LugAkr", ""}}, "G1"}));

class PaisyWithoutDay : public PaisyTest {
 protected:
  PaisyWithoutDay() {
    inst.db().exec("update Hor171Lug  set LugDtm=3");
    inst.db().commit();
  }
};

// With LugDtm 3 the rows carry no day; rows of the same key are merged also
// across runs that keep the staging rows.
TEST_F(PaisyWithoutDay, RowsWithoutDayAreMergedAndWrittenWithBlanks) {
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 60}});
  record({{"Zk1Stz", "P1"}, {"Zk1Bdt", "2024.12.20"}, {"Zk1Std", 30}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(exported("PaisyP1.txt"), "P147  1001        12241110000100*1100150*20  4100*\r\n");
  EXPECT_EQ(inst.scalar("select count(*) from Hor333Ps1 where Ps1Abt is null"), "1");
}

TEST_F(PaisyTest, WholeMonthAtAKindWithoutCountersGivesNoP4) {
  recordKind({{"Lg1Stz", "SS"}, {"Lg1Stt", 1}, {"Lg1Svt", 1}, {"Lg1P4A", 1}});
  counters("1001", 30, 30, 10);
  counters("1002", 20, 20, 10);
  record({{"Zk1Stz", "SS"}, {"Zk1Sts", 3}, {"Zk1Std", 120}});
  record({{"Zk1Stz", "SS"}, {"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Sts", 3}, {"Zk1Std", 60}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(exported("PaisyP4.txt"),
            "P447  1002        12241137  0*33   60*1220 *1320 *14 10*15000*221*              \r\n");
}

TEST_F(PaisyTest, EmptyPeriodLogsTheEndOfReadingAndWritesEmptyFiles) {
  ASSERT_EQ(run(), 0);
  EXPECT_TRUE(logHas("Abbruch Lesen aus Zk1, Fehler: 1403"));
  EXPECT_TRUE(logHas("0 Datensätze aus Hor333Zk1 übergeben."));
  for (const char* name : {"PaisyP1.txt", "PaisyP3.txt", "PaisyP4.txt"}) {
    EXPECT_TRUE(exists(name)) << name;
    EXPECT_EQ(exported(name), "") << name;
  }
}

TEST_F(PaisyTest, AbsenceWithoutDatesOrWithTooLongWageTypeGivesNoP3) {
  record({{"Zk1Stz", "P3"}, {"Zk1Zkt", "URL"}, {"Zk1Std", 480}, {"Zk1Von", ""}, {"Zk1Bis", ""}});
  record({{"Zk1Stz", "P3"}, {"Zk1Zkt", "KUR"}, {"Zk1Lna", "3001"}, {"Zk1Std", 480}});
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(exported("PaisyP3.txt"), "");
  EXPECT_TRUE(logHas("Pnr: 1001, Zkt: URL : Zeitraum offen=>kein P3")) << logText();
  EXPECT_TRUE(logHas("Lohnart zu lang für P3-Satz : 1001")) << logText();
}

// An absence that began before the period on booked days starts there; one
// that goes on after the period has no end.
TEST_F(PaisyTest, AbsenceExtendedOverBookedDaysBeforeThePeriod) {
  for (const char* day : {"2024.11.27", "2024.11.28", "2024.11.29", "2024.11.30"})
    inst.insert("Hor320Tgb", {{"TgbPnr", "1001"}, {"TgbDtm", day}, {"TgbZtr", 1}});
  for (const char* day : {"2024.11.28", "2024.11.29", "2024.11.30", "2024.12.10"})
    inst.insert("Hor331Zkb",
                {{"ZkbPnr", "1001"}, {"ZkbZtr", 1}, {"ZkbDtm", day}, {"ZkbZkt", "URL"}});
  record({{"Zk1Stz", "P3"},
          {"Zk1Zkt", "URL"},
          {"Zk1Lna", "300"},
          {"Zk1Std", 480},
          {"Zk1Von", "2024.12.01"},
          {"Zk1Bis", "2024.12.09"}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(exported("PaisyP3.txt"),
            "P347  1001      2811241 300          091224                                     \r\n");
}

// A reversal cancels the absence handed over last: the row of the latest
// earlier run with the same dates, whatever its minutes.
struct ReversalCase {
  const char* name;
  int minutes, tenths;
};

class PaisyReversal : public PaisyTest, public ::testing::WithParamInterface<ReversalCase> {};

TEST_P(PaisyReversal, FindsTheLatestRememberedAbsence) {
  remembered("28.11.2024 10:00:00", 6, "2024.11.04", "2024.11.08", GetParam().minutes * -1);
  remembered("02.12.2024 09:00:00", 6, "2024.11.04", "2024.11.07", GetParam().minutes * -1);
  remembered("30.11.2024 12:00:00", 6, "2024.11.04", "2024.11.06", GetParam().minutes * -1);
  record({{"Zk1Stz", "P3"},
          {"Zk1Zkt", "URL"},
          {"Zk1Lna", "300"},
          {"Zk1Upn", "1001"},
          {"Zk1Rre", 2},
          {"Zk1Std", GetParam().minutes},
          {"Zk1Tge", GetParam().tenths},
          {"Zk1Von", "2024.11.04"},
          {"Zk1Bis", "2024.11.08"}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(exported("PaisyP3.txt"),
            "P347  1001      0411241 300    0     071124                                     \r\n");
}

INSTANTIATE_TEST_SUITE_P(Quantities, PaisyReversal,
                         ::testing::Values(ReversalCase{"Minutes", -480, 0},
                                           ReversalCase{"Days", 0, -50}),
                         [](const auto& c) { return std::string(c.param.name); });

TEST_F(PaisyTest, AbsencesOfARecalculatingRunAreRemembered) {
  ctx.recalcCount = 1;
  record({{"Zk1Stz", "P3"},
          {"Zk1Zkt", "URL"},
          {"Zk1Lna", "300"},
          {"Zk1Std", 480},
          {"Zk1Von", "2024.12.02"},
          {"Zk1Bis", "2024.12.03"}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(inst.rows("select Zk5Key, Zk5Abr, Zk5Pnr, Zk5Lna, Zk5Ktr, Zk5Std, Zk5Von, Zk5Bis, "
                      "Zk5Rre from Hor331Zk5"),
            (std::vector<std::vector<std::string>>{{"09.01.2025 07:30:00", "7", "1001", "300", "47",
                                                    "480", "2024.12.02", "2024.12.03", "2"}}));
}

// At site 37708 absences are staged with their wage-type group in
// Hor333Ps3O, which no file is written from, and are not extended.
TEST_F(PaisyTest, SiteWithGroupKeyStagesAbsencesWithTheirGroup) {
  ctx.site = "37708";
  inst.insert("Hor320Tgb", {{"TgbPnr", "1001"}, {"TgbDtm", "2024.11.30"}, {"TgbZtr", 1}});
  inst.insert("Hor331Zkb",
              {{"ZkbPnr", "1001"}, {"ZkbZtr", 1}, {"ZkbDtm", "2024.11.30"}, {"ZkbZkt", "URL"}});
  record({{"Zk1Stz", "P3"},
          {"Zk1Zkt", "URL"},
          {"Zk1Lna", "300"},
          {"Zk1Lgr", "AB123"},
          {"Zk1Std", 480},
          {"Zk1Von", "2024.12.01"},
          {"Zk1Bis", "2024.12.03"}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(exported("PaisyP3.txt"), "");
  EXPECT_EQ(inst.rows("select Ps3Bdt, Ps3Lna, Ps3Zet, Ps3Edt, Ps3Knr from Hor333Ps3O"),
            (std::vector<std::vector<std::string>>{{"011224", "300", "     ", "031224", "AB"}}));
}

// A cursor that fails ends the hand-over with abort 60 and leaves no file of
// the set under its final name.
TEST_F(PaisyTest, FailingRecordCursorAbortsWithoutFiles) {
  std::filesystem::create_directories(inst.exportDir());
  std::ofstream(inst.exportDir() / "PaisyP1.txt") << "last period\r\n";
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 60}});
  ASSERT_EQ(inst.db().execDynamic("ALTER TABLE Hor331Zk1 DROP COLUMN Zk1Rrn"), 0);
  EXPECT_EQ(run(), 1);
  EXPECT_NE(logText().find("Abbruch Lesen aus Zk1, Fehler: -"), std::string::npos) << logText();
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "60");
  for (const char* name : {"PaisyP1.txt", "PaisyP3.txt", "PaisyP4.txt"})
    EXPECT_FALSE(exists(name)) << name;
}

TEST_F(PaisyTest, FailingStagingCursorAbortsWithoutFiles) {
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 60}});
  ASSERT_EQ(inst.db().execDynamic("DROP TABLE Hor333Ps4"), 0);
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "60");
  for (const char* name : {"PaisyP1.txt", "PaisyP3.txt", "PaisyP4.txt"})
    EXPECT_FALSE(exists(name)) << name;
}

}  // namespace
}  // namespace lug::exporters
