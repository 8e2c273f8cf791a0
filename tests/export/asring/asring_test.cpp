#include "export/asring/asring.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;
using Rows = std::vector<std::vector<std::string>>;

constexpr char kValueRows[] =
    "select AsrFir, AsrPnr, AsrJhr, AsrMon, AsrLna, AsrStd, AsrTag, AsrKst, AsrAbr, AsrLkz, "
    "AsrUhr, "
    "AsrVfj, AsrVfm from Hor333Asr order by AsrPnr, AsrLna, AsrLkz, AsrVfm, AsrKst";
constexpr char kAbsenceRows[] =
    "select AskFir, AskPnr, AskJhr, AskMon, AskEnr, AskArt, AskVon, AskBis, AskEin, AskMge, "
    "AskLkz, "
    "AskUhr from Hor333Ask order by AskEnr";

// Group G1 on an Asring interface of company 4711, December 2024, handed
// over at 07:30:00.
class AsringTest : public test::ExporterTest {
 protected:
  explicit AsringTest(const Row& header = {}) : ExporterTest("ASR01", header) {
    ::setenv("LUG_SYSDATE", "2025.01.09 07:30:00", 1);
  }
  ~AsringTest() override { ::unsetenv("LUG_SYSDATE"); }

  void value(const Row& overrides) { record(test::withDefaults({{"Zk1Stz", "LS"}}, overrides)); }
  void absence(const Row& overrides) {
    record(
        test::withDefaults({{"Zk1Stz", "SS"}, {"Zk1Zkt", "KRA"}, {"Zk1Lgr", "K    "}}, overrides));
  }
  void handedOver() { ASSERT_EQ(handOver(asring), 0) << logText(); }
};

TEST_F(AsringTest, WageTypeValuesPerCostCentreAndCorrection) {
  line({{"Lu1Stz", "LS"}, {"Lu1Ktr", 0}});
  line({{"Lu1Stz", "LS"}, {"Lu1Lna", "200"}, {"Lu1Kst", 0}});
  value({{"Zk1Std", 450}, {"Zk1Kst", "1234567890123"}});  // cost centre cut to 10
  value({{"Zk1Std", 90}, {"Zk1Kst", "1234567890999"}, {"Zk1Bdt", "2024.12.03"}});  // same row
  value({{"Zk1Lna", "200"}, {"Zk1Tge", 15}});  // days; cost centre blank
  value({{"Zk1Lna", "300"}, {"Zk1Std", 60}, {"Zk1Kst", "1234567890123"}});  // no line: kept
  value({{"Zk1Std", -120}, {"Zk1Rre", 2}, {"Zk1Bdt", "2024.11.01"}});       // taken back: "J"
  value({{"Zk1Std", 30}, {"Zk1Rre", 2}, {"Zk1Bdt", "2024.10.01"}, {"Zk1Zkt", "UE"}});
  value({{"Zk1Std", 60}, {"Zk1Lfn", 2}});      // another run
  record({{"Zk1Stz", "LA"}, {"Zk1Std", 60}});  // another kind
  handedOver();
  EXPECT_EQ(inst.rows(kValueRows), (Rows{{"471", "1001", "2024", "12", "100", "-2", "0", "4100",
                                          "122024", "J", "07:30:00", "2024", "11"},
                                         {"471", "1001", "2024", "12", "100", "9", "0",
                                          "1234567890", "122024", "N", "07:30:00", "0", "0"},
                                         {"471", "1001", "2024", "12", "100", ".5", "0", "4100",
                                          "122024", "N", "07:30:00", "2024", "10"},
                                         {"471", "1001", "2024", "12", "200", "0", "1.5", " ",
                                          "122024", "N", "07:30:00", "0", "0"},
                                         {"471", "1001", "2024", "12", "300", "1", "0",
                                          "1234567890123", "122024", "N", "07:30:00", "0", "0"}}));
  EXPECT_EQ(inst.rows(kAbsenceRows), Rows{});
  EXPECT_NE(logText().find("7 Datensätze aus Hor333Zk1 übergeben.\nAsring Lohnprogramm beendet\n"),
            std::string::npos)
      << logText();
}

TEST_F(AsringTest, AbsenceEnteredOncePerKindAndSpan) {
  absence({{"Zk1Std", 480}});
  absence({{"Zk1Zkt", "KRA2"}, {"Zk1Std", 240}});  // same kind and span: dropped
  absence({{"Zk1Pnr", "1002"},
           {"Zk1Upn", "P-0815"},
           {"Zk1Lgr", "U"},
           {"Zk1Tge", -15},
           {"Zk1Von", "2024.12.02"},
           {"Zk1Bis", "2024.12.03"},
           {"Zk1Rre", 2}});
  handedOver();
  EXPECT_EQ(inst.rows(kAbsenceRows), (Rows{{"471", "1001", "2024", "12", "1", "K", "01.12.2024",
                                            "31.12.2024", "S", "8", "N", "07:30:00"},
                                           {"471", "P-0815", "2024", "12", "3", "U", "02.12.2024",
                                            "03.12.2024", "T", "1.5", "J", "07:30:00"}}));
  EXPECT_EQ(inst.rows(kValueRows), Rows{});
}

TEST_F(AsringTest, EmptyPeriodIsReported) {
  handedOver();
  EXPECT_NE(logText().find("Abbruch Lesen aus Zk1, Fehler: 1403\n"
                           "0 Datensätze aus Hor333Zk1 übergeben.\n"),
            std::string::npos)
      << logText();
}

class AsringWithoutCompany : public AsringTest {
 protected:
  AsringWithoutCompany() : AsringTest({{"LugFir", nullptr}}) {}
};

TEST_F(AsringWithoutCompany, AccountingGroupStandsForTheCompany) {
  value({{"Zk1Std", 60}});
  handedOver();
  EXPECT_EQ(inst.scalar("select AsrFir from Hor333Asr"), "G1");
}

// The payroll month: the period's month moved by LugMon, for any offset.
struct MonthCase {
  int offset;
  const char* year;
  const char* month;
  const char* abr;
};

class AsringPayrollMonth : public test::ExporterTest,
                           public ::testing::WithParamInterface<MonthCase> {
 protected:
  AsringPayrollMonth() : ExporterTest("ASR", {{"LugMon", GetParam().offset}}) {}
};

TEST_P(AsringPayrollMonth, PeriodMonthMovedByTheOffset) {
  record({{"Zk1Stz", "LS"}, {"Zk1Std", 60}});
  ASSERT_EQ(handOver(asring), 0);
  EXPECT_EQ(inst.rows("select AsrJhr, AsrMon, AsrAbr from Hor333Asr"),
            (Rows{{GetParam().year, GetParam().month, GetParam().abr}}));
}

INSTANTIATE_TEST_SUITE_P(Offsets, AsringPayrollMonth,
                         ::testing::Values(MonthCase{1, "2025", "1", "12025"},
                                           MonthCase{-3, "2024", "9", "92024"},
                                           MonthCase{15, "2026", "3", "32026"},
                                           MonthCase{-25, "2022", "11", "112022"}));

}  // namespace
}  // namespace lug::exporters
