#include "export/sap/sap.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

// Lines of client "471" (LugFir 4711), employee 1001 without a name in
// Hor300Pnr, wage type 100 from 01.12.2024.
constexpr char kLinePrefix[] =
    "2010471"
    "1001    "
    "                              "
    "100 "
    "01122024  ";
// Amount, handling mark and filler of a 2010 line of the run's own period.
constexpr char kLineEnd[] =
    "             "
    " "
    "              ";

class SapTest : public test::ExporterTest {
 protected:
  explicit SapTest(const Row& header = {}, const Row& group = {})
      : ExporterTest("SAPHR", header, group) {}

  void employee(const char* pnr, const char* name) {
    inst.insert("Hor300Pnr", {{"PnrNum", pnr}, {"PnrNam", name}});
  }
  // The hand-over is expected to end normally.
  void handOverSap() { ASSERT_EQ(handOver(sap), 0) << logText(); }
  // SAP2010.txt of employee 1001 and wage type 100 with these hours, handling mark " ".
  static std::string hoursLine(const std::string& hours) {
    return kLinePrefix + hours + kLineEnd + "\r\n";
  }
};

// Every kind of record once: hours with and without factor, an absence, a
// recalculation record, a record without minutes, names long, with umlaut
// and missing.
TEST_F(SapTest, RecordsBecomeTheLinesOfBothInfotypes) {
  employee("1001", "Müller, Hans");
  employee("1002", "Sonnenschein-Wiesengrund, Annegret");  // 34 characters
  line();
  line({{"Lu1Ztk", "UE"}, {"Lu1Lna", "12345"}, {"Lu1Mog", 1.5}, {"Lu1Fkz", "0"}});
  line({{"Lu1Ztk", "KR"}, {"Lu1Lna", "K200"}, {"Lu1Fkz", "K"}});
  record({{"Zk1Std", 450}});
  record({{"Zk1Zkt", "UE"}, {"Zk1Lna", "12345"}, {"Zk1Std", 90}});
  record(
      {{"Zk1Zkt", "KR"}, {"Zk1Lna", "K200"}, {"Zk1Von", "2024.12.03"}, {"Zk1Bis", "2024.12.05"}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 480}});
  record({{"Zk1Pnr", "1002"},
          {"Zk1Upn", "1002"},
          {"Zk1Rre", 2},
          {"Zk1Std", -120},
          {"Zk1Von", "2024.11.01"},
          {"Zk1Bis", "2024.11.30"}});
  record({{"Zk1Pnr", "1002"},
          {"Zk1Upn", "1002"},
          {"Zk1Rre", 2},
          {"Zk1Zkt", "KR"},
          {"Zk1Lna", "K200"},
          {"Zk1Von", "2024.11.18"},
          {"Zk1Bis", "2024.11.19"}});
  record({{"Zk1Pnr", "1003"}, {"Zk1Upn", "P1003"}, {"Zk1Std", 6}});
  record({{"Zk1Pnr", "1004"}, {"Zk1Upn", "1004"}});  // no minutes: no line
  record({{"Zk1Lfn", 1}, {"Zk1Std", 999}});          // another run's record
  handOverSap();
  expectGolden(exported("SAP2010.txt"), "export/sap/golden/SAP2010.txt");
  expectGolden(exported("SAP2010.csv"), "export/sap/golden/SAP2010.csv");
  expectGolden(exported("SAP2001.txt"), "export/sap/golden/SAP2001.txt");
  expectGolden(exported("SAP2001.csv"), "export/sap/golden/SAP2001.csv");
  EXPECT_EQ(logText(),
            "\nSAP-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"
            "SAP-Lohnprogramm beendet\n");
}

// A record whose interface line cannot be read is reported and left out;
// the employees after it are handed over all the same.
TEST_F(SapTest, RecordWithoutInterfaceLineIsLeftOutAndTheOthersHandedOver) {
  line();
  record({{"Zk1Lna", "999"}, {"Zk1Std", 60}});
  record({{"Zk1Std", 60}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 120}});
  handOverSap();
  EXPECT_EQ(exported("SAP2010.txt"), hoursLine("   1,00") +
                                         "2010471"
                                         "1002    "
                                         "                              "
                                         "100 "
                                         "01122024  "
                                         "   2,00" +
                                         kLineEnd + "\r\n");
  EXPECT_EQ(logText(),
            "\nSAP-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"
            "kein Fehltagekennz. für Lohnart 999\n"
            "SAP-Lohnprogramm beendet\n");
}

// Two lines of one wage type at different dates make the single-row read
// fail as well: the record is reported, not handed over with either line.
TEST_F(SapTest, WageTypeWithTwoInterfaceLinesIsReported) {
  line();
  line({{"Lu1Gvo", "2024.06.01"}, {"Lu1Mog", 2.0}});
  record({{"Zk1Std", 60}});
  handOverSap();
  EXPECT_EQ(exported("SAP2010.txt"), "");
  EXPECT_NE(logText().find("\nkein Fehltagekennz. für Lohnart 100\n"), std::string::npos);
}

struct HoursCase {
  const char* name;
  int minutes;
  double factor;
  const char* field;  // nullptr: the record is refused
};

class SapHours : public SapTest, public ::testing::WithParamInterface<HoursCase> {};

// Field 7 holds seven characters: hours that need more are refused in both
// files with one line, the other records are written.
TEST_P(SapHours, HoursFitTheirSevenCharactersOrAreRefused) {
  const HoursCase& c = GetParam();
  line({{"Lu1Mog", c.factor}});
  line({{"Lu1Ztk", "UE"}});
  record({{"Zk1Std", c.minutes}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Zkt", "UE"}, {"Zk1Std", 60}});
  handOverSap();
  const std::string other = std::string(
                                "2010471"
                                "1002    "
                                "                              "
                                "100 "
                                "01122024  "
                                "   1,00") +
                            kLineEnd + "\r\n";
  const std::string csvOther =
      "2010;471;1002    ;                              ;100 ;01122024  ;"
      "   1,00;             ; ;              \r\n";
  if (c.field) {
    EXPECT_EQ(exported("SAP2010.txt"), hoursLine(c.field) + other);
    EXPECT_EQ(exported("SAP2010.csv"),
              std::string("2010;471;1001    ;                              ;100 ;01122024  ;") +
                  c.field + ";             ; ;              \r\n" + csvOther);
    EXPECT_EQ(logText().find("zu groß"), std::string::npos) << logText();
  } else {
    EXPECT_EQ(exported("SAP2010.txt"), other);
    EXPECT_EQ(exported("SAP2010.csv"), csvOther);
    const std::string log = logText();
    EXPECT_NE(log.find("\nPnr 1001: Std. zu groß f.Übergabe ("), std::string::npos) << log;
    EXPECT_EQ(log.find("zu groß"), log.rfind("zu groß")) << "one line for both files";
  }
}

INSTANTIATE_TEST_SUITE_P(Values, SapHours,
                         ::testing::Values(HoursCase{"Factor", 90, 1.5, "   2,25"},
                                           HoursCase{"RoundedToTwoDecimals", 100, 0, "   1,67"},
                                           HoursCase{"Negative", -75, 0, "  -1,25"},
                                           HoursCase{"Largest", 599999, 0, "9999,98"},
                                           HoursCase{"TenThousand", 600000, 0, nullptr},
                                           HoursCase{"TenThousandByFactor", 60000, 10, nullptr},
                                           HoursCase{"BeyondTheFormerLimit", 60000000, 0, nullptr},
                                           HoursCase{"SmallestNegative", -59999, 0, "-999,98"},
                                           HoursCase{"NegativeThousand", -60000, 0, nullptr}),
                         [](const auto& c) { return std::string(c.param.name); });

TEST_F(SapTest, HoursRefusedNameTheEmployeeAndTheValue) {
  line();
  record({{"Zk1Std", 600000}});
  handOverSap();
  EXPECT_NE(logText().find("\nPnr 1001: Std. zu groß f.Übergabe (10000.00)\n"), std::string::npos)
      << logText();
}

TEST_F(SapTest, RecordsOfOneKeyAreMerged) {
  line();
  line({{"Lu1Ztk", "KR"}, {"Lu1Lna", "200"}, {"Lu1Fkz", "K"}});
  record({{"Zk1Std", 60}});
  record({{"Zk1Stz", "LB"}, {"Zk1Std", 30}});  // another kind, no line: left out
  record({{"Zk1Zkt", "KR"}, {"Zk1Lna", "200"}, {"Zk1Von", "2024.12.03"}, {"Zk1Bis", "2024.12.04"}});
  record({{"Zk1Zkt", "KR"},
          {"Zk1Lna", "200"},
          {"Zk1Von", "2024.12.03"},
          {"Zk1Bis", "2024.12.06"},
          {"Zk1Kst", "4200"}});
  line({{"Lu1Ztk", "UE"}});
  record({{"Zk1Zkt", "UE"}, {"Zk1Std", 45}});  // same wage type and start: added
  handOverSap();
  EXPECT_EQ(exported("SAP2010.txt"), hoursLine("   1,75"));
  EXPECT_EQ(exported("SAP2001.txt"),
            "2001471"
            "1001    "
            "                              "
            "200 "
            "03122024  "
            "06122024  "
            "          "
            " "
            "              \r\n");
}

TEST_F(SapTest, SumThatCancelsOutIsWrittenAsZero) {
  for (const auto& [account, minutes] : {std::pair{"A1", 1}, {"A2", 5}, {"A3", -6}}) {
    line({{"Lu1Ztk", account}});
    record({{"Zk1Zkt", account}, {"Zk1Std", minutes}});  // a little below zero in sum
  }
  handOverSap();
  EXPECT_EQ(exported("SAP2010.txt"), hoursLine("   0,00"));
}

class SapWithoutCompany : public SapTest {
 protected:
  SapWithoutCompany() : SapTest({{"LugFir", nullptr}}) {}
};

TEST_F(SapWithoutCompany, AccountingGroupIsTheClient) {
  line();
  record({{"Zk1Std", 60}});
  handOverSap();
  EXPECT_EQ(exported("SAP2010.txt").substr(0, 15), "2010G1 1001    ");
}

class SapKeepingStaging : public SapTest {
 protected:
  SapKeepingStaging() : SapTest({}, {{"AkrSsl", 0}}) {}
};

TEST_F(SapKeepingStaging, SecondRunAddsToTheRowsOfTheFirst) {
  line();
  record({{"Zk1Std", 60}});
  handOverSap();
  handOverSap();
  EXPECT_EQ(exported("SAP2010.txt"), hoursLine("   2,00"));
}

TEST_F(SapTest, StagingThatCannotBeWrittenIsReported) {
  line();
  line({{"Lu1Ztk", "KR"}, {"Lu1Fkz", "K"}});
  record({{"Zk1Std", 60}});
  record({{"Zk1Zkt", "KR"}});
  ASSERT_EQ(inst.db().exec("drop table Hor333S01"), 0);
  inst.db().commit();
  EXPECT_EQ(handOver(sap), 1);
  const std::string log = logText();
  EXPECT_NE(log.find("\nDeleteFehler HOR333Sap, Sqlfhl: -942\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\nHor333S01 Insert-/UpdateFehler, Sqlfhl: -942\n"), std::string::npos);
  EXPECT_FALSE(exists("SAP2010.txt"));  // the 2001 rows cannot be read back
}

}  // namespace
}  // namespace lug::exporters
