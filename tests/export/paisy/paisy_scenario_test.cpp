// The PAISY and PAISY(Br) hand-over through the lug program: the period run
// computes the records from bookings and day programs, the exporter writes
// its three files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "calc/scenario.h"
#include "support/golden.h"

namespace lug::calc::test {
namespace {

// Employee 4711 of group A1 in February 2024 (period 2): a month value of
// 160 hours and 100 minutes of overtime (P1), three days of leave that began
// on the last working days of January (P3), and counters (P4).
void addPaisyGroup(Installation& inst, const std::string& type) {
  addGroup(inst, {.lgp = type, .kinds = {"P1", "P3", "P4"}});
  addLine(inst, {.stz = "P1", .ztk = "NORM", .lna = "100"});
  addLine(inst, {.stz = "P1", .ztk = "UEB", .lna = "120", .lgr = "UE"});
  addLine(inst, {.stz = "P3", .ztk = "URL", .lna = "300", .ztr = 1});
  addLine(inst, {.stz = "P4", .ztk = "KUG", .lna = "400", .sts = 3});
  addEmployee(inst, "4711", "A1", "2020.01.01");
  addDays(inst, "4711", "2024.01.01", "2024.02.29");
  addBooking(inst, {.pnr = "4711", .dtm = "2024.02.29", .zkt = "NORM", .std = 9600, .ztr = 3});
  addBooking(inst, {.pnr = "4711", .dtm = "2024.02.29", .zkt = "UEB", .std = 100, .ztr = 3});
  addBooking(inst, {.pnr = "4711", .dtm = "2024.02.29", .zkt = "KUG", .std = 240, .ztr = 3});
  for (const char* day : {"2024.01.30", "2024.01.31", "2024.02.01", "2024.02.02", "2024.02.05"})
    addBooking(inst, {.pnr = "4711", .dtm = day, .zkt = "URL", .std = 480, .tge = 10});
}

class PaisyScenario : public ::testing::TestWithParam<const char*> {
 protected:
  Installation inst;
};

TEST_P(PaisyScenario, FinalRunWritesTheGoldenFiles) {
  const std::string type = GetParam();
  addPaisyGroup(inst, type);
  const lug::test::RunResult run = runAt(inst, "2024.03.05 08:00:00", "A1", "2");
  ASSERT_EQ(run.exitStatus, 1) << run.console << fromWindows1252(run.log);
  const std::string suffix = type == "PAISY" ? "" : "b";
  const std::string dir = type == "PAISY" ? "paisy" : "paisy_br";
  for (const char* kind : {"P1", "P3", "P4"}) {
    const std::string name = std::string("Paisy") + kind + suffix + ".txt";
    SCOPED_TRACE(name);
    const std::string bytes = lug::test::readFile(inst.exportDir() / name);
    EXPECT_FALSE(bytes.empty()) << fromWindows1252(run.log);
    lug::test::expectGoldenFile(bytes, "export/" + dir + "/golden/run_" + name);
  }
}

INSTANTIATE_TEST_SUITE_P(Types, PaisyScenario, ::testing::Values("PAISY", "PSYBR"),
                         [](const auto& type) { return std::string(type.param); });

}  // namespace
}  // namespace lug::calc::test
