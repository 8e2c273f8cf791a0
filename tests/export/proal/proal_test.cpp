#include "export/proal/proal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

constexpr size_t kLineWidth = 169;  // without CR LF
constexpr size_t kHoursAt = 30, kCostCentreAt = 81;

class ProalTest : public test::ExporterTest {
 protected:
  explicit ProalTest(const Row& header = {}, const Row& group = {})
      : ExporterTest("ProAL", header, group) {}

  std::string proalFile() {
    EXPECT_EQ(handOver(proal), 0) << logText();
    return exported("ProAL.txt");
  }
  bool logHas(const std::string& line) const {
    return logText().find("\n" + line + "\n") != std::string::npos;
  }
  // The `width` characters at `pos` of the file's only line.
  std::string onlyLineField(size_t pos, size_t width) {
    const std::string file = proalFile();
    EXPECT_EQ(file.size(), kLineWidth + 2) << file;
    return file.substr(pos, width);
  }
};

// Lines of one employee by day, wage type and cost centre; every field of the
// layout once with a value.
TEST_F(ProalTest, OneLinePerEmployeeDayWageTypeAndCostCentre) {
  line({{"Lu1Lna", "300"}, {"Lu1Kst", 0}, {"Lu1Ktr", 0}});
  record({{"Zk1Std", 60}, {"Zk1Ktr", "KT1"}});
  record({{"Zk1Zkt", "UE"}, {"Zk1Std", 30}, {"Zk1Ktr", "KT2"}});  // added; KT1 stays
  record({{"Zk1Bdt", "2024.12.01"}, {"Zk1Std", 480}});
  record({{"Zk1Pnr", "1002"},
          {"Zk1Upn", "1002"},
          {"Zk1Lna", "200"},
          {"Zk1Kst", "ABC"},
          {"Zk1Std", -90}});
  record({{"Zk1Pnr", "1003"}, {"Zk1Upn", "1003"}, {"Zk1Tge", 10}});  // days are not handed over
  record({{"Zk1Pnr", "1004"},
          {"Zk1Upn", "1004"},
          {"Zk1Lna", "300"},
          {"Zk1Std", 45},
          {"Zk1Ktr", "K1"}});
  record({{"Zk1Lfn", 1}, {"Zk1Std", 600}});  // an interim run's record
  expectGolden(proalFile(), "export/proal/golden/ProAL.txt");
  EXPECT_EQ(logText(),
            "\nProAL-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"
            "ProAL-Lohnprogramm beendet\n");
}

// The file of an earlier version's transfer directory goes; the file of the
// last run is replaced.
TEST_F(ProalTest, FormerFileIsRemovedAndTheLastFileReplaced) {
  const std::filesystem::path former = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
  std::filesystem::create_directories(former);
  std::filesystem::create_directories(inst.exportDir());
  std::ofstream(former / "ProAL.txt") << "old\r\n";
  std::ofstream(inst.exportDir() / "ProAL.txt") << "last run\r\n";
  EXPECT_EQ(proalFile(), "");
  EXPECT_FALSE(std::filesystem::exists(former / "ProAL.txt"));
}

TEST_F(ProalTest, NullQuantitiesAreWrittenAsZeros) {
  record({{"Zk1Std", 60}});
  EXPECT_EQ(onlyLineField(37, 44), "0000000.0000000.0000000.0000000.000000000.00");
}

struct CostCentreCase {
  const char* name;
  const char* kst;
  const char* written;
};

class ProalCostCentre : public ProalTest, public ::testing::WithParamInterface<CostCentreCase> {};

// A cost centre that is not a number of at most eight digits is cost centre 0.
TEST_P(ProalCostCentre, IsWrittenAsANumber) {
  record({{"Zk1Std", 60}, {"Zk1Kst", GetParam().kst}});
  EXPECT_EQ(onlyLineField(kCostCentreAt, 8), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Texts, ProalCostCentre,
                         ::testing::Values(CostCentreCase{"Digits", "4100", "00004100"},
                                           CostCentreCase{"LeadingZeros", "000012345678",
                                                          "12345678"},
                                           CostCentreCase{"EightDigits", "99999999", "99999999"},
                                           CostCentreCase{"NineDigits", "100000000", "00000000"},
                                           CostCentreCase{"Letters", "ABC", "00000000"},
                                           CostCentreCase{"DigitsThenLetters", "12AB", "00000000"},
                                           CostCentreCase{"Negative", "-12", "00000000"},
                                           CostCentreCase{"Empty", "", "00000000"}),
                         [](const auto& c) { return std::string(c.param.name); });

struct HoursCase {
  const char* name;
  int minutes;
  const char* written;  // nullptr: not written
};

class ProalHours : public ProalTest, public ::testing::WithParamInterface<HoursCase> {};

// Hours beyond 999 either way are not written as 0 but left out and logged.
TEST_P(ProalHours, AreWrittenWhenTheyFit) {
  record({{"Zk1Std", GetParam().minutes}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 60}});
  const std::string file = proalFile();
  const char* written = GetParam().written;
  ASSERT_EQ(file.size(), (written ? 2 : 1) * (kLineWidth + 2)) << file;
  EXPECT_EQ(file.substr(13, 6), written ? "001001" : "001002");
  if (written) {
    EXPECT_EQ(file.substr(kHoursAt, 7), written);
  }
  EXPECT_EQ(logHas("Wert zu groß f.Übergabe, Pnr: 1001"), written == nullptr) << logText();
  EXPECT_EQ(inst.scalar("select count(*) from Hor333Pro"), "2");
}

INSTANTIATE_TEST_SUITE_P(Sums, ProalHours,
                         ::testing::Values(HoursCase{"Largest", 59940, "0999.00"},
                                           HoursCase{"Smallest", -59940, "-999.00"},
                                           HoursCase{"AboveLargest", 59941, nullptr},
                                           HoursCase{"Thousand", 60000, nullptr},
                                           HoursCase{"MinusThousand", -60000, nullptr},
                                           HoursCase{"Rounded", 100, "0001.67"}),
                         [](const auto& c) { return std::string(c.param.name); });

TEST_F(ProalTest, SumThatCancelsOutIsWrittenAsZero) {
  record({{"Zk1Zkt", "A1"}, {"Zk1Std", 1}});
  record({{"Zk1Zkt", "A2"}, {"Zk1Std", 2}});
  record({{"Zk1Zkt", "A3"}, {"Zk1Std", -3}});
  EXPECT_EQ(onlyLineField(kHoursAt, 7), "0000.00");
}

struct CheckCase {
  const char* name;
  Row record;
  const char* logLine;
};

class ProalFieldCheck : public ProalTest, public ::testing::WithParamInterface<CheckCase> {};

// A personnel number or wage type that does not fit is not cut into another
// employee's number or another wage type: the record is left out and logged.
TEST_P(ProalFieldCheck, RecordIsReportedAndLeftOut) {
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "123456"}, {"Zk1Std", 60}});
  record(test::withDefaults({{"Zk1Std", 60}}, GetParam().record));
  EXPECT_EQ(onlyLineField(13, 6), "123456");
  EXPECT_TRUE(logHas(GetParam().logLine)) << logText();
  EXPECT_EQ(inst.scalar("select count(*) from Hor333Pro"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ProalFieldCheck,
    ::testing::Values(
        CheckCase{"PayrollNumber", {{"Zk1Upn", "12345678"}}, "PersNr zu lang : 12345678"},
        CheckCase{"WageType", {{"Zk1Lna", "1000"}}, "Pnr 1001: Lohnart zu lang (1000)"}),
    [](const auto& c) { return std::string(c.param.name); });

class ProalWithoutCompanyTest : public ProalTest {
 protected:
  ProalWithoutCompanyTest() : ProalTest({{"LugFir", nullptr}}, {{"AkrSsl", 0}}) {}
};

// Without a company at the interface the accounting group stands in; without
// clearing, a second run adds its hours to the staged ones.
TEST_F(ProalWithoutCompanyTest, GroupIsTheCompanyAndRunsAdd) {
  record({{"Zk1Std", 90}});
  EXPECT_EQ(onlyLineField(0, 13), "  G1        P");  // first run: 1.50 hours
  EXPECT_EQ(onlyLineField(kHoursAt, 7), "0003.00");  // second run
}

}  // namespace
}  // namespace lug::exporters
