// The steps of a run from the command line to the run status of the group:
// messages, exit statuses, directories, the kind of run and its number.
#include <filesystem>
#include <fstream>

#include "base/cp1252.h"
#include "driver/run_fixture.h"

namespace lug::driver::testing {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

class RunDriverTest : public DriverTest {
 protected:
  RunDriverTest() { addGroup("A1", "DATEV"); }

  // What each period run saw of the run context: "lfn interim von-bis filter".
  void watchContext() {
    phases.hook = [this](RunContext& ctx, const std::string& call) {
      if (call.rfind("periodRun", 0) != 0) return;
      seen.push_back(std::to_string(ctx.lfn) + " " + std::to_string(ctx.interim) + " " +
                     ctx.abrVon + "-" + ctx.abrBis + " " + ctx.pnrFilter);
    };
  }
  fs::path formerTransferDir() const {
    return inst.root() / "Transfer" /
           "Lohn- und Gehalts\xC3\xBC"
           "bergabe";
  }

  std::vector<std::string> seen;
};

TEST_F(RunDriverTest, FinalRunReportsStartAndEndAndSetsRunStatus98) {
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(log(), logged({"\n\nProtokollierung gestartet, V5.80",
                           "LuG-Uebergabe Akr:A1, Schema:TEST am 02.04.2024 08:30:00 gestartet",
                           "\n-- ENDABRECHNUNG !!!! --\n",
                           "LuG-Uebergabe Akr: A1, Abrnr: 202403 am 02.04.2024 08:30:00 beendet"}));
  EXPECT_EQ(console.str(), "\nLohn und Gehaltuebergabe fuer Akr: A1 und Abrnr: 202403 ist beendet");
  EXPECT_EQ(phases.calls, (std::vector<std::string>{"periodRun(A1,202403,0,0)", "export(DATEV)"}));
  EXPECT_EQ(runStatus(), "98");
  EXPECT_TRUE(fs::is_directory(inst.exportDir()));
}

TEST_F(RunDriverTest, ProgramPrintsItsLinesAndEndsWithStatus1) {
  const test::RunResult result = inst.runLug({inst.service(), "TEST", "A1", "202403", "0"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.console,
            "\nLohn und Gehaltuebergabe fuer Akr: A1 und Abrnr: 202403 ist beendet");
  const std::string start = logged({"\n\nProtokollierung gestartet, V5.80",
                                    "LuG-Uebergabe Akr:A1, Schema:TEST am 02.04.2024 08:30:00 "
                                    "gestartet",
                                    "\n-- ENDABRECHNUNG !!!! --\n"});
  const std::string end =
      logged({"LuG-Uebergabe Akr: A1, Abrnr: 202403 am 02.04.2024 08:30:00 beendet"});
  ASSERT_GE(result.log.size(), start.size() + end.size());
  EXPECT_EQ(result.log.substr(0, start.size()), start);
  EXPECT_EQ(result.log.substr(result.log.size() - end.size()), end);
  EXPECT_EQ(runStatus(), "98");
}

TEST_F(RunDriverTest, FewerThanFiveArgumentsEndBeforeTheConnection) {
  EXPECT_EQ(run({inst.service(), "TEST", "A1", "202403"}), 0);
  EXPECT_EQ(console.str(), "Fehler, Anzahl Parameter: 5");
  EXPECT_EQ(log(), logged({"\n\nProtokollierung gestartet, V5.80",
                           "Fehler beim Aufruf, Anzahl Parameter: 5"}));
  EXPECT_TRUE(phases.calls.empty());
  EXPECT_FALSE(fs::exists(inst.root() / "Transfer" / "Lohn und Gehalt"));
}

TEST_F(RunDriverTest, ArgumentsAreCutAtTheirFirstBlank) {
  watchContext();
  EXPECT_EQ(run({inst.service() + " x", "test y", "A1 B", "202403 7", "1 x", "/p4711 z"}), 1);
  EXPECT_EQ(seen.at(0), "1 1 2024.03.01-2024.03.31 4711");
  EXPECT_TRUE(logHas("\n-- ZWISCHENABRECHNUNG !!!! --\n"));
}

TEST_F(RunDriverTest, ModeAndPeriodAreConvertedLikeAtoiAndAtol) {
  watchContext();
  EXPECT_EQ(run({inst.service(), "TEST", "A1", "202403abc", "65537"}), 1);  // 65537 is 1 in 16 bits
  EXPECT_EQ(run({inst.service(), "TEST", "A1", "202403", "2"}), 1);
  EXPECT_EQ(run({inst.service(), "TEST", "A1", "202403", "x"}), 1);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"1 1 2024.03.01-2024.03.31 ", "0 0 2024.03.01-2024.03.31 ",
                                      "0 0 2024.03.01-2024.03.31 "}));
  EXPECT_EQ(run({inst.service(), "TEST", "A1", "abc", "0"}), 1);  // period 0 does not exist
  EXPECT_TRUE(logHas("Fehler Lesen Hor330Abr (1): 1403"));
}

TEST_F(RunDriverTest, PersonnelFilterNeedsSlashPAndOneToNineCharacters) {
  watchContext();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/p4711", "4711"},           {"/P", ""},     {"/P1234567890", ""},
      {"/P123456789", "123456789"}, {"/X4711", ""}, {"", ""}};
  for (const auto& [argument, filter] : cases) {
    fs::remove(inst.logPath());
    seen.clear();
    EXPECT_EQ(runA1("0", {argument}), 1);
    EXPECT_EQ(seen.at(0), "0 0 2024.03.01-2024.03.31 " + filter) << argument;
    EXPECT_EQ(logHas("     FILTER AUF PNR: " + filter + " GESETZT !!"), !filter.empty())
        << argument;
  }
}

TEST_F(RunDriverTest, SchemaInLowerCaseFindsItsFilesAndSiteNumber) {
  change("update Horsystem.Hor112Mnd set MndSto='00042'");
  std::string site, exportDir;
  phases.hook = [&](RunContext& ctx, const std::string&) {
    site = ctx.site;
    exportDir = ctx.exportDir;
  };
  EXPECT_EQ(run({inst.service(), "test", "A1", "202403", "0"}), 1);
  EXPECT_EQ(site, "00042");
  EXPECT_EQ(exportDir, "../Transfer/Lohn und Gehalt/Export/TEST");
  EXPECT_TRUE(logHas("LuG-Uebergabe Akr:A1, Schema:TEST am 02.04.2024 08:30:00 gestartet"));
  EXPECT_TRUE(fs::is_directory(inst.exportDir()));
}

TEST_F(RunDriverTest, UnknownSiteIsLoggedAndTheRunGoesOn) {
  change("delete from Horsystem.Hor112Mnd");
  EXPECT_EQ(runA1(), 1);
  EXPECT_TRUE(logHas("Standortnummer kann nicht ermittelt werden! Error: 1403"));
  EXPECT_EQ(runStatus(), "98");
}

TEST_F(RunDriverTest, StagingClearFlagStartsAFreshLog) {
  change("update O1001AbrKreis set AkrSsl=1");
  EXPECT_EQ(runA1("0", {"/P4711"}), 1);
  const std::string start = "\n\nProtokollierung gestartet, V5.80";
  const std::string filter = "     FILTER AUF PNR: 4711 GESETZT !!";
  EXPECT_EQ(test::readFile(inst.root() / "Horavia_php" / "log" / "log#lug_1.txt"),
            logged({start, filter}));
  EXPECT_EQ(log().substr(0, logged({start, "Schnittstelle leeren", "\n" + filter + "\n"}).size()),
            logged({start, "Schnittstelle leeren", "\n" + filter + "\n"}));
}

TEST_F(RunDriverTest, ExportDirectoryIsCreatedLevelByLevelAndMayExist) {
  EXPECT_EQ(runA1(), 1);
  EXPECT_TRUE(fs::is_directory(inst.exportDir()));
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(phases.calls.size(), 4u);
}

TEST_F(RunDriverTest, ExportDirectoryThatCannotBeCreatedEndsTheRunUnchanged) {
  addRecord(202403, 0, -2);
  fs::create_directories(inst.root() / "Transfer" / "Lohn und Gehalt");
  std::ofstream(inst.root() / "Transfer" / "Lohn und Gehalt" / "Export") << "a file";
  EXPECT_EQ(runA1(), 0);
  EXPECT_TRUE(logHas("Übergabeverzeichnis kann nicht erstellt werden!"));
  EXPECT_TRUE(phases.calls.empty());
  EXPECT_EQ(inst.scalar("select Zk1Rre from Hor331Zk1"), "-2");
  EXPECT_EQ(runStatus(), "");
}

TEST_F(RunDriverTest, ReadmePointsToTheNewTransferDirectory) {
  EXPECT_EQ(runA1(), 1);
  EXPECT_FALSE(fs::exists(formerTransferDir()));
  fs::create_directories(formerTransferDir());
  std::ofstream(formerTransferDir() / "README.TXT") << "old text that is longer than the new one";
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(test::readFile(formerTransferDir() / "README.TXT"),
            "\r\nDie aktuelle LuG-\xDC"
            "bergabedateien finden Sie im Ordner : \r\n\r\n     "
            "\"..\\Transfer\\Lohn und Gehalt\" \r\n \r\nund dort in dem Ihrem Schema (Firma) "
            "zugeordneten Unterverzeichnis !!!");
}

TEST_F(RunDriverTest, MissingInterfaceAborts98) {
  change("update O1001AbrKreis set AkrLug='NONE'");
  EXPECT_EQ(runA1(), 1);
  EXPECT_TRUE(phases.calls.empty());
  EXPECT_EQ(runStatus(), "98");
  const std::string tail =
      logged({"Hor171Lug-Lesenfehler: 1403", "Schnittstelle für diesen AbrKreis nicht gefunden!",
              "Abbruch wegen Fehler, Status: 98"});
  EXPECT_EQ(log().substr(log().size() - tail.size()), tail);
}

TEST_F(RunDriverTest, MissingPeriodAborts98) {
  EXPECT_EQ(run({inst.service(), "TEST", "A1", "209901", "0"}), 1);
  EXPECT_TRUE(phases.calls.empty());
  EXPECT_EQ(runStatus(), "98");
  const std::string tail =
      logged({"Fehler Lesen Hor330Abr (1): 1403", "Abbruch wegen Fehler, Status: 98"});
  EXPECT_EQ(log().substr(log().size() - tail.size()), tail);
}

TEST_F(RunDriverTest, FinalRunUnmasksRecalculationMarkers) {
  addRecord(202402, 0, -2);
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(inst.scalar("select Zk1Rre from Hor331Zk1"), "2");
}

TEST_F(RunDriverTest, InterimRunsAreNumberedUntilTheFinalRun) {
  watchContext();
  // Each run stores a record under its run number, as the period run does.
  phases.hook = [this, base = phases.hook](RunContext& ctx, const std::string& call) {
    base(ctx, call);
    static constexpr char kStore[] = "insert into Hor331Zk1 (Zk1Abr,Zk1Lfn) values (:b0,:b1)";
    if (call.rfind("periodRun", 0) == 0) ctx.db.exec(kStore, {ctx.abrnr, ctx.lfn});
  };
  addRecord(202403, 1500);  // run numbers from 1000 on are no interim runs
  EXPECT_EQ(runA1("1"), 1);
  EXPECT_EQ(runA1("1"), 1);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"1 1 2024.03.01-2024.03.31 ", "2 1 2024.03.01-2024.03.31 "}));
  EXPECT_EQ(phases.calls.at(3), "interimDifferences");  // the second run has an earlier one
  EXPECT_EQ(runA1("0"), 1);
  EXPECT_EQ(seen.back(), "0 0 2024.03.01-2024.03.31 ");
  phases.calls.clear();
  EXPECT_EQ(runA1("1"), 0);
  EXPECT_TRUE(logHas("Zwischenabrechnung nicht möglich, da Endabrechnung bereits gelaufen !!"));
  EXPECT_TRUE(phases.calls.empty());
}

TEST_F(RunDriverTest, InterimRunNumber999IsTheLast) {
  addRecord(202403, 999, -2);
  EXPECT_EQ(runA1("1"), 0);
  const std::string tail = logged(
      {"\n-- ZWISCHENABRECHNUNG !!!! --\n", "max. Anzahl Zwischenabrechnungen überschritten!!"});
  EXPECT_EQ(log().substr(log().size() - tail.size()), tail);
  EXPECT_TRUE(phases.calls.empty());
  EXPECT_EQ(inst.scalar("select Zk1Rre from Hor331Zk1"), "-2");  // nothing committed
  EXPECT_EQ(runStatus(), "");
}

// TOPAS interfaces decide by the day before the run whether the period is
// handed over in part (run number 2 up to that day) or as a final run.
class TopasRunTest : public RunDriverTest {
 protected:
  TopasRunTest() {
    change("update Hor171Lug set LugLgp='TOPAS'");
    watchContext();
  }
  std::string runOn(const char* sysdate, const std::string& mode, const char* abrnr = "202403") {
    setClock(sysdate);
    seen.clear();
    EXPECT_EQ(run({inst.service(), "TEST", "A1", abrnr, mode}), 1) << sysdate;
    return seen.empty() ? "" : seen.front();
  }
};

TEST_F(TopasRunTest, CutOffDateDecidesBetweenPartialAndFinalRun) {
  EXPECT_EQ(runOn("2024.03.15 10:00:00", "0"), "2 1 2024.03.01-2024.03.14 ");
  EXPECT_TRUE(logHas("-- Zwischenabrechnung !!!! --"));
  EXPECT_EQ(runOn("2024.03.01 10:00:00", "0"), "2 1 2024.03.01-2024.03.01 ");
  EXPECT_EQ(runOn("2024.03.10 10:00:00", "1"), "2 1 2024.03.01-2024.03.09 ");
  EXPECT_EQ(runOn("2024.04.02 10:00:00", "0"), "0 0 2024.03.01-2024.03.31 ");
  EXPECT_EQ(runOn("2024.04.01 10:00:00", "1"), "0 0 2024.03.01-2024.03.31 ");
  EXPECT_EQ(runOn("2024.02.20 10:00:00", "1"), "1 1 2024.03.01-2024.03.31 ");
}

TEST_F(TopasRunTest, UnreadableClockKeepsTheRequestedKind) {
  EXPECT_EQ(runOn("morgen", "0"), "0 0 2024.03.01-2024.03.31 ");
  EXPECT_EQ(runStatus(), "98");
}

TEST_F(TopasRunTest, CutOffOnThePeriodsLastDayKeepsTheRequestedKind) {
  inst.insert(
      "Hor330Abr",
      {{"AbrAkr", "A1"}, {"AbrNum", 202499}, {"AbrVon", "2024.03.01"}, {"AbrBis", "2024.03.14"}});
  EXPECT_EQ(runOn("2024.03.15 10:00:00", "1", "202499"), "1 1 2024.03.01-2024.03.14 ");
  EXPECT_EQ(runOn("2024.03.15 10:00:00", "0", "202499"), "0 0 2024.03.01-2024.03.14 ");
}

TEST_F(TopasRunTest, PartialRunSkipsInterimDifferencesFollowMonthsAndRecalculation) {
  change("update O1001AbrKreis set AkrRrm=2");
  addFollowOffset("A1", 1);
  addRecord(202403, 1);
  runOn("2024.03.15 10:00:00", "0");
  EXPECT_EQ(phases.calls, (std::vector<std::string>{"periodRun(A1,202403,0,0)", "export(TOPAS)"}));
}

}  // namespace
}  // namespace lug::driver::testing
