#include "export/schleupen/schleupen.h"

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
using Rows = std::vector<std::vector<std::string>>;

class SchleupenTest : public test::ExporterTest {
 protected:
  explicit SchleupenTest(const Row& group = {}) : ExporterTest("SCHLP", {}, group) {}

  // Pnr, wage type, cost centre, payroll month, signs and digits of the rows.
  Rows staged() {
    return inst.rows(
        "select SliPnr, SliLna, SliKst, SliAmt, SliVzs, SliStd, SliVzt, SliTge from Hor333Sli "
        "order by SliPnr, SliLna");
  }
  std::string file() { return exported("LOXF-0001.csv"); }
};

TEST_F(SchleupenTest, RecordsBecomeNumberFieldsWithSignsAndHundredths) {
  struct Case {
    const char *pnr, *lna, *kst;
    int minutes, tenths;
    std::vector<std::string> row;  // SliPnr .. SliTge without the payroll month
  };
  const std::vector<Case> cases = {
      {"1", "0123", "4100", 90, 15, {"00001", "123", "04100", "+", "00150", "+", "0150"}},
      {"2", "L12", "", -90, -5, {"00002", "000", "00000", "-", "00150", "-", "0050"}},
      {"3", "7", "K4", 0, 0, {"00003", "007", "00000", "+", "00000", "+", "0000"}},
      {"4", "100", "12A", 59999, 999, {"00004", "100", "00012", "+", "99998", "+", "9990"}},
      {"5", "100", "4100", 1, 0, {"00005", "100", "04100", "+", "00001", "+", "0000"}},
      {"6", "100", "4100", -59, 0, {"00006", "100", "04100", "-", "00098", "+", "0000"}},
  };
  for (const Case& c : cases)
    record({{"Zk1Pnr", c.pnr},
            {"Zk1Lna", c.lna},
            {"Zk1Kst", c.kst},
            {"Zk1Std", c.minutes},
            {"Zk1Tge", c.tenths}});
  ASSERT_EQ(handOver(schleupen), 0) << logText();
  const Rows rows = staged();
  ASSERT_EQ(rows.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    std::vector<std::string> row = rows[i];
    EXPECT_EQ(row[3], "") << "no payroll month unless AkrAzr is 31";
    row.erase(row.begin() + 3);
    EXPECT_EQ(row, cases[i].row) << cases[i].pnr;
  }
}

// Each addition reads the stored sum back exactly: the rows show the minutes
// of all records, not those of the last one plus truncated remainders.
TEST_F(SchleupenTest, AddingKeepsTheExactSumOfMinutes) {
  for (int minutes = 0; minutes < 60; ++minutes) {
    const std::string pnr = std::to_string(100 + minutes);
    record({{"Zk1Pnr", pnr}, {"Zk1Std", minutes}});
    // Same personnel number and wage type, another record kind and cost centre.
    record({{"Zk1Pnr", pnr}, {"Zk1Std", 1}, {"Zk1Stz", "LB"}, {"Zk1Kst", "9999"}});
  }
  record({{"Zk1Pnr", "200"}, {"Zk1Std", -90}, {"Zk1Tge", 10}});
  record({{"Zk1Pnr", "200"}, {"Zk1Std", 30}, {"Zk1Tge", -15}, {"Zk1Stz", "LB"}});
  ASSERT_EQ(handOver(schleupen), 0) << logText();
  const Rows rows = staged();
  ASSERT_EQ(rows.size(), 61u);
  for (int minutes = 0; minutes < 60; ++minutes) {
    const int sum = minutes + 1;
    char hours[32];
    std::snprintf(hours, sizeof hours, "%03d%02d", sum / 60, sum % 60 * 10 / 6);
    EXPECT_EQ(rows[static_cast<size_t>(minutes)][5], hours) << minutes << " + 1 minutes";
    EXPECT_EQ(rows[static_cast<size_t>(minutes)][2], "04100") << "the first cost centre stays";
  }
  EXPECT_EQ(rows[60],
            (std::vector<std::string>{"00200", "100", "04100", "", "-", "00100", "-", "0050"}));
}

// Hours of 1,000 or more and days of 100 or more do not fit their fields:
// the record is reported and not handed over, also when it would make a
// stored row's sum too large.
TEST_F(SchleupenTest, ValuesBeyondTheFieldsAreReportedAndLeftOut) {
  record({{"Zk1Pnr", "1"}, {"Zk1Std", 60000}});
  record({{"Zk1Pnr", "2"}, {"Zk1Std", -60000}});
  record({{"Zk1Pnr", "3"}, {"Zk1Tge", 1000}});
  record({{"Zk1Pnr", "4"}, {"Zk1Std", 59999}});
  record({{"Zk1Pnr", "4"}, {"Zk1Std", 1}, {"Zk1Stz", "LB"}});
  record({{"Zk1Pnr", "4"}, {"Zk1Std", -60}, {"Zk1Stz", "LC"}});
  ASSERT_EQ(handOver(schleupen), 0) << logText();
  EXPECT_EQ(staged(), (Rows{{"00004", "100", "04100", "", "+", "99898", "+", "0000"}}));
  EXPECT_EQ(logText(),
            "\nSchleupen Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"
            "PNR 1: Stundenwert zu groß f.Übergabe (Lna 100, 60000 Minuten)\n"
            "PNR 2: Stundenwert zu groß f.Übergabe (Lna 100, -60000 Minuten)\n"
            "PNR 3: Tagewert zu groß f.Übergabe (Lna 100, 1000 Zehnteltage)\n"
            "PNR 4: Stundenwert zu groß f.Übergabe (Lna 100, 60000 Minuten)\n"
            "Schleupen Lohnprogramm beendet\n");
}

TEST_F(SchleupenTest, FileHasAFullStopLineAndOneLinePerRowInKeyOrder) {
  ctx.akrAzr = 31;
  record({{"Zk1Pnr", "1002"}, {"Zk1Lna", "200"}, {"Zk1Std", 480}, {"Zk1Tge", 10}});
  record({{"Zk1Pnr", "1001"}, {"Zk1Std", -75}});
  record({{"Zk1Pnr", "1001"}, {"Zk1Std", 15}, {"Zk1Stz", "LB"}});  // added: -60 minutes
  record({{"Zk1Pnr", "1001"}, {"Zk1Lfn", 3}, {"Zk1Std", 15}});     // another run
  const fs::path former = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
  fs::create_directories(former);
  std::ofstream(former / "LOXF-0001.csv") << "old";
  ASSERT_EQ(handOver(schleupen), 0) << logText();
  EXPECT_FALSE(fs::exists(former / "LOXF-0001.csv"));
  expectGolden(file(), "export/schleupen/golden/LOXF-0001.csv");

  ctx.akrAzr = 0;  // without the payroll month; AkrSsl 1: the same rows again
  ASSERT_EQ(handOver(schleupen), 0) << logText();
  EXPECT_EQ(file(),
            ".\r\n"
            "LOAF;01001;00;;100;+;00000000;04100;;0;;;;-;00100;+;0000;+;00000;;;;;;;;;\r\n"
            "LOAF;01002;00;;200;+;00000000;04100;;0;;;;+;00800;+;0100;+;00000;;;;;;;;;\r\n");
}

class SchleupenKeepingRows : public SchleupenTest {
 protected:
  SchleupenKeepingRows() : SchleupenTest({{"AkrSsl", 0}}) {}
};

TEST_F(SchleupenKeepingRows, ASecondRunAddsToTheRowsOfTheFirst) {
  record({{"Zk1Std", 45}, {"Zk1Tge", 5}});
  ASSERT_EQ(handOver(schleupen), 0) << logText();
  ASSERT_EQ(handOver(schleupen), 0) << logText();
  EXPECT_EQ(staged(), (Rows{{"01001", "100", "04100", "", "+", "00150", "+", "0100"}}));
  EXPECT_EQ(logText().find("Fehler"), std::string::npos) << logText();
}

}  // namespace
}  // namespace lug::exporters
