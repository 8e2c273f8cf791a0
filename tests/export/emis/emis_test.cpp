#include "export/emis/emis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/dispatch.h"
#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;
using Rows = std::vector<std::vector<std::string>>;

class EmisTest : public test::ExporterTest {
 protected:
  explicit EmisTest(const std::string& type = "EMIS", const Row& header = {}, const Row& group = {})
      : ExporterTest(type, header, group) {}

  Rows staged() {
    return inst.rows(
        "select EmsAkr, EmsPnr, EmsDat, EmsLna, EmsStd, EmsMin, EmsTge, EmsKnz from Hor333Ems "
        "order by EmsAkr, EmsPnr, EmsDat, EmsLna");
  }
};

TEST_F(EmisTest, OneRowPerEmployeeMonthAndWageTypeWithTheFirstKindCode) {
  record({{"Zk1Stz", "LA"}, {"Zk1Std", 90}, {"Zk1Tge", 10}, {"Zk1Sta", 1}});
  record({{"Zk1Stz", "LB"}, {"Zk1Std", 30}, {"Zk1Tge", 5}, {"Zk1Sta", 2}});
  record({{"Zk1Lna", "200"}, {"Zk1Tge", 15}});  // days only: hours 0
  record({{"Zk1Pnr", "1002"}, {"Zk1Std", -45}, {"Zk1Sta", 2}});
  record({{"Zk1Pnr", "1003"}, {"Zk1Lfn", 1}, {"Zk1Std", 60}});  // another run of the period
  record({{"Zk1Pnr", "1004"}, {"Zk1Abr", 6}, {"Zk1Std", 60}});  // another period
  ASSERT_EQ(handOver(emis), 0) << logText();
  EXPECT_EQ(staged(), (Rows{{"01", "1001", "122024", "100", "2", "120", "15", "P"},
                            {"01", "1001", "122024", "200", "0", "0", "15", "T"},
                            {"01", "1002", "122024", "100", "-.75", "-45", "0", "T"}}));
  EXPECT_EQ(logText(),
            "\nEmis Lohnprogramm Akr: G1, Abrnr: 7 gestartet\nEmis Lohnprogramm beendet\n");

  const Rows first = staged();  // AkrSsl 1: a repeated run gives the same rows
  ASSERT_EQ(handOver(emis), 0) << logText();
  EXPECT_EQ(staged(), first);
}

// With the staging-clear flag off, rows of earlier runs stay and the run adds
// to its own group's rows only.
class EmisKeepingRows : public EmisTest {
 protected:
  EmisKeepingRows() : EmisTest("EMIS", {}, {{"AkrSsl", 0}}) {}
};

TEST_F(EmisKeepingRows, AnotherGroupsRowTakesNothingUp) {
  inst.insert("Hor333Ems", {{"EmsAkr", "02"},
                            {"EmsPnr", "1001"},
                            {"EmsDat", "122024"},
                            {"EmsLna", "100"},
                            {"EmsStd", 1.0},
                            {"EmsMin", 60},
                            {"EmsTge", 0},
                            {"EmsKnz", "P"}});
  record({{"Zk1Std", 30}});
  ASSERT_EQ(handOver(emis), 0) << logText();
  ASSERT_EQ(handOver(emis), 0) << logText();  // a second run adds to its own row
  EXPECT_EQ(staged(), (Rows{{"01", "1001", "122024", "100", "1", "60", "0", "T"},
                            {"02", "1001", "122024", "100", "1", "60", "0", "P"}}));
}

// An interface of type EMIS2 without a payroll group number.
class EmisTypeWithSuffix : public EmisTest {
 protected:
  EmisTypeWithSuffix() : EmisTest("EMIS2", {{"LugAkr", test::Cell(nullptr)}}) {}
};

TEST_F(EmisTypeWithSuffix, IsHandedOverByTheEmisExporterUnderTheAccountingGroupKey) {
  record({{"Zk1Std", 30}});
  ASSERT_EQ(handOver([](RunContext& c) { dispatchExport(c, standardDispatchTable()); }), 0);
  EXPECT_EQ(staged(), (Rows{{"G1", "1001", "122024", "100", ".5", "30", "0", "T"}}));
}

}  // namespace
}  // namespace lug::exporters
