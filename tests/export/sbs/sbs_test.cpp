#include "export/sbs/sbs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

namespace fs = std::filesystem;
using test::Row;

class SbsTest : public test::ExporterTest {
 protected:
  explicit SbsTest(const Row& header = {{"LugFir", "12345"}}, const Row& group = {})
      : ExporterTest("SBS", header, group) {}

  std::string file() { return exported("BWA12345.DAT"); }
};

TEST_F(SbsTest, HoursPerDayWageTypeAndCostCentreInFixedWidthLines) {
  record({{"Zk1Std", -90}, {"Zk1Kst", "4711"}});
  record({{"Zk1Std", 30}, {"Zk1Kst", "4711"}, {"Zk1Zkt", "UE"}});  // same key: added
  record({{"Zk1Std", 100}, {"Zk1Lna", "12"}, {"Zk1Kst", "K123456789012345"}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "52"}, {"Zk1Bdt", "2024.12.31"}, {"Zk1Std", 480}});
  record({{"Zk1Upn", "1003"}, {"Zk1Lfn", 2}, {"Zk1Std", 60}});  // another run of the period
  // Minutes that cancel out: no sign, whatever the order of the additions.
  for (const auto& [pnr, minutes] : {std::pair{"11", 1}, std::pair{"12", 5}, std::pair{"13", -6}})
    record({{"Zk1Pnr", pnr}, {"Zk1Upn", "53"}, {"Zk1Std", minutes}});
  ASSERT_EQ(handOver(sbs), 0) << logText();
  expectGolden(file(), "export/sbs/golden/BWA12345.DAT");
  EXPECT_EQ(logText(),
            "\nSBS-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\nSBS-Lohnprogramm beendet\n");
}

// A personnel number or wage type too long for the file leaves out its own
// record only.
TEST_F(SbsTest, OverlongPersonnelNumberOrWageTypeIsReportedAndTheOthersHandedOver) {
  record({{"Zk1Pnr", "1"}, {"Zk1Upn", "1001"}, {"Zk1Std", 60}});
  record({{"Zk1Pnr", "2"}, {"Zk1Upn", "1001234"}, {"Zk1Std", 120}});
  record({{"Zk1Pnr", "3"}, {"Zk1Upn", "1002"}, {"Zk1Std", 180}});
  record({{"Zk1Pnr", "4"}, {"Zk1Upn", "1002"}, {"Zk1Std", 180}, {"Zk1Lna", "1000"}});
  record({{"Zk1Pnr", "5"}, {"Zk1Upn", "1003"}, {"Zk1Std", 240}});
  ASSERT_EQ(handOver(sbs), 0) << logText();
  // Four empty counters, cost centre 4100, the constant fields and 63 zeros.
  const std::string rest =
      std::string(40, '0') + "4100*00000000000*00000E" + std::string(63, '0') + "\r\n";
  EXPECT_EQ(file(), "241202001001100000000100" + rest + "241202001002100000000300" + rest +
                        "241202001003100000000400" + rest);
  EXPECT_EQ(logText(),
            "\nSBS-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\nPersNr. zu lang : 1001234\n"
            "Pnr 1002: Lohnart zu lang (1000)\nSBS-Lohnprogramm beendet\n");
}

class SbsKeepingRows : public SbsTest {
 protected:
  SbsKeepingRows() : SbsTest({{"LugFir", "12345"}}, {{"AkrSsl", 0}}) {}
  void stored(double hours) {
    inst.insert("Hor333Sbs", {{"SbsJhr", "24"},
                              {"SbsMon", "12"},
                              {"SbsTag", "01"},
                              {"SbsPnr", "9"},
                              {"SbsLna", "100"},
                              {"SbsStd", hours},
                              {"SbsFkb", 0.0},
                              {"SbsFkc", 0.0},
                              {"SbsFkd", 0.0},
                              {"SbsFke", 0.0},
                              {"SbsKst", "4100"},
                              {"SbsKtr", "*00000000000"},
                              {"SbsBab", "*00"},
                              {"SbsF01", "0"},
                              {"SbsAda", "0"},
                              {"SbsWkz", "E"}});
  }
};

// Hours beyond the eight digits of the field, either sign, are written as 0
// and reported; the line keeps its width.
TEST_F(SbsKeepingRows, HoursBeyondTheFieldAreWrittenAsZeroAndReported) {
  stored(-1000000);
  ASSERT_EQ(handOver(sbs), 0) << logText();
  const std::string line =
      "241201"
      "000009"
      "100"
      "0" +
      std::string(8 + 32 + 8, '0') + "4100*00000000000*00000E" + std::string(63, '0') + "\r\n";
  EXPECT_EQ(file(), line);
  EXPECT_NE(logText().find("Std. zu groß f.Übergabe, Pnr: 9\n"), std::string::npos) << logText();
}

TEST_F(SbsKeepingRows, ASecondRunAddsItsHours) {
  record({{"Zk1Std", 90}});
  ASSERT_EQ(handOver(sbs), 0) << logText();
  ASSERT_EQ(handOver(sbs), 0) << logText();
  EXPECT_EQ(file().substr(0, 24), "241202001001100000000300");
}

// The file is named from the company number; the accounting group stands in
// for a missing one.
TEST_F(SbsTest, FileNameFollowsTheCompanyNumber) {
  const std::vector<std::pair<test::Cell, const char*>> cases = {
      {"12345", "BWA12345.DAT"}, {"7", "BEWA-007.DAT"},    {"123456", "BWA12345.DAT"},
      {"1000", "BWA01000.DAT"},  {"999", "BEWA-999.DAT"},  {"0999", "BEWA-0999.DAT"},
      {nullptr, "BEWA-0G1.DAT"}, {" 42 ", "BEWA-042.DAT"},
  };
  record({{"Zk1Std", 60}});
  for (const auto& [company, name] : cases) {
    inst.db().exec("delete from Hor171Lug");
    inst.insert("Hor171Lug", {{"LugLug", "L1"}, {"LugLgp", "SBS"}, {"LugFir", company}});
    ASSERT_EQ(handOver(sbs), 0) << logText();
    EXPECT_TRUE(exists(name)) << name;
    fs::remove(inst.exportDir() / name);
  }
}

// A company number that would name a file elsewhere ends the hand-over like
// a file that cannot be opened.
TEST_F(SbsTest, CompanyNumberWithAPathWritesNoFile) {
  inst.db().exec("delete from Hor171Lug");
  inst.insert("Hor171Lug", {{"LugLug", "L1"}, {"LugLgp", "SBS"}, {"LugFir", "../x"}});
  record({{"Zk1Std", 60}});
  EXPECT_EQ(handOver(sbs), 1);
  EXPECT_FALSE(fs::exists(inst.exportDir().parent_path() / "x.DAT"));
  EXPECT_TRUE(fs::is_empty(inst.exportDir()));
  EXPECT_NE(logText().find("SBS-Firmennummer ergibt keinen Dateinamen: BEWA-../x.DAT\n"
                           " SBS-Exportdatei kann nicht geoeffnet werden !\n"),
            std::string::npos)
      << logText();
}

}  // namespace
}  // namespace lug::exporters
