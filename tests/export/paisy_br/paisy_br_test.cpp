#include "export/paisy_br/paisy_br.h"

#include <gtest/gtest.h>

#include <string>

#include "export/exporters.h"
#include "export/paisy_br/paisy_br_steps.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

struct HoursCase {
  const char* padded;
  const char* column;
};

class PaisyBrHoursColumn : public ::testing::TestWithParam<HoursCase> {};

TEST_P(PaisyBrHoursColumn, FiveCharactersWithTheSignInTheLastDigit) {
  EXPECT_EQ(paisy_br::hoursColumn(GetParam().padded), GetParam().column);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PaisyBrHoursColumn,
    ::testing::Values(HoursCase{"00-125", "0012u"}, HoursCase{"000950", "00950"},
                      HoursCase{"0000-1", "0000q"}, HoursCase{"-99999", "9999y"},
                      HoursCase{"00-120", "0012p"}, HoursCase{"000000", "00000"}));

// Group G1 on a PSYBR interface (company 4711), period 7 = December 2024.
class PaisyBrTest : public test::ExporterTest {
 protected:
  PaisyBrTest() : ExporterTest("PSYBR") {
    recordKind({{"Lg1Stz", "P4"}, {"Lg1Stt", 1}, {"Lg1Svt", 0}});
  }
  int run() { return handOver(paisyBr); }
  void counters(const std::string& pnr, int rre, double bzt, double unt, double slt) {
    inst.insert("Hor331Zk2", {{"Zk2Abr", 7},
                              {"Zk2Pnr", pnr},
                              {"Zk2Bdt", "2024.12.01"},
                              {"Zk2Stt", 30},
                              {"Zk2Svt", 28.5},
                              {"Zk2Ant", 20},
                              {"Zk2Sln", 160},
                              {"Zk2Uns", 0},
                              {"Zk2Zes", 0},
                              {"Zk2Bzt", bzt},
                              {"Zk2Unt", unt},
                              {"Zk2Slt", slt},
                              {"Zk2Rre", rre}});
  }
  void employment(const std::string& pnr, int contractMinutes) {
    inst.insert(
        "Hor310Bsv",
        {{"BsvPnr", pnr}, {"BsvAkr", "G1"}, {"BsvGvo", "2020.01.01"}, {"BsvDms", contractMinutes}});
  }
};

TEST_F(PaisyBrTest, MixedPeriodGivesTheThreeFiles) {
  counters("1001", 0, 18, 2, 20);
  employment("1001", 9600);
  for (const char* day : {"2024.11.28", "2024.11.29", "2024.11.30"})
    inst.insert("Hor320Tgb", {{"TgbPnr", "1001"}, {"TgbDtm", day}, {"TgbZtr", 1}});
  for (const char* day : {"2024.11.29", "2024.11.30"})
    inst.insert("Hor331Zkb",
                {{"ZkbPnr", "1001"}, {"ZkbZtr", 1}, {"ZkbDtm", day}, {"ZkbZkt", "KRA"}});
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 100}, {"Zk1Lgr", "ABCDE"}, {"Zk1Kst", "123456"}});
  record(
      {{"Zk1Stz", "P1"}, {"Zk1Zkt", "UNT"}, {"Zk1Lna", "900"}, {"Zk1Sts", 112}, {"Zk1Std", 250}});
  record({{"Zk1Stz", "LS"}, {"Zk1Zkt", "ZU"}, {"Zk1Lna", "200"}, {"Zk1Std", -75}});
  record({{"Zk1Stz", "P4"}, {"Zk1Zkt", "UA"}, {"Zk1Sts", 103}, {"Zk1Tge", 25}});
  record({{"Zk1Stz", "P3"},
          {"Zk1Zkt", "KRA"},
          {"Zk1Lna", "310"},
          {"Zk1Std", 2400},
          {"Zk1Von", "2024.12.01"},
          {"Zk1Bis", "2024.12.05"}});
  record({{"Zk1Stz", "P3"},
          {"Zk1Bdt", "2024.12.03"},
          {"Zk1Zkt", "URL"},
          {"Zk1Lna", "300"},
          {"Zk1Rre", 2},
          {"Zk1Std", -480},
          {"Zk1Von", "2024.12.16"},
          {"Zk1Bis", ""}});
  ASSERT_EQ(run(), 0) << logText();
  expectGolden(exported("PaisyP1b.txt"), "export/paisy_br/golden/PaisyP1b.txt");
  expectGolden(exported("PaisyP3b.txt"), "export/paisy_br/golden/PaisyP3b.txt");
  expectGolden(exported("PaisyP4b.txt"), "export/paisy_br/golden/PaisyP4b.txt");
  EXPECT_NE(logText().find("Paisy(Br) Lohnprogramm beendet\n"), std::string::npos);
}

// Hours and counters are rounded to the columns' implied decimals, not cut:
// 100 minutes are "00167", contract hours of 100 minutes "00167".
TEST_F(PaisyBrTest, QuantitiesAreRoundedNotCut) {
  counters("1001", 0, 0, 0, 0);
  employment("1001", 100);
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 100}});
  record({{"Zk1Stz", "P1"}, {"Zk1Lna", "101"}, {"Zk1Std", 10}});
  record({{"Zk1Stz", "P1"}, {"Zk1Lna", "102"}, {"Zk1Std", 50}});
  record({{"Zk1Stz", "P1"}, {"Zk1Zkt", "AZ2"}, {"Zk1Lna", "102"}, {"Zk1Std", 50}});
  ASSERT_EQ(run(), 0) << logText();
  const std::string p1 = exported("PaisyP1b.txt");
  ASSERT_EQ(p1.size(), 3 * 82u) << p1;
  EXPECT_EQ(p1.substr(32, 5), "00167");           // 100 minutes
  EXPECT_EQ(p1.substr(82 + 32, 5), "00017");      // 10 minutes
  EXPECT_EQ(p1.substr(2 * 82 + 32, 5), "00167");  // 50 and 50 minutes
  EXPECT_EQ(exported("PaisyP4b.txt").substr(32, 5), "00167");
}

// Hours that need more than the five characters of the hours column are not
// cut into a wrong number: the row is left out and logged, the others stay.
TEST_F(PaisyBrTest, HoursBeyondTheColumnAreLoggedNotCut) {
  counters("1001", 0, 0, 0, 0);
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 60000}});  // 1,000 hours
  record({{"Zk1Stz", "P1"}, {"Zk1Lna", "101"}, {"Zk1Std", -60000}});
  record({{"Zk1Stz", "P1"}, {"Zk1Lna", "102"}, {"Zk1Std", 59999}});  // 999.98 hours
  ASSERT_EQ(run(), 0) << logText();
  const std::string p1 = exported("PaisyP1b.txt");
  ASSERT_EQ(p1.size(), 82u) << p1;
  EXPECT_EQ(p1.substr(26, 3) + p1.substr(32, 5), "10299998");
  EXPECT_NE(logText().find("PNR 1001: Stundenwert zu groß f.Übergabe (1000.00)\n"
                           "PNR 1001: Stundenwert zu groß f.Übergabe (-1000.00)\n"),
            std::string::npos)
      << logText();
}

TEST_F(PaisyBrTest, RecalculatedCountersThatAddNothingAreNotStaged) {
  counters("1001", 2, 0, 0, 0);
  record({{"Zk1Stz", "P4"}, {"Zk1Rre", 2}, {"Zk1Sts", 103}, {"Zk1Tge", 0}});
  record({{"Zk1Stz", "P4"},
          {"Zk1Pnr", "1002"},
          {"Zk1Upn", "1002"},
          {"Zk1Rre", 2},
          {"Zk1Sts", 7},
          {"Zk1Std", 60}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(inst.scalar("select count(*) from Hor333Ps4B"), "2");  // the employees' own rows
  EXPECT_EQ(inst.scalar("select sum(Ps4Bas) from Hor333Ps4B"), "0");
}

// A staging table that cannot be read ends the hand-over with abort 60 and
// no file of the set under its final name.
TEST_F(PaisyBrTest, FailingStagingCursorAbortsWithoutFiles) {
  record({{"Zk1Stz", "P1"}, {"Zk1Std", 60}});
  ASSERT_EQ(inst.db().execDynamic("DROP TABLE Hor333Ps4B"), 0);
  EXPECT_EQ(run(), 1);
  EXPECT_NE(logText().find("Hor333Ps4B-InsertFehler, Pnr: 1001, Sqlfhl: -"), std::string::npos)
      << logText();
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "60");
  for (const char* name : {"PaisyP1b.txt", "PaisyP3b.txt", "PaisyP4b.txt"})
    EXPECT_FALSE(exists(name)) << name;
}

}  // namespace
}  // namespace lug::exporters
