// The control report of a hand-over: the figures of an SBS group's final run
// against its previous final run, rendered as text and CSV, in-process and
// through lug-admin report.
#include "admin/control_report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "admin/report_rejections.h"
#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::admin {
namespace {

using test::Row;

// Period 6 (November) and period 7 (December) of group G1, both handed over
// to SBS. December brings wage type 300, drops 200, corrects November's 100
// by a difference record and has a record whose wage type is too long for
// the file.
class ControlReportTest : public test::ExporterTest {
 protected:
  ControlReportTest() : ExporterTest("SBS", {{"LugFir", "12345"}}) {
    inst.insert("Hor330Abr", {{"AbrAkr", "G1"},
                              {"AbrNum", 6},
                              {"AbrVon", "2024.11.01"},
                              {"AbrBis", "2024.11.30"},
                              {"AbrSts", 0}});
    const Row november = {{"Zk1Abr", 6},
                          {"Zk1Bdt", "2024.11.01"},
                          {"Zk1Von", "2024.11.01"},
                          {"Zk1Bis", "2024.11.30"}};
    record(test::withDefaults(november, {{"Zk1Std", 600}}));
    record(test::withDefaults(november, {{"Zk1Lna", "200"}, {"Zk1Std", 120}}));
    record(test::withDefaults(november, {{"Zk1Lfn", 1}, {"Zk1Std", 9999}}));  // interim run

    line();
    record({{"Zk1Std", 480}});
    record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 300}});
    record({{"Zk1Stz", "FZ"}, {"Zk1Lna", "300"}, {"Zk1Tge", 15}, {"Zk1Std", 90}});
    record({{"Zk1Rre", 2},
            {"Zk1Rrn", 6},
            {"Zk1Std", -60},
            {"Zk1Bdt", "2024.11.01"},
            {"Zk1Von", "2024.11.01"},
            {"Zk1Bis", "2024.11.30"}});
    record({{"Zk1Pnr", "1003"}, {"Zk1Upn", "1003"}, {"Zk1Lna", "1000"}, {"Zk1Std", 120}});
    record({{"Zk1Lfn", 1}, {"Zk1Std", 7777}});  // an interim run before the final run
  }

  ReportRequest request() const {
    return {.akr = "G1", .abrnr = 7, .productsDir = inst.exportDir(), .runLog = inst.logPath()};
  }
};

TEST_F(ControlReportTest, FinalRunAgainstThePreviousFinalRun) {
  ASSERT_EQ(handOver(exporters::sbs), 0) << logText();
  ControlReport report;
  ASSERT_EQ(makeControlReport(inst.db(), request(), report), 0);
  expectGolden(report.text, "admin/golden/Kontrollbericht.txt");
  expectGolden(report.csv, "admin/golden/Kontrollbericht.csv");
}

TEST_F(ControlReportTest, CommandPrintsTheReportAndWritesItsCsv) {
  ASSERT_EQ(handOver(exporters::sbs), 0) << logText();
  ControlReport report;
  ASSERT_EQ(makeControlReport(inst.db(), request(), report), 0);

  const test::RunResult run =
      test::runProgram(LUG_ADMIN_BINARY, inst.workDir(),
                       {"report", inst.service(), inst.schema(), "G1", "7", "--out", ".."});
  ASSERT_EQ(run.exitStatus, 0) << run.console;
  EXPECT_EQ(run.console, report.text + "\n../Kontrollbericht.csv\n");
  EXPECT_EQ(test::readFile(inst.root() / "Kontrollbericht.csv"), report.csv);

  const test::RunResult unknown = test::runProgram(
      LUG_ADMIN_BINARY, inst.workDir(), {"report", inst.service(), inst.schema(), "G1", "8"});
  EXPECT_EQ(unknown.exitStatus, 1);
  EXPECT_EQ(unknown.console, "lug-admin: report: Abrnr 8 of Akr G1 not found\n");
}

// Without a final run the report shows the period's last interim run; without
// an earlier period there is nothing to compare.
TEST_F(ControlReportTest, LastInterimRunWithoutEarlierPeriod) {
  ASSERT_EQ(inst.db().execDynamic("delete from Hor331Zk1 where Zk1Abr = 7 and Zk1Lfn = 0"), 0);
  ASSERT_EQ(inst.db().execDynamic("delete from Hor330Abr where AbrNum = 6"), 0);
  ASSERT_EQ(inst.db().commit(), 0);
  ControlReport lastRun, firstRun;
  ASSERT_EQ(makeControlReport(inst.db(), request(), lastRun), 0);
  ReportRequest first = request();
  first.lfn = 1;
  ASSERT_EQ(makeControlReport(inst.db(), first, firstRun), 0);
  EXPECT_EQ(lastRun.text, firstRun.text);
  EXPECT_EQ(lastRun.text.substr(0, lastRun.text.find('\n')),
            "Kontrollbericht LuG-Uebergabe Akr: G1, Abrnr: 7 (01.12.2024 - 31.12.2024), "
            "Zwischenabrechnung 1");
  EXPECT_NE(lastRun.text.find("\n100          1   129,62  0,00\n"), std::string::npos)
      << lastRun.text;
  EXPECT_NE(lastRun.text.find("\nVergleich: keine frühere Abrechnungsperiode\n"),
            std::string::npos);
}

// The CSV takes its name only complete; a file that cannot take it is not
// reported as written and leaves nothing behind.
TEST(ControlReportCsv, WrittenUnderItsNameOnlyWhenComplete) {
  const test::fs::path dir =
      test::fs::temp_directory_path() / ("lug-report-csv-" + std::to_string(::getpid()));
  test::fs::create_directories(dir);
  const ControlReport report{.text = "", .csv = "Sätze;1\r\n"};
  EXPECT_TRUE(writeControlReportCsv(report, dir));
  EXPECT_EQ(test::readFile(dir / "Kontrollbericht.csv"), report.csv);

  test::fs::remove(dir / "Kontrollbericht.csv");
  test::fs::create_directory(dir / "Kontrollbericht.csv");  // in the way of the rename
  EXPECT_FALSE(writeControlReportCsv(report, dir));
  EXPECT_FALSE(writeControlReportCsv(report, dir / "missing"));
  EXPECT_FALSE(test::fs::exists(dir / ".Kontrollbericht.csv.tmp"));
  test::fs::remove_all(dir);
}

// Only the lines of the group's last exporter run for the period count.
TEST(ReportRejections, LinesOfTheGroupsLastRunOfThePeriod) {
  const std::string log =
      "LuG-Uebergabe Akr:G1, Schema:TEST am 09.01.2025 07:30:00 gestartet\r\n"
      "\r\nSBS-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\r\n"
      "Pnr 1: Lohnart zu lang (1000)\r\n"
      "\r\nSBS-Lohnprogramm Akr: G12, Abrnr: 7 gestartet\r\n"
      "Pnr 2: Lohnart zu lang (1000)\r\n"
      "\r\nXXL-Exact Lohnprogramm fuer Akr: G1 mit der Abrnr: 7 gestartet\r\n"
      "PersNr zu lang : 1234567\r\n"
      "Pnr 3: Lohnart zu lang (1000)\r\n"
      "ProAL-InsertFehler, Pnr: 4, Sqlfhl: -1\r\n"
      "LuG-Uebergabe Akr: G1, Abrnr: 7 am 09.01.2025 07:31:00 beendet\r\n"
      "\r\n\r\nProtokollierung gestartet, V5.80\r\n"
      "\r\nSBS-Lohnprogramm Akr: G1, Abrnr: 8 gestartet\r\n"
      "Pnr 5: Lohnart zu lang (1000)\r\n";
  EXPECT_EQ(
      rejectionLinesOf(log, "G1", 7),
      (std::vector<std::string>{"PersNr zu lang : 1234567", "Pnr 3: Lohnart zu lang (1000)"}));
  EXPECT_EQ(rejectionLinesOf(log, "G1", 8),
            std::vector<std::string>{"Pnr 5: Lohnart zu lang (1000)"});
  EXPECT_TRUE(rejectionLinesOf(log, "G2", 7).empty());
}

}  // namespace
}  // namespace lug::admin
