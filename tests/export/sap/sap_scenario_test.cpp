// SAP hand-overs through the lug program: January handed over, a January
// booking corrected, February handed over with the correction marked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "calc/scenario.h"
#include "support/exporter_fixture.h"
#include "support/golden.h"

namespace lug::calc::test {
namespace {

namespace fs = std::filesystem;

class SapScenario : public ::testing::Test {
 protected:
  SapScenario() {
    addGroup(inst, {.lgp = "SAP", .recalcDepth = 1});
    change("update O1001AbrKreis set AkrSsl=1");
    change("update Hor171Lug set LugFir='800'");
    addLine(inst, {.ztk = "NORM", .lna = "1000"});
    addLine(inst, {.ztk = "UEB", .lna = "1100"});
    change("update Hor171Lu1 set Lu1Mog=1.25 where Lu1Ztk='UEB'");
    addLine(inst, {.ztk = "KRANK", .lna = "0200"});
    change("update Hor171Lu1 set Lu1Fkz='K' where Lu1Ztk='KRANK'");
    for (const char* pnr : {"1001", "1002"}) addEmployee(inst, pnr);
    inst.insert("Hor300Pnr", {{"PnrNum", "1001"}, {"PnrNam", "Bäcker, Jörg"}});
    month("1001", "NORM", 9600, "2024.01.31");
    month("1001", "UEB", 120, "2024.01.31");
    month("1002", "KRANK", 960, "2024.01.31");
    month("1001", "NORM", 7200, "2024.02.29");
    month("1002", "NORM", 8400, "2024.02.29");
  }

  void month(const std::string& pnr, const std::string& zkt, int minutes, const std::string& dtm) {
    addBooking(inst, {.pnr = pnr, .dtm = dtm, .zkt = zkt, .std = minutes, .ztr = 3});
  }
  // The session prepares each text once: pass a literal.
  void change(const char* sql) {
    ASSERT_EQ(inst.db().exec(sql), 0) << sql;
    ASSERT_EQ(inst.db().commit(), 0);
  }
  std::string file(const std::string& name) const {
    const fs::path path = inst.exportDir() / name;
    return fs::exists(path) ? lug::test::readFile(path) : std::string();
  }
  void expectGolden(const std::string& name, const std::string& golden) const {
    lug::test::expectGoldenFile(file(name), "export/sap/golden/" + golden);
  }

  Installation inst;
};

TEST_F(SapScenario, CorrectionOfJanuaryIsMarkedInFebruary) {
  ASSERT_EQ(runAt(inst, "2024.02.05 08:00:00", "A1", "1").exitStatus, 1);
  expectGolden("SAP2010.txt", "scenario-january-SAP2010.txt");
  expectGolden("SAP2001.csv", "scenario-january-SAP2001.csv");

  change(
      "update Hor331Zkb set ZkbStd=9000 where ZkbPnr='1001' and ZkbZkt='NORM' and "
      "ZkbDtm<'2024.02.01'");
  const auto run = runAt(inst, "2024.03.05 08:00:00", "A1", "2");
  ASSERT_EQ(run.exitStatus, 1) << run.log;
  expectGolden("SAP2010.txt", "scenario-february-SAP2010.txt");
  expectGolden("SAP2010.csv", "scenario-february-SAP2010.csv");
  for (const char* name : {"SAP2001.txt", "SAP2001.csv"}) {  // no absence in February
    EXPECT_TRUE(fs::exists(inst.exportDir() / name)) << name;
    EXPECT_EQ(file(name), "") << name;
  }
  EXPECT_EQ(logSection(logLines(fromWindows1252(run.log)), "SAP-Lohnprogramm Akr",
                       "SAP-Lohnprogramm beendet"),
            (Lines{"SAP-Lohnprogramm Akr: A1, Abrnr: 2 gestartet", "SAP-Lohnprogramm beendet"}));
}

}  // namespace
}  // namespace lug::calc::test
