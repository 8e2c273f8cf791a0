// LOGA2001 hand-overs through the lug program: January handed over, then
// corrected and recalculated by the hand-over of February, on an interface
// whose payroll month is one month after the time period.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "calc/scenario.h"
#include "support/golden.h"

namespace lug::calc::test {
namespace {

using lug::test::expectGoldenFile;

class Loga2001Scenario : public ::testing::Test {
 protected:
  Loga2001Scenario() {
    addGroup(inst, {.lgp = "LOGA2", .recalcDepth = 1});
    change("update Hor171Lug set LugFir='12', LugAkr='3', LugMon=1");
    addLine(inst, {.ztk = "NORM", .lna = "100", .sts = 1});
    addLine(inst, {.ztk = "UEB", .lna = "110"});
    addEmployee(inst, "3001");
    addCost(inst, "3001", "K100", "", "");
    month("NORM", 600, "2024.01.31");
    month("UEB", 120, "2024.01.31");
  }
  void month(const std::string& zkt, int minutes, const std::string& dtm) {
    addBooking(inst, {.pnr = "3001", .dtm = dtm, .zkt = zkt, .std = minutes, .ztr = 3});
  }
  void change(const char* sql) {
    ASSERT_EQ(inst.db().exec(sql), 0) << sql;
    ASSERT_EQ(inst.db().commit(), 0);
  }
  std::string exported(const char* name) const {
    return lug::test::readFile(inst.exportDir() / name);
  }

  Installation inst;
};

TEST_F(Loga2001Scenario, RecalculatedMonthIsReversedAndHandedOverAgain) {
  ASSERT_EQ(runAt(inst, "2024.02.05 08:00:00", "A1", "1").exitStatus, 1);
  change("update Hor331Zkb set ZkbStd=660 where ZkbZkt='NORM'");
  change("update Hor331Zkb set ZkbStd=180 where ZkbZkt='UEB'");
  month("NORM", 300, "2024.02.29");
  month("UEB", 60, "2024.02.29");
  ASSERT_EQ(runAt(inst, "2024.03.05 08:00:00", "A1", "2").exitStatus, 1);

  // Both runs' commands, in run order: the staging tables are not emptied.
  expectGoldenFile(exported("Loga2001Lp1.csv"), "export/loga2001/golden/Loga2001Lp1.csv");
  expectGoldenFile(exported("Loga2001Lpc.csv"), "export/loga2001/golden/Loga2001Lpc.csv");
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk5"), "0");
  const std::string log = fromWindows1252(inst.logText());
  for (const char* never : {"nicht gefunden", "Differenzbildung", "InsertFehler"})
    EXPECT_EQ(log.find(never), std::string::npos) << log;
}

}  // namespace
}  // namespace lug::calc::test
