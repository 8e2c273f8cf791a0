// LODAS hand-overs through the lug program: January handed over, its
// bookings corrected, February handed over twice as final run.
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

class LodasScenario : public ::testing::Test {
 protected:
  LodasScenario() {
    addGroup(inst, {.lgp = "LODAS", .recalcDepth = 1});
    change("update O1001AbrKreis set AkrSsl=1");
    change("update Hor171Lug set LugFir='4711', LugAkr='12345'");
    addLine(inst, {.ztk = "NORM", .lna = "100"});
    change("update Hor171Lu1 set Lu1Kst=1, Lu1Ktr=1 where Lu1Ztk='NORM'");
    addLine(inst, {.ztk = "URL", .lna = "200", .lgr = "UR"});
    for (const char* pnr : {"1001", "1002", "1003"}) addEmployee(inst, pnr);
    month("1001", "NORM", 9600, "2024.01.31", "K1", "T1");
    month("1002", "URL", 480, "2024.01.31", "K2");
    month("1001", "NORM", 7200, "2024.02.29", "K1", "T1");
    month("1003", "NORM", 450, "2024.02.29", "K3");
  }

  void month(const std::string& pnr, const std::string& zkt, int minutes, const std::string& dtm,
             const std::string& kst, const std::string& ktr = "") {
    addBooking(
        inst,
        {.pnr = pnr, .dtm = dtm, .zkt = zkt, .std = minutes, .ztr = 3, .kst = kst, .ktr = ktr});
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
    lug::test::expectGoldenFile(file(name), "export/lodas/golden/" + golden);
  }

  Installation inst;
};

TEST_F(LodasScenario, RepeatedFinalRunHandsEveryCorrectionOverOnce) {
  ASSERT_EQ(runAt(inst, "2024.02.05 08:00:00", "A1", "1").exitStatus, 1);
  expectGolden("LodasSST-0.txt", "scenario-january-0.txt");
  EXPECT_FALSE(fs::exists(inst.exportDir() / "LodasSST-1.txt"));

  change("update Hor331Zkb set ZkbStd=9000 where ZkbPnr='1001' and ZkbDtm<'2024.02.01'");
  change("delete from Hor331Zkb where ZkbPnr='1002'");
  for (const char* now : {"2024.03.05 08:00:00", "2024.03.06 08:00:00"}) {
    const auto run = runAt(inst, now, "A1", "2");
    ASSERT_EQ(run.exitStatus, 1) << run.log;
    expectGolden("LodasSST-0.txt", "scenario-february-0.txt");
    expectGolden("LodasSST-1.txt", "scenario-february-1.txt");
    EXPECT_FALSE(fs::exists(inst.exportDir() / "LodasSST-2.txt"));
    EXPECT_EQ(logSection(logLines(fromWindows1252(run.log)), "LODAS-Lohnprogramm Akr",
                         "LODAS-Lohnprogramm beendet"),
              (Lines{"LODAS-Lohnprogramm Akr: A1, Abrnr: 2 gestartet",
                     "5 Datensätze aus Hor333Zk1 gelesen.",
                     "5 Datensätze in Datei(en) geschrieben.", "LODAS-Lohnprogramm beendet"}));
  }
}

}  // namespace
}  // namespace lug::calc::test
