// The check run: the hand-over of lug through the same driver, calculation
// and exporters, its products and run log in a directory of its own, nothing
// kept in the database; and lug-admin check, which says whether the hand-over
// would succeed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "calc/scenario.h"
#include "db/schema.h"
#include "driver/production_phases.h"
#include "driver/run.h"
#include "support/scratch_dir.h"

namespace lug::calc::test {
namespace {

namespace fs = std::filesystem;
using lug::test::readFile;
using Rows = std::vector<std::vector<std::string>>;
using Files = std::map<std::string, std::string>;  // relative path: bytes

constexpr char kJanuaryHandOver[] = "2024.02.05 08:00:00";
constexpr char kFebruaryHandOver[] = "2024.03.05 08:00:00";

// The session prepares each text once: pass a literal.
void change(Installation& inst, const char* sql) {
  ASSERT_EQ(inst.db().exec(sql), 0) << sql;
  ASSERT_EQ(inst.db().commit(), 0);
}

void monthValue(Installation& inst, const std::string& pnr, const std::string& zkt, int minutes,
                const std::string& dtm) {
  addBooking(inst, {.pnr = pnr, .dtm = dtm, .zkt = zkt, .std = minutes, .ztr = 3, .kst = "K1"});
}

// Accounting group A1 on a LODAS interface (transfer files, one per
// recalculated period, and a staging table; the staging-clear flag rotates
// the run log), handed over for January. Then January's bookings are
// corrected and February's added, so that February's hand-over recalculates
// January into difference records.
void lodasJanuary(Installation& inst) {
  addGroup(inst, {.lgp = "LODAS", .recalcDepth = 1});
  change(inst, "update O1001AbrKreis set AkrSsl=1, AkrAdt=0");
  change(inst, "update Hor171Lug set LugFir='4711', LugAkr='12345'");
  addLine(inst, {.ztk = "NORM", .lna = "100"});
  addLine(inst, {.ztk = "URL", .lna = "200", .lgr = "UR"});
  for (const char* pnr : {"1001", "1002", "1003"}) addEmployee(inst, pnr);
  monthValue(inst, "1001", "NORM", 9600, "2024.01.31");
  monthValue(inst, "1002", "URL", 480, "2024.01.31");
}
void lodasCorrection(Installation& inst) {
  change(inst, "update Hor331Zkb set ZkbStd=9000 where ZkbPnr='1001'");
  change(inst, "delete from Hor331Zkb where ZkbPnr='1002'");
  monthValue(inst, "1001", "NORM", 7200, "2024.02.29");
  monthValue(inst, "1003", "NORM", 450, "2024.02.29");
}

// Every table of the schema, its rows sorted.
std::map<std::string, Rows> tableContents(Installation& inst) {
  std::map<std::string, Rows> tables;
  for (const db::Table& table : db::Schema::instance().tables()) {
    Rows rows = inst.rows("select * from " + table.name);
    std::sort(rows.begin(), rows.end());
    tables[table.name] = std::move(rows);
  }
  return tables;
}

void expectSameTables(const std::map<std::string, Rows>& before,
                      const std::map<std::string, Rows>& after) {
  for (const auto& [table, rows] : before) EXPECT_EQ(after.at(table), rows) << table;
}

// The files below `dir` with their bytes; `skip` and what lies below them left out.
Files filesBelow(const fs::path& dir, const std::vector<fs::path>& skip = {}) {
  Files files;
  if (!fs::exists(dir)) return files;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator();
       ++it) {
    if (std::find(skip.begin(), skip.end(), it->path()) != skip.end()) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string name = fs::relative(it->path(), dir).string();
    files[name] = it->is_regular_file() ? readFile(it->path()) : std::string("<dir>");
  }
  return files;
}

// Runs of the hand-over in the test process, in the installation's working
// directory, with the production phases and exporters as lug has them.
class CheckRunTest : public ::testing::Test {
 protected:
  CheckRunTest() : previousDir_(fs::current_path()) {
    fs::current_path(inst.workDir());
    fs::create_directories(formerTransferDir);
    fs::create_directories(checkDir);  // as lug-admin check does before the run
  }
  ~CheckRunTest() override {
    fs::current_path(previousDir_);
    ::unsetenv("LUG_SYSDATE");
  }

  int handOver(const char* now, const std::string& abrnr,
               std::optional<driver::CheckRun> check = {}) {
    ::setenv("LUG_SYSDATE", now, 1);
    auto phases = makeProductionPhases();
    std::ostringstream console;
    driver::RunEnvironment env{.phases = *phases,
                               .dispatch = standardDispatchTable(),
                               .console = console,
                               .check = std::move(check)};
    const int status = driver::runHandover({inst.service(), inst.schema(), "A1", abrnr, "0"}, env);
    end = env.end;
    return status;
  }

  // Everything a check run must leave as it was outside its own directory
  // (the database files of the embedded engine aside).
  Files installationFiles() const {
    return filesBelow(inst.root(), {inst.root() / "db", checkDir});
  }

  Installation inst;
  // Three levels below the transfer directory, as the export directory is:
  // where a check run would find the former transfer directory if it looked.
  const fs::path checkDir = inst.root() / "Transfer" / "Pruefung" / "A1" / "2";
  const fs::path formerTransferDir = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
  driver::RunEnd end = driver::RunEnd::Stopped;

 private:
  fs::path previousDir_;
};

TEST_F(CheckRunTest, LeavesEveryTableAsItWasAndWritesTheFilesOfTheRealRun) {
  lodasJanuary(inst);
  ASSERT_EQ(handOver(kJanuaryHandOver, "1"), 1);
  lodasCorrection(inst);
  change(inst, "update O1001AbrKreis set AkrAdt=0");
  // A file the real run would delete from the former transfer directory.
  lug::test::writeBytes((formerTransferDir / "LodasSST-0.txt").string(), "last year");
  const std::map<std::string, Rows> tablesBefore = tableContents(inst);
  const Files filesBefore = installationFiles();

  std::string recordsSeen;
  std::optional<driver::CheckedRun> handed;
  driver::CheckRun check{
      .dir = checkDir, .beforeRollback = [&](db::Session& session, const driver::CheckedRun& run) {
        recordsSeen =
            lug::test::queryRows(session, "select count(*) from Hor331Zk1 where Zk1Abr=2")[0][0];
        handed = run;
      }};
  ASSERT_EQ(handOver(kFebruaryHandOver, "2", check), 1);
  EXPECT_EQ(end, driver::RunEnd::Completed);
  ASSERT_TRUE(handed);
  EXPECT_EQ(handed->akr, "A1");
  EXPECT_EQ(handed->abrnr, 2);
  EXPECT_EQ(handed->productsDir, checkDir);
  EXPECT_EQ(handed->runLog, checkDir / "log#lug.txt");

  expectSameTables(tablesBefore, tableContents(inst));
  EXPECT_EQ(installationFiles(), filesBefore);
  const std::string checkLog = fromWindows1252(readFile(checkDir / "log#lug.txt"));
  EXPECT_NE(checkLog.find("LuG-Uebergabe Akr: A1, Abrnr: 2 am 05.03.2024 08:00:00 beendet\r\n"
                          "Prüflauf: alle Änderungen der Datenbank zurückgenommen\r\n"),
            std::string::npos)
      << checkLog;

  ASSERT_EQ(handOver(kFebruaryHandOver, "2"), 1);
  const std::map<std::string, Rows> tablesAfter = tableContents(inst);
  // The tables the real run changes, which the check run left as they were.
  for (const char* table : {"Hor331Zk1", "Hor331Zk2", "Hor331Zk5", "Hor333Ld1", "O1001AbrKreis"})
    EXPECT_NE(tablesAfter.at(table), tablesBefore.at(table)) << table << " not written by the run";
  EXPECT_NE(recordsSeen, "0");
  EXPECT_EQ(recordsSeen, inst.scalar("select count(*) from Hor331Zk1 where Zk1Abr=2"));
  Files checked = filesBelow(checkDir);
  std::erase_if(checked, [](const auto& file) { return file.first.rfind("log#lug", 0) == 0; });
  EXPECT_EQ(checked, filesBelow(inst.exportDir()));
}

// lug-admin check through the program: exit status and what it says.
class CheckCommandTest : public ::testing::Test {
 protected:
  CheckCommandTest() {
    lodasJanuary(inst);
    lodasCorrection(inst);
  }

  lug::test::RunResult check(const std::string& abrnr) {
    return lug::test::runProgram(
        LUG_ADMIN_BINARY, inst.workDir(),
        {"check", inst.service(), "test", "A1", abrnr, "0", "--out", checkDir.string()},
        {{"LUG_SYSDATE", kFebruaryHandOver}});
  }

  Installation inst;
  const fs::path checkDir = inst.root() / "check";
};

TEST_F(CheckCommandTest, SaysWhetherTheHandOverWouldSucceedAndKeepsNothing) {
  struct Case {
    const char* name;
    std::string abrnr;
    std::function<void()> prepare;
    int exitStatus;
    std::vector<std::string> said;
  };
  const std::vector<Case> cases = {
      {"succeeds", "2", [] {}, 0, {"the hand-over would succeed"}},
      {"no such period",
       "9",
       [] {},
       1,
       {"the hand-over would fail (abort, run status 98)", "  Fehler Lesen Hor330Abr (1): 1403",
        "  Abbruch wegen Fehler, Status: 98"}},
      // The file cannot be created after the calculation has stored its records.
      {"file not writable",
       "2",
       [&] { fs::create_directories(checkDir / ".LodasSST-0.txt.tmp" / "x"); },
       1,
       {"the hand-over would fail; its run log",
        "  LODAS-Exportdatei kann nicht geoeffnet werden !"}},
      {"run lock held",
       "2",
       [&] { ASSERT_EQ(inst.db().tryRunLock("TEST"), db::kOk); },
       1,
       {"  LuG-Uebergabe fuer Schema TEST laeuft bereits, Aufruf beendet"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(checkDir);
    c.prepare();
    const std::map<std::string, Rows> before = tableContents(inst);
    const lug::test::RunResult result = check(c.abrnr);
    EXPECT_EQ(result.exitStatus, c.exitStatus) << result.console;
    for (const std::string& text : c.said)
      EXPECT_NE(result.console.find(text), std::string::npos) << text << "\n" << result.console;
    expectSameTables(before, tableContents(inst));
    EXPECT_FALSE(fs::exists(inst.exportDir()));
  }
}

TEST(CheckCommand, WantsFiveRunArgumentsAndTheOutputDirectory) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check", "../db", "TEST", "A1", "2", "0"},
        {"check", "../db", "TEST", "A1", "2", "--out", "x"},
        {"check", "../db", "TEST", "A1", "2", "0", "--out"},
        {"check", "../db", "TEST", "A1", "2", "0", "--out", "x", "--out", "y"}}) {
    const lug::test::RunResult result =
        lug::test::runProgram(LUG_ADMIN_BINARY, fs::temp_directory_path(), args);
    EXPECT_EQ(result.exitStatus, 2) << result.console;
    EXPECT_NE(result.console.find("--out DIR"), std::string::npos) << result.console;
  }
}

}  // namespace
}  // namespace lug::calc::test
