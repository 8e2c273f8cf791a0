// The sage, ProAL and Perman hand-overs through the lug program: the period
// run computes the records of February 2024 from month values, the exporter
// writes its file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "calc/scenario.h"
#include "support/golden.h"

namespace lug::calc::test {
namespace {

namespace fs = std::filesystem;

struct HandOver {
  const char* type;
  const char* file;    // in the export directory
  const char* golden;  // below tests/export
};

class SageProalPermanScenario : public ::testing::TestWithParam<HandOver> {
 protected:
  // Group A1 (company 4711): 1001 with normal hours on cost centre 4100 and
  // cost unit T1 and leave hours, 1002 (payroll number 815) with normal hours.
  void addGroupA1(const std::string& type) {
    addGroup(inst, {.lgp = type});
    change("update Hor171Lug set LugFir='4711'");
    addLine(inst, {.ztk = "NORM", .lna = "100"});
    addLine(inst, {.ztk = "URL", .lna = "300"});
    change("update Hor171Lu1 set Lu1Kst=1, Lu1Ktr=1 where Lu1Ztk='NORM'");
    addEmployee(inst, "1001");
    addEmployee(inst, "1002", "A1", "2020.01.01", "", "815");
    month("1001", "NORM", 9600, "4100", "T1");
    month("1001", "URL", 480, "4100", "T1");
    month("1002", "NORM", 7230, "4200", "");
  }
  void month(const std::string& pnr, const std::string& zkt, int minutes, const std::string& kst,
             const std::string& ktr) {
    addBooking(inst, {.pnr = pnr,
                      .dtm = "2024.02.29",
                      .zkt = zkt,
                      .std = minutes,
                      .ztr = 3,
                      .kst = kst,
                      .ktr = ktr});
  }
  // The session prepares each text once: pass a literal.
  void change(const char* sql) {
    ASSERT_EQ(inst.db().exec(sql), 0) << sql;
    ASSERT_EQ(inst.db().commit(), 0);
  }

  Installation inst;
};

TEST_P(SageProalPermanScenario, FinalRunWritesTheGoldenFile) {
  addGroupA1(GetParam().type);
  const lug::test::RunResult run = runAt(inst, "2024.03.05 08:00:00", "A1", "2");
  ASSERT_EQ(run.exitStatus, 1) << run.console << fromWindows1252(run.log);
  const fs::path path = inst.exportDir() / GetParam().file;
  ASSERT_TRUE(fs::exists(path)) << fromWindows1252(run.log);
  const std::string bytes = lug::test::readFile(path);
  lug::test::expectGoldenFile(bytes, std::string("export/") + GetParam().golden);
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "98");
}

INSTANTIATE_TEST_SUITE_P(
    Types, SageProalPermanScenario,
    ::testing::Values(HandOver{"sage", "02041002", "sage/golden/run_02041002"},
                      HandOver{"ProAL", "ProAL.txt", "proal/golden/run_ProAL.txt"},
                      HandOver{"PRMAN", "M0060763.001", "perman/golden/run_M0060763.001"}),
    [](const auto& h) { return std::string(h.param.type); });

}  // namespace
}  // namespace lug::calc::test
