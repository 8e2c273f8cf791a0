// Runs that go wrong: connection and argument errors, a run already going on,
// aborts on database failures, missing tables and files, a full log.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "base/run_log.h"
#include "config/config_file.h"
#include "driver/run_fixture.h"
#include "support/damaged_file.h"

namespace lug::driver::testing {
namespace {

namespace fs = std::filesystem;
using base::RunLog;
using config::defaultConfigPath;
using config::writeConfigValue;

class RunFaultsTest : public DriverTest {
 protected:
  explicit RunFaultsTest(test::TestEngine engine = test::defaultTestEngine()) : DriverTest(engine) {
    addGroup("A1", "DATEV");
  }

  void configure(const char* name, const std::string& value) {
    writeConfigValue(defaultConfigPath(), name, value);
  }
  std::string connectFailure(int status, const std::string& service, const std::string& schema) {
    return logged(
        {"\n\nProtokollierung gestartet, V5.80", "dbConnect-Fehler: " + std::to_string(status),
         "Benutzer: scott,  Passwort: ********,  Net8: " + service + ",  Schema: " + schema});
  }
  std::string logTail(size_t lines) const {
    const std::string text = log();
    size_t pos = text.size() - 2;
    for (size_t i = 0; i < lines && pos != std::string::npos; ++i)
      pos = text.rfind("\r\n", pos - 1);
    return pos == std::string::npos ? text : text.substr(pos + 2);
  }
  static constexpr char kStore[] = "insert into Hor331Zk1 (Zk1Abr,Zk1Lfn) values (:b0,:b1)";
};

// Faults of the embedded engine's files and of service names that are directories.
class SqliteRunFaultsTest : public RunFaultsTest {
 protected:
  SqliteRunFaultsTest() : RunFaultsTest(test::TestEngine::Sqlite) {}
};

TEST_F(SqliteRunFaultsTest, FailedConnectionIsLoggedWithoutThePassword) {
  configure("LOGIN", "scott");
  configure("PASS", "tiger");
  EXPECT_EQ(run({inst.service(), "nope", "A1", "202403", "0"}), 0);
  EXPECT_EQ(console.str(), "dbConnect_Status: -1435\n");
  EXPECT_EQ(log(), connectFailure(-1435, inst.service(), "NOPE"));
  EXPECT_TRUE(phases.calls.empty());
}

TEST_F(RunFaultsTest, SchemaThatIsNoIdentifierFailsTheConnection) {
  configure("LOGIN", "scott");
  for (const char* schema : {"te-st", "a.b", "test;x", "test'", "t(e"}) {
    fs::remove(inst.logPath());
    console.str("");
    EXPECT_EQ(run({inst.service(), schema, "A1", "202403", "0"}), 0) << schema;
    EXPECT_EQ(console.str().rfind("dbConnect_Status: -", 0), 0u) << schema;
    EXPECT_NE(log().find(",  Passwort: ********,  Net8: "), std::string::npos) << schema;
  }
  EXPECT_TRUE(phases.calls.empty());
}

TEST_F(SqliteRunFaultsTest, ServiceFromTheConfigurationReplacesTheCommandLine) {
  configure("LOGIN", "scott");
  configure("NET8", inst.service());
  EXPECT_EQ(run({"/nowhere", "TEST", "A1", "202403", "0"}), 1);
  configure("NET8", "/" + std::string(41, 'n'));  // 42 characters: not a service name
  EXPECT_EQ(run({"/nowhere", "TEST", "A1", "202403", "0"}), 0);
  EXPECT_TRUE(logHas("Benutzer: scott,  Passwort: ********,  Net8: /nowhere,  Schema: TEST"));
}

TEST_F(SqliteRunFaultsTest, OverlongCommandLineValuesAreRefused) {
  std::string service41 = inst.service();
  service41.resize(41, '/');  // extra slashes name the same directory
  const std::string start = "\n\nProtokollierung gestartet, V5.80";
  const std::vector<std::vector<std::string>> refused = {{service41 + "/", "TEST", "A1"},
                                                         {service41, std::string(41, 'S'), "A1"},
                                                         {service41, "TEST", "ABCDEF"}};
  for (const auto& args : refused) {
    fs::remove(inst.logPath());
    EXPECT_EQ(run({args[0], args[1], args[2], "202403", "0"}), 0);
    EXPECT_EQ(log(), logged({start, "Fehler beim Aufruf, Parameter zu lang: " + args[0] + " " +
                                        args[1] + " " + args[2]}));
  }
  EXPECT_TRUE(phases.calls.empty());
  EXPECT_EQ(run({service41, "TEST", "A1", "202403", "0"}), 1);
  EXPECT_EQ(run({service41, std::string(40, 'S'), "A1", "202403", "0"}), 0);
  EXPECT_TRUE(logHas("dbConnect-Fehler: -1435"));
  addGroup("ABCDE", "DATEV");
  EXPECT_EQ(run({service41, "TEST", "ABCDE", "202403", "0"}), 1);
  EXPECT_EQ(runStatus("ABCDE"), "98");
}

TEST_F(SqliteRunFaultsTest, DatabaseLockedByAnotherProgramFailsTheConnection) {
  configure("LOGIN", "scott");
  addRecord(202403, 0, -2);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((inst.service() + "/TEST.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(runA1(), 0);  // after the busy timeout of 10 s
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(console.str(), "dbConnect_Status: -9999\n");
  EXPECT_EQ(log(), connectFailure(db::kFatal, inst.service(), "TEST"));
  EXPECT_TRUE(phases.calls.empty());
  EXPECT_EQ(inst.scalar("select Zk1Rre from Hor331Zk1"), "-2");
}

TEST_F(RunFaultsTest, SecondRunOnTheSameSchemaEndsWithoutChangingAnything) {
  addRecord(202403, 0, -2);
  ASSERT_EQ(inst.db().tryRunLock("TEST"), db::kOk);  // as a run going on would hold it
  const test::RunResult result = inst.runLug({inst.service(), "TEST", "A1", "202403", "0"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.log, logged({"\n\nProtokollierung gestartet, V5.80",
                                "LuG-Uebergabe fuer Schema TEST laeuft bereits, Aufruf beendet"}));
  EXPECT_EQ(inst.scalar("select Zk1Rre from Hor331Zk1"), "-2");
  EXPECT_EQ(runStatus(), "");
  EXPECT_FALSE(fs::exists(inst.exportDir()));
}

TEST_F(RunFaultsTest, FatalStatusAbortsWith60AndKeepsTheWorkDone) {
  fs::create_directories(inst.root() / "Transfer" /
                         "Lohn- und Gehalts\xC3\xBC"
                         "bergabe");
  phases.hook = [](RunContext& ctx, const std::string&) {
    ctx.db.exec(kStore, {ctx.abrnr, ctx.lfn});
    ctx.fail(db::kFatal, "Testschritt: %d", db::kFatal);
  };
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(phases.calls, (std::vector<std::string>{"periodRun(A1,202403,0,0)"}));
  EXPECT_EQ(runStatus(), "60");
  EXPECT_EQ(logTail(2), logged({"Testschritt: -9999", "Abbruch wegen Fehler, Status: 60"}));
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk1"), "1");
  EXPECT_TRUE(fs::is_empty(inst.root() / "Transfer" /
                           "Lohn- und Gehalts\xC3\xBC"
                           "bergabe"));
  EXPECT_EQ(console.str(), "");
}

TEST_F(RunFaultsTest, OtherFailingStatusesAreOnlyLogged) {
  phases.hook = [](RunContext& ctx, const std::string& call) {
    if (call.rfind("periodRun", 0) == 0) ctx.fail(-942, "Testschritt: %d", -942);
  };
  EXPECT_EQ(runA1(), 1);
  EXPECT_TRUE(logHas("Testschritt: -942"));
  EXPECT_EQ(runStatus(), "98");
}

TEST_F(SqliteRunFaultsTest, FatalStatusOfAFollowMonthCursorAborts60) {
  addFollowOffset("A1", 1);
  test::checkpoint(inst.service() + "/TEST.db");
  phases.hook = [this](RunContext&, const std::string& call) {
    if (call == "periodRun(A1,202403,0,0)")
      test::damageTable(inst.service() + "/TEST.db", "Hor171Lu1");
  };
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(phases.calls, (std::vector<std::string>{"periodRun(A1,202403,0,0)"}));
  // The damaged session cannot store the run status any more; the abort goes on regardless.
  EXPECT_EQ(logTail(2),
            logged({"Fehler Lesen Hor171Lu1: -9999", "Abbruch wegen Fehler, Status: 60"}));
}

TEST_F(RunFaultsTest, MissingTablesAreReportedAndNeverCrashTheRun) {
  change("DROP TABLE Hor171Lu1");
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(runStatus(), "98");
  change("DROP TABLE Hor171Lug");
  EXPECT_EQ(runA1(), 1);
  EXPECT_TRUE(logHas("Hor171Lug-Lesenfehler: -942"));
  change("DROP TABLE O1001AbrKreis");
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(logTail(1), logged({"Abbruch wegen Fehler, Status: 98"}));
}

TEST_F(RunFaultsTest, RunWithoutLogDirectoryGoesOn) {
  fs::remove_all(inst.logPath().parent_path());
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(runStatus(), "98");
  EXPECT_FALSE(fs::exists(inst.logPath()));
}

TEST_F(RunFaultsTest, FullLogEndsTheRunWithoutCommitting) {
  addRecord(202402, 0, -2);
  const std::string before =
      logged({"\n\nProtokollierung gestartet, V5.80",
              "LuG-Uebergabe Akr:A1, Schema:TEST am 02.04.2024 08:30:00 gestartet",
              "\n-- ENDABRECHNUNG !!!! --\n"});
  std::ofstream(inst.logPath(), std::ios::binary)
      << std::string(RunLog::kSizeLimit - before.size(), 'x');
  phases.hook = [](RunContext& ctx, const std::string&) {
    ctx.db.exec(kStore, {ctx.abrnr, ctx.lfn});
    ctx.log("one line too many");
  };
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(phases.calls.size(), 1u);
  EXPECT_EQ(inst.scalar("select count(*) from Hor331Zk1"), "1");
  EXPECT_EQ(inst.scalar("select Zk1Rre from Hor331Zk1"), "-2");
  EXPECT_EQ(runStatus(), "");
  phases.calls.clear();
  EXPECT_EQ(runA1(), 1);  // every later run ends at its first line
  EXPECT_TRUE(phases.calls.empty());
}

TEST_F(RunFaultsTest, FatalStatusOfAStatementWithoutMessageNamesTheStatement) {
  phases.hook = [](RunContext& ctx, const std::string&) {
    ctx.abortIfFatal(ctx.db.exec(kStore, {ctx.abrnr, ctx.lfn}));  // succeeds: no line
    ctx.abortIfFatal(db::kFatal);  // no statement failed: named generally
  };
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(logTail(2), logged({"Fehler Anweisung: -9999", "Abbruch wegen Fehler, Status: 60"}));
  EXPECT_EQ(runStatus(), "60");
}

TEST(StatementName, SaysWhatTheStatementDoesAndItsTable) {
  EXPECT_EQ(db::statementName("select AbrVon ,AbrBis into :b0:b1,:b2:b3  from Hor330Abr where "
                              "(AbrAkr=:b4 and AbrNum=:b5)"),
            "Lesen Hor330Abr");
  EXPECT_EQ(db::statementName("select MndSto into :b0:b1  from Horsystem.Hor112Mnd where x=:b2"),
            "Lesen Horsystem.Hor112Mnd");
  EXPECT_EQ(db::statementName("insert into Hor331Zk4  select *  from Hor331Zk3 where Zk3Stz='ZR'"),
            "Schreiben Hor331Zk4");
  EXPECT_EQ(db::statementName("update O1001AbrKreis  set AkrAdt=:b0 where AkrNum=:b1"),
            "Aendern O1001AbrKreis");
  EXPECT_EQ(db::statementName("delete  from Hor331Zk4  where ZK4STZ<>'ZR*E'"),
            "Loeschen Hor331Zk4");
  EXPECT_EQ(db::statementName("commit"), "Commit");
  EXPECT_EQ(db::statementName(""), "Anweisung");
}

// A run that is computing holds the schema's run lock and writes; a second
// run on the schema ends at once with the run-lock line, before its
// connection would wait for the database.
TEST_F(RunFaultsTest, SecondRunWhileTheFirstWritesEndsWithTheRunLockLine) {
  addRecord(202403, 0, -2);
  ASSERT_EQ(inst.db().tryRunLock("TEST"), db::kOk);
  ASSERT_EQ(inst.db().exec(kStore, {int32_t{202404}, int16_t{0}}), db::kOk);  // not committed
  const test::RunResult result = inst.runLug({inst.service(), "TEST", "A1", "202403", "0"});
  inst.db().rollback();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.console, "");
  EXPECT_EQ(result.log, logged({"\n\nProtokollierung gestartet, V5.80",
                                "LuG-Uebergabe fuer Schema TEST laeuft bereits, Aufruf beendet"}));
  EXPECT_EQ(inst.scalar("select Zk1Rre from Hor331Zk1"), "-2");
}

// The closing commit fails (a full disk at the end of the run): here a check
// that only the commit makes, set off by the run status 98.
TEST_F(RunFaultsTest, FailedClosingCommitIsReportedAndNotAsSuccess) {
  if (inst.engine() == test::TestEngine::Sqlite) {
    change("CREATE TABLE lug_disk (id INTEGER PRIMARY KEY)");
    change(
        "CREATE TABLE lug_full (id INTEGER REFERENCES lug_disk(id) DEFERRABLE INITIALLY "
        "DEFERRED)");
    change(
        "CREATE TRIGGER lug_full AFTER UPDATE OF AkrAdt ON O1001AbrKreis WHEN new.AkrAdt=98 "
        "BEGIN INSERT INTO lug_full VALUES (1); END");
    phases.hook = [](RunContext& ctx, const std::string& call) {
      // Foreign keys are checked only when switched on, which needs a moment without transaction.
      if (call == "export(DATEV)") ctx.db.engine().run("COMMIT; PRAGMA foreign_keys=ON");
    };
  } else {
    change(
        "CREATE FUNCTION lug_full() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RAISE "
        "EXCEPTION 'could not extend file' USING ERRCODE = '53100'; END$$");
    change(
        "CREATE CONSTRAINT TRIGGER lug_full AFTER UPDATE ON O1001AbrKreis DEFERRABLE INITIALLY "
        "DEFERRED FOR EACH ROW WHEN (NEW.AkrAdt = 98) EXECUTE FUNCTION lug_full()");
  }
  EXPECT_EQ(runA1(), 0);
  EXPECT_EQ(console.str(), "");
  const std::string last = log().substr(log().rfind("\r\n", log().size() - 3) + 2);
  EXPECT_EQ(last.rfind("Fehler beim abschliessenden Commit, Status: -", 0), 0u) << log();
  EXPECT_EQ(log().find("beendet"), std::string::npos) << log();
  EXPECT_NE(runStatus(), "98");
}

TEST_F(RunFaultsTest, LinksPlantedAtTheReadmeAndTheRunLogAreNotFollowed) {
  const fs::path former = inst.root() / "Transfer" /
                          "Lohn- und Gehalts\xC3\xBC"
                          "bergabe";
  fs::create_directories(former);
  const fs::path victim = inst.root() / "victim.txt";
  std::ofstream(victim) << "keep";
  fs::create_symlink(victim, former / "README.TXT");
  fs::remove(inst.logPath());
  fs::create_symlink(victim, inst.logPath());
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(test::readFile(victim), "keep");
  EXPECT_TRUE(fs::is_symlink(former / "README.TXT"));
  EXPECT_TRUE(fs::is_symlink(inst.logPath()));
  EXPECT_EQ(runStatus(), "98");
}

TEST_F(RunFaultsTest, ControlCharactersOfArgumentsAndConfigurationDoNotReachTheLog) {
  configure("LOGIN", "sc\r\nott");
  EXPECT_EQ(run({inst.service(), "no\rpe", "A1", "202403", "0", "/P47\r\nX"}), 0);
  const std::string text = log();
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r')
      EXPECT_EQ(text[i + 1], '\n') << i;
    else if (c == '\n')
      EXPECT_EQ(text[i - 1], '\r') << i;
    else
      EXPECT_FALSE(c < 0x20 || c == 0x7F) << i;
  }
  EXPECT_TRUE(logHas("     FILTER AUF PNR: 47??X GESETZT !!")) << text;
  EXPECT_NE(text.find("Benutzer: sc??ott,  Passwort: ********,  Net8: " + inst.service() +
                      ",  Schema: NO?PE\r\n"),
            std::string::npos)
      << text;
  fs::remove(inst.logPath());
  fs::remove(defaultConfigPath());
  EXPECT_EQ(run({inst.service(), "TEST", "A1\n", "202403", "0"}), 1);  // no such group
  EXPECT_TRUE(logHas("LuG-Uebergabe Akr:A1?, Schema:TEST am 02.04.2024 08:30:00 gestartet"));
}

}  // namespace
}  // namespace lug::driver::testing
