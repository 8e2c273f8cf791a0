#include "export/baumann/baumann.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

// Group G1 on a BAUMN interface (company 4711), period 7 = December 2024.
class BaumannTest : public test::ExporterTest {
 protected:
  explicit BaumannTest(const Row& header = {}, const Row& group = {})
      : ExporterTest("BAUMN", header, group) {}
  int run() { return handOver(baumann); }
  std::string file() const { return exported("BMNLUG.txt"); }
};

TEST_F(BaumannTest, HoursPerEmployeeMonthAndWageType) {
  record({{"Zk1Upn", "1002"}, {"Zk1Pnr", "1002"}, {"Zk1Std", 90}, {"Zk1Kst", "Büro"}});
  record({{"Zk1Std", 100}, {"Zk1Kst", "K2"}});
  record({{"Zk1Bdt", "2024.12.09"}, {"Zk1Std", 30}, {"Zk1Kst", "K1"}});  // same line as above
  record({{"Zk1Zkt", "UEB"}, {"Zk1Lna", "120"}, {"Zk1Std", -75}, {"Zk1Kst", ""}});
  record({{"Zk1Zkt", "NULL"}, {"Zk1Lna", "130"}, {"Zk1Std", nullptr}});
  ASSERT_EQ(run(), 0) << logText();
  expectGolden(file(), "export/baumann/golden/BMNLUG.txt");
  EXPECT_NE(logText().find("\nBaumann-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"
                           "5 Datensätze aus Hor333Zk1 übergeben.\n"
                           "Baumann-Lohnprogramm beendet\n"),
            std::string::npos)
      << logText();
}

TEST(BaumannHours, WholeHoursAndCutHundredths) {
  struct Case {
    int32_t minutes;
    double hours;
  };
  for (const Case& c :
       {Case{90, 1.50}, Case{100, 1.66}, Case{59, 0.98}, Case{1, 0.01}, Case{61, 1.01}, Case{0, 0},
        Case{-90, -1.50}, Case{-100, -1.66}, Case{6000, 100}})
    EXPECT_NEAR(baumannHours(c.minutes), c.hours, 1e-9) << c.minutes;
}

// A record that fails a check is logged and left out; the employees after
// it are handed over (the count line counts every record read). Hours too
// wide for their field are logged instead of shifting the line.
TEST_F(BaumannTest, RecordFailingACheckIsSkippedAndTheOthersHandedOver) {
  record({{"Zk1Pnr", "1000"}, {"Zk1Upn", "1000"}, {"Zk1Std", 60}});
  record({{"Zk1Pnr", "10005"}, {"Zk1Upn", "10005"}, {"Zk1Std", 60}});
  record({{"Zk1Pnr", "1001"}, {"Zk1Upn", "1001"}, {"Zk1Std", 60}, {"Zk1Kst", "1234567"}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 60}, {"Zk1Lna", "1000"}});
  record({{"Zk1Pnr", "1003"}, {"Zk1Upn", "1003"}, {"Zk1Std", 120}, {"Zk1Kst", "123456"}});
  record({{"Zk1Pnr", "1004"}, {"Zk1Upn", "1004"}, {"Zk1Std", 6000000}});  // 100,000 hours
  ASSERT_EQ(run(), 0) << logText();
  const std::string bmn = file();
  ASSERT_EQ(bmn.size(), 2 * 82u) << bmn;
  EXPECT_EQ(bmn.substr(7, 13), "   10004100  ");
  EXPECT_EQ(bmn.substr(82 + 7, 13), "   1003123456");
  EXPECT_NE(logText().find("PersNr. zu lang : 10005\n"
                           "Kostenstelle zu lang : 1234567\n"
                           "Lohnart zu lang : 1000\n"
                           "PersNr. 1004: Stundenwert zu groß f.Übergabe (Lohnart 100)\n"
                           "6 Datensätze aus Hor333Zk1 übergeben.\n"),
            std::string::npos)
      << logText();
}

class BaumannLongCompany : public BaumannTest {
 protected:
  BaumannLongCompany() : BaumannTest({{"LugFir", "1234567"}}, {{"AkrSsl", 0}}) {}
};

// A company of more than five characters is logged and cut. Without the
// staging-clear flag a second run adds its hours to the first run's rows.
TEST_F(BaumannLongCompany, CompanyIsCutAndRunsAddUpWithoutClearFlag) {
  record({{"Zk1Std", 90}});
  ASSERT_EQ(run(), 0);
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(file().substr(0, 35), "8312345   10014100    12100    3,00");
  EXPECT_NE(logText().find("Firma zu lang : 1234567\n"), std::string::npos) << logText();
  EXPECT_EQ(inst.scalar("select count(*) from Hor333Bmn"), "1");
}

TEST_F(BaumannTest, ClearFlagEmptiesTheStagingTableFirst) {
  record({{"Zk1Std", 90}});
  ASSERT_EQ(run(), 0);
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(file().substr(27, 8), "    1,50");
}

TEST_F(BaumannTest, FileThatCannotBeOpenedEndsTheRun) {
  std::filesystem::create_directories(inst.exportDir() / ".BMNLUG.txt.tmp");
  EXPECT_EQ(run(), 1);
  EXPECT_FALSE(exists("BMNLUG.txt"));
  EXPECT_NE(logText().find("\n BMN-Exportdatei kann nicht geoeffnet werden !\n"), std::string::npos)
      << logText();
  EXPECT_EQ(logText().find("beendet"), std::string::npos);
}

}  // namespace
}  // namespace lug::exporters
