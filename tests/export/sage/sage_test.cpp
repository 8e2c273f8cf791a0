#include "export/sage/sage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "export/dispatch.h"
#include "export/exporters.h"
#include "export/perman/perman.h"
#include "export/proal/proal.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

using Entry = void (*)(RunContext&);

// The exporter the dispatch calls for an interface type; nullptr for none.
Entry dispatched(std::string_view type) {
  for (const DispatchEntry& entry : standardDispatchTable()) {
    if (!matches(entry, type)) continue;
    const Entry* target = entry.exporter.target<Entry>();
    return target ? *target : nullptr;
  }
  return nullptr;
}

TEST(SageProalPermanDispatch, TypesCallTheirExporters) {
  EXPECT_EQ(dispatched("sage"), &exportSage);
  EXPECT_EQ(dispatched("SAGE"), nullptr);
  EXPECT_EQ(dispatched("ProAL"), &exportProal);
  EXPECT_EQ(dispatched("PRMAN"), &exportPerman);
  EXPECT_EQ(dispatched("PRMAN2"), &exportPerman);
}

// The file of period 7, which starts on 2024.12.01.
constexpr char kFile[] = "02041012";

class SageTest : public test::ExporterTest {
 protected:
  explicit SageTest(const Row& group = {}) : ExporterTest("sage", {}, group) {}

  // The file of a hand-over that is expected to succeed.
  std::string sageFile() {
    EXPECT_EQ(handOver(sage), 0) << logText();
    return exported(kFile);
  }
  bool logHas(const std::string& line) const {
    return logText().find("\n" + line + "\n") != std::string::npos;
  }
};

TEST_F(SageTest, RecordsAreSummedPerMonthEmployeeWageTypeAndCosts) {
  line({{"Lu1Kst", 0}, {"Lu1Ktr", 0}});  // wage type 100: costs blanked
  line({{"Lu1Lna", "500"}, {"Lu1Bau", 1}});
  record({{"Zk1Std", 450}, {"Zk1Ktr", "P1"}});
  record({{"Zk1Zkt", "UE"}, {"Zk1Std", 90}});  // no line for account UE: costs kept
  record({{"Zk1Zkt", "UE"}, {"Zk1Bdt", "2024.12.03"}, {"Zk1Std", 30}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "815"}, {"Zk1Lna", "300"}, {"Zk1Tge", 15}});
  record({{"Zk1Lna", "500"}, {"Zk1Std", 125}, {"Zk1Tge", 10}});  // an amount: 125
  record({{"Zk1Lna", "500"}, {"Zk1Bdt", "2024.12.03"}, {"Zk1Std", 100}});
  record({{"Zk1Von", "2024.11.01"}, {"Zk1Lna", "120"}, {"Zk1Std", -75}});  // another month
  record({{"Zk1Lfn", 1}, {"Zk1Std", 600}});                                // an interim run
  EXPECT_EQ(sageFile(),
            "11001001120-01:25000.00041000000000000\r\n"
            "12001001100007:50000.00000000000000000\r\n"
            "12001001100002:00000.00041000000000000\r\n"
            "12001001500000:00225.00041000000000000\r\n"
            "12000815300001:50000.00041000000000000\r\n");
  EXPECT_EQ(logText(),
            "\nsage-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "7 Datensätze aus Hor333Zk1 übergeben.\n"
            "5 Datensätze in Datei geschrieben.\n"
            "sage-Lohnprogramm beendet\n");
}

struct LineCase {
  const char* name;
  Row record;
  const char* line;
};

class SageLine : public SageTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(SageLine, RecordGivesItsLine) {
  record(GetParam().record);
  EXPECT_EQ(sageFile(), std::string(GetParam().line) + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Records, SageLine,
    ::testing::Values(
        LineCase{"MarchExample",
                 {{"Zk1Von", "2025.03.01"},
                  {"Zk1Upn", "4711"},
                  {"Zk1Lna", "12"},
                  {"Zk1Std", 450},
                  {"Zk1Kst", "300"}},
                 "03004711012007:50000.00003000000000000"},
        LineCase{"DaysWithoutMinutes", {{"Zk1Tge", 5}}, "12001001100000:50000.00041000000000000"},
        LineCase{
            "RoundedToHundredths", {{"Zk1Std", 100}}, "12001001100001:67000.00041000000000000"},
        LineCase{"LargestHours", {{"Zk1Std", 59999}}, "12001001100999:98000.00041000000000000"},
        LineCase{"SmallestHours", {{"Zk1Std", -5999}}, "12001001100-99:98000.00041000000000000"},
        LineCase{"FullWidths",
                 {{"Zk1Upn", "123456"}, {"Zk1Lna", "999"}, {"Zk1Kst", "Büro1"}, {"Zk1Ktr", "K2"}},
                 "12123456999000:00000.00B\xFCro100000000K2"}),
    [](const auto& c) { return std::string(c.param.name); });

// 0.1 + 0.5 - 0.6 days is a little below zero: written "000:00", not "-00:00".
TEST_F(SageTest, SumThatCancelsOutIsWrittenAsZero) {
  record({{"Zk1Zkt", "A1"}, {"Zk1Tge", 1}});
  record({{"Zk1Zkt", "A2"}, {"Zk1Tge", 5}});
  record({{"Zk1Zkt", "A3"}, {"Zk1Tge", -6}});
  EXPECT_EQ(sageFile(), "12001001100000:00000.00041000000000000\r\n");
}

struct CheckCase {
  const char* name;
  Row record;
  const char* logLine;
};

class SageFieldCheck : public SageTest, public ::testing::WithParamInterface<CheckCase> {};

// A record that does not fit the file is reported and neither staged nor
// written; the other records are.
TEST_P(SageFieldCheck, RecordIsReportedAndLeftOut) {
  record({{"Zk1Zkt", "UE"}, {"Zk1Std", 60}});
  record(test::withDefaults({{"Zk1Std", 60}}, GetParam().record));
  EXPECT_EQ(sageFile(), "12001001100001:00000.00041000000000000\r\n");
  EXPECT_TRUE(logHas(GetParam().logLine)) << logText();
  EXPECT_EQ(inst.scalar("select count(*) from Hor333Sag"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Checks, SageFieldCheck,
    ::testing::Values(
        CheckCase{"PayrollNumber", {{"Zk1Upn", "1234567"}}, "PersNr zu lang : 1234567"},
        CheckCase{"WageType", {{"Zk1Lna", "1000"}}, "Pnr 1001: Lohnart zu lang (1000)"},
        CheckCase{"CostCentre", {{"Zk1Kst", "123456"}}, "Pnr 1001: Kostenstelle zu lang (123456)"},
        CheckCase{"CostUnit", {{"Zk1Ktr", "Träger"}}, "Pnr 1001: Kostenträger zu lang (Träger)"}),
    [](const auto& c) { return std::string(c.param.name); });

struct RangeCase {
  const char* name;
  int minutes;
  int amountLine;
  const char* logLine;
};

class SageRange : public SageTest, public ::testing::WithParamInterface<RangeCase> {};

// A sum that does not fit its six characters is staged, but not written.
TEST_P(SageRange, SumIsStagedButNotWritten) {
  line({{"Lu1Lna", "500"}, {"Lu1Bau", GetParam().amountLine}});
  record({{"Zk1Std", 60}});
  record({{"Zk1Lna", "500"}, {"Zk1Std", GetParam().minutes}});
  EXPECT_EQ(sageFile(), "12001001100001:00000.00041000000000000\r\n");
  EXPECT_TRUE(logHas(GetParam().logLine)) << logText();
  EXPECT_TRUE(logHas("1 Datensätze in Datei geschrieben.")) << logText();
  EXPECT_EQ(inst.scalar("select count(*) from Hor333Sag"), "2");
}

INSTANTIATE_TEST_SUITE_P(
    Sums, SageRange,
    ::testing::Values(RangeCase{"ThousandHours", 60000, 0, "Pnr 1001: Zeitwert zu groß (1000.00)"},
                      // -100 hours need seven characters and would move the fields after them.
                      RangeCase{"MinusHundredHours", -6000, 0,
                                "Pnr 1001: Zeitwert zu groß (-100.00)"},
                      RangeCase{"Amount", 2500, 1, "Pnr 1001: Betrag zu groß (2500.00)"},
                      RangeCase{"NegativeAmount", -100, 1, "Pnr 1001: Betrag zu groß (-100.00)"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(SageTest, AmountsWithinTheirWidthAreWritten) {
  line({{"Lu1Bau", 1}});
  record({{"Zk1Std", 999}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", -99}});
  EXPECT_EQ(sageFile(),
            "12001001100000:00999.00041000000000000\r\n"
            "12001002100000:00-99.00041000000000000\r\n");
}

class SageAddingTest : public SageTest {
 protected:
  SageAddingTest() : SageTest({{"AkrSsl", 0}}) {}
};

TEST_F(SageAddingTest, WithoutClearingASecondRunAddsToTheStagedSums) {
  record({{"Zk1Std", 90}});
  EXPECT_EQ(sageFile(), "12001001100001:50000.00041000000000000\r\n");
  EXPECT_EQ(sageFile(), "12001001100003:00000.00041000000000000\r\n");
}

TEST_F(SageTest, WithClearingASecondRunGivesTheSameFile) {
  record({{"Zk1Std", 90}});
  EXPECT_EQ(sageFile(), "12001001100001:50000.00041000000000000\r\n");
  EXPECT_EQ(sageFile(), "12001001100001:50000.00041000000000000\r\n");
}

// A file that cannot be created ends the hand-over with exit status 1 and
// without the end line.
TEST_F(SageTest, FileThatCannotBeOpenedEndsTheRun) {
  record({{"Zk1Std", 60}});
  std::filesystem::create_directories(inst.exportDir() / (std::string(".") + kFile + ".tmp"));
  EXPECT_EQ(handOver(sage), 1);
  EXPECT_FALSE(exists(kFile));
  EXPECT_TRUE(logHas("sage-Exportdatei kann nicht geoeffnet werden !")) << logText();
  EXPECT_EQ(logText().find("beendet"), std::string::npos) << logText();
}

TEST_F(SageTest, EmptyPeriodGivesAnEmptyFile) {
  EXPECT_EQ(handOver(sage), 0);
  EXPECT_TRUE(exists(kFile));
  EXPECT_EQ(exported(kFile), "");
  EXPECT_TRUE(logHas("0 Datensätze in Datei geschrieben.")) << logText();
}

}  // namespace
}  // namespace lug::exporters
