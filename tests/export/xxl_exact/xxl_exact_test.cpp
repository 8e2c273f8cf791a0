#include "export/xxl_exact/xxl_exact.h"

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

// What follows the cost centre on every line: the cost unit (one blank) in
// 12 characters, the three columns the exporter does not write (empty, so
// blank-filled) and 20 blanks.
const std::string kLineEnd = std::string(12 + 1 + 12 + 10 + 20, ' ') + "\r\n";

class XxlExactTest : public test::ExporterTest {
 protected:
  explicit XxlExactTest(const Row& header = {}, const Row& group = {})
      : ExporterTest("XXL", header, group) {}

  std::string handedOver() {
    EXPECT_EQ(handOver(xxlExact), 0) << logText();
    return exported("LO_IMP.txt");
  }
};

TEST_F(XxlExactTest, SignedQuantitiesPerKeyAndKindCode) {
  line({{"Lu1Ktr", 0}});
  line({{"Lu1Ztk", "UE"}, {"Lu1Lna", "120"}, {"Lu1Kst", 0}});
  record({{"Zk1Std", 480}, {"Zk1Upn", "1234"}, {"Zk1Kst", "41000000123"}});  // cut to 8
  record({{"Zk1Zkt", "UE"}, {"Zk1Lna", "120"}, {"Zk1Std", -90}});            // cost centre " "
  record({{"Zk1Zkt", "UE2"}, {"Zk1Lna", "120"}, {"Zk1Std", 30}, {"Zk1Kst", " "}});  // same row
  for (const char* account : {"A1", "A2", "A3"})  // three times 20 minutes are one hour
    record({{"Zk1Zkt", account}, {"Zk1Lna", "130"}, {"Zk1Std", 20}});
  record({{"Zk1Zkt", "URL"}, {"Zk1Lna", "777"}, {"Zk1Tge", 15}, {"Zk1Sts", 109}});
  record({{"Zk1Zkt", "KRA"}, {"Zk1Lna", "40"}, {"Zk1Tge", -5}, {"Zk1Sts", 7}});
  record({{"Zk1Zkt", "NUL"}, {"Zk1Lna", "150"}, {"Zk1Sts", 5}});  // staged with 0
  record({{"Zk1Std", 60}, {"Zk1Lfn", 1}});                        // another run
  expectGolden(handedOver(), "export/xxl_exact/golden/LO_IMP.txt");
  EXPECT_NE(logText().find("6 Datensätze in Datei LO_IMP.txt geschrieben.\n"
                           "XXL-Exact Lohnprogramm beendet\n"),
            std::string::npos)
      << logText();
}

TEST_F(XxlExactTest, OverlongPersonnelNumberOrWageTypeIsNotStaged) {
  record({{"Zk1Std", 60}, {"Zk1Upn", "1234567"}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Lna", "1001"}, {"Zk1Std", 60}});
  record({{"Zk1Pnr", "1003"},
          {"Zk1Upn", "1003"},
          {"Zk1Lna", "1001"},
          {"Zk1Std", 60},
          {"Zk1Sts", 8}});  // status code: the wage type is not handed over
  EXPECT_EQ(handedOver(), std::string("001003") + "20241201" + "20241202" + "000" + "64" + "+" +
                              "00000001.000" + "+" + "00000000.00" + "+" + "00000000.00" +
                              "4100    " + kLineEnd);
  EXPECT_NE(logText().find("PersNr zu lang : 1234567\nPnr 1002: Lohnart zu lang (1001)\n"),
            std::string::npos)
      << logText();
}

TEST_F(XxlExactTest, StoredQuantityThatCannotBeReadIsNotReplaced) {
  ASSERT_EQ(inst.db().exec("update O1001AbrKreis set AkrSsl=0"), 0);
  inst.insert("Hor333Xxl", {{"XxlPnr", "1001"},
                            {"XxlErd", "20241201"},
                            {"XxlAbd", "20241202"},
                            {"XxlLna", "100"},
                            {"XxlKnz", "99"},
                            {"XxlVo1", "+"},
                            {"XxlKst", "4100"},
                            {"XxlKtr", " "}});
  record({{"Zk1Std", 60}});
  handedOver();
  EXPECT_EQ(inst.rows("select XxlVo1, XxlEin from Hor333Xxl"), (Rows{{"+", ""}}));
  EXPECT_NE(logText().find("Hor333Xxl-UpdateFehler, Pnr: 1001, Sqlfhl: -1405\n"), std::string::npos)
      << logText();
}

TEST_F(XxlExactTest, FormerTransferDirectoryIsLeftAlone) {
  const fs::path former = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
  fs::create_directories(former);
  std::ofstream(former / "LO_IMP.txt") << "old";
  handedOver();
  EXPECT_TRUE(fs::exists(former / "LO_IMP.txt"));
  EXPECT_TRUE(exists("LO_IMP.txt"));
}

// Period date and booking date moved by LugMon; a day the new month lacks
// becomes its last day.
struct DateCase {
  int offset;
  const char* bookingDate;
  const char* erd;
  const char* abd;
};

class XxlExactDates : public test::ExporterTest, public ::testing::WithParamInterface<DateCase> {
 protected:
  XxlExactDates() : ExporterTest("XXL", {{"LugMon", GetParam().offset}}) {}
};

TEST_P(XxlExactDates, MovedByTheMonthOffset) {
  record({{"Zk1Std", 60}, {"Zk1Bdt", GetParam().bookingDate}});
  ASSERT_EQ(handOver(xxlExact), 0);
  EXPECT_EQ(inst.rows("select XxlErd, XxlAbd from Hor333Xxl"),
            (Rows{{GetParam().erd, GetParam().abd}}));
}

INSTANTIATE_TEST_SUITE_P(Offsets, XxlExactDates,
                         ::testing::Values(DateCase{1, "2024.12.15", "20250101", "20250115"},
                                           DateCase{-1, "2024.12.31", "20241101", "20241130"},
                                           DateCase{2, "2024.12.31", "20250201", "20250228"},
                                           DateCase{-13, "2024.12.02", "20231101", "20231102"}));

// The staging table is emptied only with AkrSsl 1, an empty AkrVws and an
// AkrEbn below 2; otherwise a second run adds to the first.
struct ClearCase {
  test::Cell vws;
  int ebn, ssl;
  const char* quantityAfterTwoRuns;
};

class XxlExactClearing : public test::ExporterTest,
                         public ::testing::WithParamInterface<ClearCase> {
 protected:
  XxlExactClearing()
      : ExporterTest(
            "XXL", {},
            {{"AkrVws", GetParam().vws}, {"AkrEbn", GetParam().ebn}, {"AkrSsl", GetParam().ssl}}) {}
};

TEST_P(XxlExactClearing, SecondRunAddsUnlessTheTableIsEmptied) {
  record({{"Zk1Std", 90}});
  ASSERT_EQ(handOver(xxlExact), 0);
  ASSERT_EQ(handOver(xxlExact), 0);
  EXPECT_EQ(inst.scalar("select XxlEin from Hor333Xxl"), GetParam().quantityAfterTwoRuns);
}

INSTANTIATE_TEST_SUITE_P(Flags, XxlExactClearing,
                         ::testing::Values(ClearCase{nullptr, 0, 1, "00000001.500"},
                                           ClearCase{"V1", 0, 1, "00000003.000"},
                                           ClearCase{nullptr, 2, 1, "00000003.000"},
                                           ClearCase{nullptr, 0, 0, "00000003.000"}));

}  // namespace
}  // namespace lug::exporters
