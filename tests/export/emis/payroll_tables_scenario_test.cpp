// EMIS, Schleupen and SBS hand-overs through the lug program: January 2024
// of three accounting groups, one on each interface type, computed from
// month bookings and handed over in final runs.
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

class PayrollTablesScenario : public ::testing::Test {
 protected:
  PayrollTablesScenario() {
    addGroup(inst, {.akr = "E", .lug = "LE", .lgp = "EMIS2"});
    addGroup(inst, {.akr = "S", .lug = "LS", .lgp = "SCHLP"});
    addGroup(inst, {.akr = "B", .lug = "LB", .lgp = "SBS"});
    change("update O1001AbrKreis set AkrAzr=31 where AkrNum='S'");
    change("update Hor171Lug set LugFir='7' where LugLug='LB'");
    for (const char* lug : {"LE", "LS", "LB"}) {
      addLine(inst, {.ztk = "NORM", .lna = "100", .lug = lug});
      addLine(inst, {.ztk = "URL", .lna = "0300", .lug = lug});
    }
    employee("1001", "E", 9600, 20);
    employee("1002", "E", 450, 0);
    employee("2001", "S", 9015, 25);
    employee("2002", "S", 59, 0);
    employee("3001", "B", 600, 0, "3001234");  // payroll number too long for SBS
    employee("3002", "B", 75, 10);
    employee("3003", "B", -90, 0);
  }

  void employee(const std::string& pnr, const std::string& akr, int minutes, int leaveTenths,
                const std::string& payrollPnr = "") {
    addEmployee(inst, pnr, akr, "2020.01.01", "", payrollPnr);
    addBooking(
        inst,
        {.pnr = pnr, .dtm = "2024.01.31", .zkt = "NORM", .std = minutes, .ztr = 3, .kst = "4711"});
    if (leaveTenths != 0)
      addBooking(inst, {.pnr = pnr,
                        .dtm = "2024.01.31",
                        .zkt = "URL",
                        .std = leaveTenths * 48,
                        .tge = leaveTenths,
                        .ztr = 3,
                        .kst = "4711"});
  }
  // The session prepares each text once: pass a literal.
  void change(const char* sql) {
    ASSERT_EQ(inst.db().exec(sql), 0) << sql;
    ASSERT_EQ(inst.db().commit(), 0);
  }
  void expectGolden(const std::string& name) const {
    const fs::path path = inst.exportDir() / name;
    const std::string bytes = fs::exists(path) ? lug::test::readFile(path) : std::string();
    lug::test::expectGoldenFile(bytes, "export/emis/golden/" + name);
  }

  Installation inst;
};

TEST_F(PayrollTablesScenario, FinalRunsFillTheStagingTablesAndFiles) {
  for (const char* akr : {"E", "S", "B"}) {
    const auto run = runAt(inst, "2024.02.05 08:00:00", akr, "1");
    ASSERT_EQ(run.exitStatus, 1) << run.log;
  }
  EXPECT_EQ(joinedRows(inst,
                       "select EmsAkr, EmsPnr, EmsDat, EmsLna, EmsStd, EmsMin, EmsTge, "
                       "EmsKnz from Hor333Ems order by EmsPnr, EmsLna"),
            (Lines{"E|1001|012024|0300|16|960|0|P", "E|1001|012024|100|160|9600|0|P",
                   "E|1002|012024|100|7.5|450|0|P"}));
  expectGolden("LOXF-0001.csv");
  expectGolden("BEWA-007.DAT");
  const Lines log = logLines(fromWindows1252(lug::test::readFile(inst.logPath())));
  EXPECT_EQ(logSection(log, "SBS-Lohnprogramm Akr", "SBS-Lohnprogramm beendet"),
            (Lines{"SBS-Lohnprogramm Akr: B, Abrnr: 1 gestartet", "PersNr. zu lang : 3001234",
                   "Pnr 3002: Lohnart zu lang (0300)", "SBS-Lohnprogramm beendet"}));
}

}  // namespace
}  // namespace lug::calc::test
