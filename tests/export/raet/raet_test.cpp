#include "export/raet/raet.h"

#include <gtest/gtest.h>

#include <string>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

// Header of company 4711, started on 9 January 2025, for December 2024.
constexpr char kHeader[] = "A4711    202501090001RPD conversie  20241201\r\n";

class RaetTest : public test::ExporterTest {
 protected:
  explicit RaetTest(const Row& header = {}, const Row& group = {})
      : ExporterTest("Raet", header, group) {}

  std::string handedOver() {
    EXPECT_EQ(handOver(raet), 0) << logText();
    return exported("Raet.txt");
  }
};

TEST_F(RaetTest, ValuesSummedPerPersonWageTypeAndDate) {
  line();                                                         // factor 0: hours as they are
  line({{"Lu1Ztk", "UE"}, {"Lu1Lna", "120"}, {"Lu1Mog", 1.25}});  // overtime premium factor
  line({{"Lu1Ztk", "URL"}, {"Lu1Lna", "300"}});
  record({{"Zk1Std", 450}, {"Zk1Upn", "4711"}});
  record({{"Zk1Bdt", "2024.12.03"}, {"Zk1Std", 90}, {"Zk1Upn", "4711"}});  // summed into 100
  record({{"Zk1Zkt", "UE"}, {"Zk1Lna", "120"}, {"Zk1Std", 120}, {"Zk1Upn", "4711"}});
  record({{"Zk1Pnr", "1002"},
          {"Zk1Upn", "P-0815"},
          {"Zk1Zkt", "URL"},
          {"Zk1Lna", "300"},
          {"Zk1Tge", 15}});
  record({{"Zk1Pnr", "1003"}, {"Zk1Upn", "1003"}, {"Zk1Std", -75}});  // minus replaces the blank
  record({{"Zk1Pnr", "1004"}, {"Zk1Upn", "1004"}, {"Zk1Std", 60}});
  record({{"Zk1Pnr", "1004"}, {"Zk1Upn", "1004"}, {"Zk1Std", -60}, {"Zk1Bdt", "2024.12.09"}});
  record({{"Zk1Pnr", "1005"}, {"Zk1Upn", "1005"}, {"Zk1Std", 60}, {"Zk1Rre", 2}});  // correction
  record({{"Zk1Pnr", "1006"}, {"Zk1Upn", "1006"}, {"Zk1Std", 60}, {"Zk1Lfn", 3}});  // interim run
  expectGolden(handedOver(), "export/raet/golden/raet.txt");
  EXPECT_NE(logText().find("7 Datensätze aus Hor333Zk1 gelesen.\n"
                           "5 Datensätze in Datei(en) geschrieben.\n"
                           "Raet-Lohnübergabe beendet\n"),
            std::string::npos)
      << logText();
}

TEST_F(RaetTest, ExampleLineOfOneValue) {
  line();
  record({{"Zk1Std", 450}, {"Zk1Upn", "4711"}});
  EXPECT_EQ(handedOver(), std::string(kHeader) +
                              "54711           1              100                 20241201 "
                              " 000000000000000007.500000\r\n"
                              "Z00000003\r\n");
}

TEST_F(RaetTest, RecordWithoutInterfaceLineIsLoggedAndHandedOverWithoutFactor) {
  record({{"Zk1Std", 30}, {"Zk1Upn", "4711"}});
  EXPECT_EQ(handedOver(), std::string(kHeader) +
                              "54711           1              100                 20241201 "
                              " 000000000000000000.500000\r\n"
                              "Z00000003\r\n");
  EXPECT_NE(logText().find("Fehler beim Lesen Hor171Lu1: 1403\n"), std::string::npos);
}

TEST_F(RaetTest, StagingKeepsEarlierRunsUnlessTheGroupClearsIt) {
  line();
  record({{"Zk1Std", 60}, {"Zk1Upn", "4711"}});
  handedOver();
  ASSERT_EQ(inst.db().exec("update O1001AbrKreis set AkrSsl=0"), 0);
  EXPECT_NE(handedOver().find("000000000000000002.000000"), std::string::npos);
  ASSERT_EQ(inst.db().exec("update O1001AbrKreis set AkrSsl=1"), 0);
  EXPECT_NE(handedOver().find("000000000000000001.000000"), std::string::npos);
}

class RaetWithoutCompany : public RaetTest {
 protected:
  RaetWithoutCompany() : RaetTest({{"LugFir", nullptr}}) {}
};

TEST_F(RaetWithoutCompany, EmptyPeriodGivesHeaderAndTrailer) {
  EXPECT_EQ(handedOver(), "A???     202501090001RPD conversie  20241201\r\nZ00000002\r\n");
}

// The accounting date: the period's first day, or its last with LugDtm 2,
// moved by LugMon; a day the shifted month lacks becomes its last day.
struct AccountingDateCase {
  int dtm, mon;
  const char* date;
};

class RaetAccountingDate : public test::ExporterTest,
                           public ::testing::WithParamInterface<AccountingDateCase> {
 protected:
  RaetAccountingDate()
      : ExporterTest("Raet", {{"LugDtm", GetParam().dtm}, {"LugMon", GetParam().mon}}) {}
};

TEST_P(RaetAccountingDate, PeriodDateMovedByTheMonthOffset) {
  ASSERT_EQ(handOver(raet), 0);
  EXPECT_EQ(exported("Raet.txt"), std::string("A4711    202501090001RPD conversie  ") +
                                      GetParam().date + "\r\nZ00000002\r\n");
}

INSTANTIATE_TEST_SUITE_P(Offsets, RaetAccountingDate,
                         ::testing::Values(AccountingDateCase{0, 1, "20250101"},
                                           AccountingDateCase{0, -13, "20231101"},
                                           AccountingDateCase{2, -1, "20241130"},
                                           AccountingDateCase{2, 2, "20250228"}));

}  // namespace
}  // namespace lug::exporters
